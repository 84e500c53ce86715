// SPDX-License-Identifier: MIT
#include "hub/level_enabling.h"
#include "platform/blank_trim.h"
#include "results/counts.h"
#include "state/level_table.h"
#include "state/shared_state.h"

LevelGates levelEnablingPass(SharedState &state, const LevelGates &before)
{
    LevelGates gates = before;
    const int pupil = state.PupilNumber;
    const int count = std::min<int>(state.LevelCount, kMaxLevel - 1);
    state.GoalCleared
        = (state.GoalLevel >= 1 && state.GoalLevel <= kMaxLevel && LevelPassed(state, state.GoalLevel, pupil)) ? 1 : 0;

    gates.enabled[1] = true;
    bool blocked = false;
    const bool namedTeacher = trimBlanks(state.PupilName) == QStringLiteral("先生");
    for (int i = 1; i <= count; ++i) {
        const bool practice = isPracticeLevelName(state.LevelName[size_t(i)]);
        if (practice)
            gates.enabled[size_t(i)] = true;
        const bool unlockNext = LevelPassed(state, i, pupil) || namedTeacher || state.AllLevelsFree == 1
            || state.ClearPoints[size_t(i + 1)] == kNoClearCriterion || (!blocked && practice);
        if (!unlockNext) {
            blocked = true;
            continue;
        }
        if (i < count) {
            gates.enabled[size_t(i + 1)] = true;
            gates.overPractised[size_t(i + 1)] = false;
            // The last level is never tested: it unlocks nothing.
            const bool overPractised = state.GoalCleared == 0 && !practice && LevelOverPractised(state, i, pupil);
            gates.overPractised[size_t(i)] = overPractised;
            if (overPractised)
                gates.enabled[size_t(i)] = false;
        }
    }
    // A level whose criteria are out of range would time every run out or
    // count nonsense; it stays shut for everyone, teachers too, until the
    // criteria editor mends it (start-up has said which and why).
    for (int i = 1; i <= std::min<int>(state.LevelCount, kMaxLevel); ++i)
        if (!state.CriteriaOutOfRange[size_t(i)].isEmpty())
            gates.enabled[size_t(i)] = false;
    return gates;
}
