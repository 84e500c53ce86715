// SPDX-License-Identifier: MIT
#include "drill/sound_effects.h"
#include "drill/sound_table.h"
#include "platform/fatal_error.h"
#include "platform/platform.h"
#include "platform/random.h"
#include "platform/sound_output.h"
#include "state/shared_state.h"

#include <cmath>

namespace {
constexpr int kSilentFailures = 3;

int playFromCategory(SharedState &state, Platform &platform, RandomSource &random, int category)
{
    const SoundCategory &cat = state.SoundTable[size_t(category)];
    const int n = chooseSoundFile(cat.count, random.fraction());
    // An empty slot (no files, or a count beyond the names read) plays ".wav",
    // which fails like a missing file.
    const QString file = n >= 1 && n <= 20 ? cat.files[size_t(n)] : QString();
    return PlaySound(state, platform, file);
}

bool checkFailure(SharedState &state, Platform &platform, int code)
{
    if (code == 0) {
        state.SoundFailureCount = 0;
        return true;
    }
    if (state.SoundFailureCount < kSilentFailures) {
        ++state.SoundFailureCount;
        return true;
    }
    platform.fatal.fatal(QStringLiteral("音声エラー"),
        QStringLiteral("音声がでません。先生を呼びなさい。\r\n") + platform.sound.errorText(code));
    return false;
}
} // namespace

int chooseSoundFile(int count, double r)
{
    if (count <= 0)
        return 1;
    return int(std::floor(r * count + 1));
}

int PlaySound(SharedState &state, Platform &platform, const QString &file)
{
    const QString path = state.SoundFolder + file + QStringLiteral(".wav");
    state.LastMciCommand = QStringLiteral("play ") + path + QStringLiteral(" wait");
    const int code = platform.sound.play(path);
    state.LastMciResult = QString::number(code);
    return code;
}

bool PlayCorrectSound(SharedState &state, Platform &platform, RandomSource &random)
{
    return checkFailure(state, platform, playFromCategory(state, platform, random, soundcat::Correct));
}

bool PlayWrongSound(SharedState &state, Platform &platform, RandomSource &random)
{
    return checkFailure(state, platform, playFromCategory(state, platform, random, soundcat::Wrong));
}

void PlayOwnRecordSound(SharedState &state, Platform &platform, RandomSource &random)
{
    playFromCategory(state, platform, random, soundcat::OwnRecord);
}

void PlayNoRecordSound(SharedState &state, Platform &platform, RandomSource &random)
{
    playFromCategory(state, platform, random, soundcat::NoRecord);
}

void PlayTopRecordSound(SharedState &state, Platform &platform)
{
    PlaySound(state, platform, QStringLiteral("最高1"));
}

void PlayGoalSound(SharedState &state, Platform &platform)
{
    PlaySound(state, platform, QStringLiteral("合格"));
}
