// SPDX-License-Identifier: MIT
#include "hub/level_enabling.h"
#include "state/level_table.h"
#include "state/shared_state.h"
#include "support/fake_navigator.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

// A signed-in pupil 7 with four levels that each need 5 runs and 100 points
// within the judgment period and block after 20 runs in the over-practice
// period.
struct LevelEnabling : ::testing::Test {
    std::unique_ptr<SharedState> state = std::make_unique<SharedState>();
    static constexpr int kPupil = 7;

    void SetUp() override
    {
        fillLevelTable(*state);
        state->AllLevelsFree = 0;
        state->PupilNumber = kPupil;
        state->PupilName = QStringLiteral("青木 さくら").leftJustified(20, QLatin1Char(' '));
        for (int level = 1; level <= kMaxLevel; ++level) {
            state->ClearCount[size_t(level)] = 5;
            state->ClearPoints[size_t(level)] = 100;
            state->OverPracticeCount[size_t(level)] = ItemValue::fromNumber(20);
            state->OverPracticePoints[size_t(level)] = ItemValue::fromNumber(0);
        }
    }
    void pass(int level)
    {
        state->PeriodRunCount(level, kPupil) = 5;
        state->PeriodPoints(level, kPupil) = 100;
    }
    void overPractise(int level) { state->OverPracticeRunCount(level, kPupil) = 20; }
    LevelGates run() { return levelEnablingPass(*state, LevelGates {}); }
    static std::vector<int> enabledLevels(const LevelGates &g)
    {
        std::vector<int> out;
        for (int i = 1; i <= 4; ++i)
            if (g.enabled[size_t(i)])
                out.push_back(i);
        return out;
    }
};

TEST_F(LevelEnabling, WithoutFreeLevelsOnlyPassedLevelsUnlockTheNext)
{
    EXPECT_EQ(enabledLevels(run()), std::vector<int>({ 1 }));
    pass(1);
    EXPECT_EQ(enabledLevels(run()), std::vector<int>({ 1, 2 }));
    pass(3); // a level passed earlier keeps its next level open
    EXPECT_EQ(enabledLevels(run()), std::vector<int>({ 1, 2, 4 }));
    pass(2);
    EXPECT_EQ(enabledLevels(run()), std::vector<int>({ 1, 2, 3, 4 }));
}

TEST_F(LevelEnabling, ALevelWithoutPointsGoalUnlocksTheOneBeforeIt)
{
    state->ClearPoints[3] = 9999;
    EXPECT_EQ(enabledLevels(run()), std::vector<int>({ 1, 3 })) << "level 2's next has no goal, so level 3 opens";
}

TEST_F(LevelEnabling, TheTeacherNamedSenseiAndFreeLevelsOpenEverything)
{
    state->PupilName = QStringLiteral("  先生  ");
    EXPECT_EQ(enabledLevels(run()), std::vector<int>({ 1, 2, 3, 4 }));
    state->PupilName = QStringLiteral("★山口");
    EXPECT_EQ(enabledLevels(run()), std::vector<int>({ 1 })) << "only the exact name 先生 frees the levels";
    state->AllLevelsFree = 1;
    EXPECT_EQ(enabledLevels(run()), std::vector<int>({ 1, 2, 3, 4 }));
}

TEST_F(LevelEnabling, OverPractisedLevelsAreBlockedButNeverTheLastOne)
{
    state->AllLevelsFree = 1;
    overPractise(2);
    overPractise(4);
    const LevelGates gates = run();
    EXPECT_EQ(enabledLevels(gates), std::vector<int>({ 1, 3, 4 }));
    EXPECT_TRUE(gates.overPractised[2]);
    EXPECT_FALSE(gates.overPractised[4]) << "the last level unlocks nothing and is never tested";
}

TEST_F(LevelEnabling, LimitsOfZeroAndAClearedGoalBlockNothing)
{
    state->AllLevelsFree = 1;
    overPractise(1);
    state->OverPracticeCount[1] = ItemValue::fromNumber(0);
    EXPECT_EQ(enabledLevels(run()), std::vector<int>({ 1, 2, 3, 4 }));

    state->OverPracticeCount[1] = ItemValue::fromNumber(20);
    EXPECT_EQ(enabledLevels(run()), std::vector<int>({ 2, 3, 4 }));
    EXPECT_EQ(state->GoalCleared, 0);
    pass(state->GoalLevel);
    EXPECT_EQ(enabledLevels(run()), std::vector<int>({ 1, 2, 3, 4 }));
    EXPECT_EQ(state->GoalCleared, 1);
}

TEST_F(LevelEnabling, ALevelThatDoesNotUnlockTheNextIsNeverBlocked)
{
    overPractise(1);
    const LevelGates gates = run();
    EXPECT_EQ(enabledLevels(gates), std::vector<int>({ 1 }));
    EXPECT_FALSE(gates.overPractised[1]);
}

TEST_F(LevelEnabling, PracticeLevelsAreAlwaysOpenAndUnlockWhileNothingIsBlocked)
{
    state->LevelName[2] = QStringLiteral("レベル２練習");
    pass(1);
    overPractise(2);
    const LevelGates gates = run();
    EXPECT_EQ(enabledLevels(gates), std::vector<int>({ 1, 2, 3 }));
    EXPECT_FALSE(gates.overPractised[2]) << "practice levels are never blocked";
}

} // namespace

namespace {

TEST_F(LevelEnabling, ALevelWhoseCriteriaAreOutOfRangeStaysShutForEveryone)
{
    state->AllLevelsFree = 1;
    state->CriteriaOutOfRange[3] = QStringLiteral("「最低Time」0（10～19999）");
    EXPECT_EQ(enabledLevels(run()), std::vector<int>({ 1, 2, 4 }));
    state->PupilName = QStringLiteral("先生");
    EXPECT_EQ(enabledLevels(run()), std::vector<int>({ 1, 2, 4 }));
    state->CriteriaOutOfRange[3].clear();
    EXPECT_EQ(enabledLevels(run()), std::vector<int>({ 1, 2, 3, 4 }));
}

} // namespace
