// SPDX-License-Identifier: MIT
#include "results/result_lines.h"
#include "state/shared_state.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

TEST(ResultLines, TimeLineAndNoRecordFrom99998)
{
    EXPECT_EQ(resultTimeLine(0), QStringLiteral("今の成績：0秒"));
    EXPECT_EQ(resultTimeLine(299), QStringLiteral("今の成績：299秒"));
    EXPECT_EQ(resultTimeLine(99997), QStringLiteral("今の成績：99997秒"));
    EXPECT_EQ(resultTimeLine(99998), QStringLiteral("記録なし"));
    EXPECT_EQ(resultTimeLine(99999), QStringLiteral("記録なし"));
}

TEST(ResultLines, PointsLineWritesTheMultiplierWithItsFractionOnlyWhenItHasOne)
{
    EXPECT_EQ(resultPointsLine(11, 1.5f, 16), QStringLiteral("獲得ポイント：11点×1.5→16点"));
    EXPECT_EQ(resultPointsLine(5, 1.0f, 5), QStringLiteral("獲得ポイント：5点×1→5点"));
    EXPECT_EQ(resultPointsLine(4, 1.1f, 4), QStringLiteral("獲得ポイント：4点×1.1→4点"));
    EXPECT_EQ(resultPointsLine(0, 2.0f, 0), QStringLiteral("獲得ポイント：0点×2→0点"));
}

TEST(ResultLines, RunNumberLines)
{
    EXPECT_EQ(resultLevelRunLine(3.0f), QStringLiteral(" (このレベル　3回目)"));
    EXPECT_EQ(resultTodayTotalLine(12), QStringLiteral("（12回目)"));
}

struct MessageCase {
    const char *name;
    int timeUp;
    int own;
    int top;
    int recorded;
    ResultMessage message;
};
class MessagePrecedence : public ::testing::TestWithParam<MessageCase> { };

TEST_P(MessagePrecedence, TimeUpThenOwnAloneThenTopThenPassLine)
{
    auto state = std::make_unique<SharedState>();
    state->TimeUp = std::int16_t(GetParam().timeUp);
    state->NewOwnRecord = std::int16_t(GetParam().own);
    state->NewTopRecord = std::int16_t(GetParam().top);
    EXPECT_EQ(resultMessage(*state, GetParam().recorded, 60), GetParam().message);
}

INSTANTIATE_TEST_SUITE_P(Flags, MessagePrecedence,
    ::testing::Values(MessageCase { "TimeUpBeatsEverything", 1, 1, 1, 99999, ResultMessage::TimeUp },
        MessageCase { "TopAndOwnShowsTop", 0, 1, 1, 30, ResultMessage::TopRecord },
        MessageCase { "OwnAlone", 0, 1, 0, 30, ResultMessage::OwnRecord },
        MessageCase { "TopAlone", 0, 0, 1, 30, ResultMessage::TopRecord },
        MessageCase { "NoRecordAtThePassLine", 0, 0, 0, 60, ResultMessage::NoRecordSound },
        MessageCase { "NoRecordOverThePassLineIsSilent", 0, 0, 0, 61, ResultMessage::Silent }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ResultLines, MessageTexts)
{
    EXPECT_EQ(resultMessageText(ResultMessage::TimeUp), QStringLiteral("時間切れ"));
    EXPECT_EQ(resultMessageText(ResultMessage::OwnRecord), QStringLiteral("新記録おめでとう"));
    EXPECT_EQ(resultMessageText(ResultMessage::TopRecord), QStringLiteral("！！！最高新記録！！！"));
    EXPECT_TRUE(resultMessageText(ResultMessage::NoRecordSound).isEmpty());
}

TEST(GoalBanner, NeverWhenAnyLevelHasClearCount9999)
{
    auto state = std::make_unique<SharedState>();
    for (int level = 1; level <= 35; ++level)
        state->ClearCount[size_t(level)] = 5;
    state->ClearCount[0] = 9999; // the header slot is no level
    EXPECT_TRUE(goalBannerAllowed(*state));
    state->ClearCount[35] = 9999;
    EXPECT_FALSE(goalBannerAllowed(*state));
}

struct AgainCase {
    bool overPractised;
    bool passed;
    int level;
    int goalCleared;
    bool withheld;
};
class AgainRule : public ::testing::TestWithParam<AgainCase> { };

TEST_P(AgainRule, WithheldOnlyBelowAnUnclearedGoalWhenPassedAndOverPractised)
{
    const AgainCase &c = GetParam();
    EXPECT_EQ(againWithheld(c.overPractised, c.passed, c.level, 4, c.goalCleared), c.withheld);
}

INSTANTIATE_TEST_SUITE_P(Cases, AgainRule,
    ::testing::Values(AgainCase { true, true, 2, 0, true }, AgainCase { false, true, 2, 0, false },
        AgainCase { true, false, 2, 0, false }, AgainCase { true, true, 4, 0, false },
        AgainCase { true, true, 2, 1, false }));

} // namespace
