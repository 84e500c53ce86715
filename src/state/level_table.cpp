// SPDX-License-Identifier: MIT
#include "state/level_table.h"
#include "state/navigator.h"
#include "state/shared_state.h"

namespace {
// The digits are full-width except the ASCII "1" of slots 1, 11 and 20; the
// dash is the full-width "－". Stored exactly so; four to a row, as the
// program's level table lists them.
// clang-format off
const char16_t *const kLevelNames[24] = {
    u"レベル1",      u"レベル２",     u"レベル３",     u"レベル４",
    u"レベル２－１", u"レベル２－２", u"レベル３練習", u"レベル３－１",
    u"レベル３－２", u"レベル４練習", u"レベル４－1",  u"レベル４－２",
    u"レベル５練習", u"レベル５－１", u"レベル５－２", u"レベル６練習",
    u"レベル６－１", u"レベル６－２", u"レベル７練習", u"レベル７－1",
    u"レベル７－２", u"レベル８練習", u"レベル８－１", u"レベル８－２",
};
// clang-format on
} // namespace

void SetProgramIdentity(SharedState &state)
{
    state.ProgramName = QStringLiteral("ルカミナ");
    state.AllLevelsFree = 1;
}

void fillLevelTable(SharedState &state)
{
    state.LevelCount = 4;
    state.GoalLevel = state.LevelCount;
    for (int i = 1; i <= 24; ++i) {
        state.LevelName[size_t(i)] = QString::fromUtf16(kLevelNames[i - 1]);
        state.LevelTimed[size_t(i)] = 1;
    }
}

void SetUpLevelTable(SharedState &state, Navigator &navigator)
{
    fillLevelTable(state);
    navigator.showHub();
}

bool isPracticeLevelName(const QString &name)
{
    return name.contains(QStringLiteral("練"));
}
