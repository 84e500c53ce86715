// SPDX-License-Identifier: MIT
#include "drill/run_control.h"
#include "state/shared_state.h"
#include "support/fake_navigator.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

struct TickCase {
    qint64 ms;
    int seconds;
};
class ElapsedSeconds : public ::testing::TestWithParam<TickCase> { };

TEST_P(ElapsedSeconds, RoundedToNearestWithHalvesToEven)
{
    // Far into the counter, as on a machine that has run for days.
    const qint64 start = 5LL * 86400 * 1000 + 123;
    EXPECT_EQ(elapsedSecondsBetween(start, start + GetParam().ms), GetParam().seconds);
}

INSTANTIATE_TEST_SUITE_P(Ticks, ElapsedSeconds,
    ::testing::Values(TickCase { 0, 0 }, TickCase { 499, 0 }, TickCase { 500, 0 }, TickCase { 501, 1 },
        TickCase { 1500, 2 }, TickCase { 2500, 2 }, TickCase { 2501, 3 }, TickCase { 299400, 299 },
        TickCase { 300000, 300 }));

struct CountdownCase {
    int mark;
    int elapsed;
    int hidden;
};
class Countdown : public ::testing::TestWithParam<CountdownCase> { };

TEST_P(Countdown, OneMoreCellFromTheLeftEachOfTheLastTenSeconds)
{
    EXPECT_EQ(countdownCellsHidden(GetParam().mark, GetParam().elapsed), GetParam().hidden);
}

INSTANTIATE_TEST_SUITE_P(Marks, Countdown,
    ::testing::Values(CountdownCase { 40, 0, 0 }, CountdownCase { 40, 30, 0 }, CountdownCase { 40, 31, 1 },
        CountdownCase { 40, 35, 5 }, CountdownCase { 40, 39, 9 }, CountdownCase { 40, 40, 10 },
        CountdownCase { 40, 41, 0 }, CountdownCase { 5, 0, 5 },
        // No mark: the row stays whole, also at 0 s.
        CountdownCase { 0, 0, 0 }, CountdownCase { 0, 1, 0 }));

struct PassLineCase {
    int passLine;
    int elapsed;
    int cell;
};
class PassLineCell : public ::testing::TestWithParam<PassLineCase> { };

TEST_P(PassLineCell, LastTenSecondsBeforeThePassLineHideCellsOneToTen)
{
    EXPECT_EQ(passLineCellHidden(GetParam().passLine, GetParam().elapsed), GetParam().cell);
}

INSTANTIATE_TEST_SUITE_P(PassLines, PassLineCell,
    ::testing::Values(PassLineCase { 120, 110, 0 }, PassLineCase { 120, 111, 1 }, PassLineCase { 120, 115, 5 },
        PassLineCase { 120, 120, 10 }, PassLineCase { 120, 121, 0 }));

TEST(StartDrill, ClearsTheRunFlagsBeforeAskingForTheForm)
{
    auto state = std::make_unique<SharedState>();
    state->RunComplete = 1;
    state->RunEnding = 1;
    state->TimeUp = 1;
    state->ProblemsDone = 10;
    state->RecordedTime = 99999;
    FakeNavigator navigator;
    StartDrill(*state, navigator);
    EXPECT_EQ(state->RunComplete, 0);
    EXPECT_EQ(state->RunEnding, 0);
    EXPECT_EQ(state->TimeUp, 0);
    EXPECT_EQ(state->ProblemsDone, 0);
    EXPECT_EQ(state->RecordedTime, 99999) << "kept until the next run records";
    EXPECT_EQ(navigator.calls, QStringList { QStringLiteral("openDrill") });
}

} // namespace
