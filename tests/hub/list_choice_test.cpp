// SPDX-License-Identifier: MIT
#include "hub/list_choice.h"

#include <gtest/gtest.h>

namespace {

struct ChoiceCase {
    int listMode;
    int pointOrder;
    int index;
    HubList list;
    int listKind;
    int listModeAfter;
    int pointOrderAfter;
};

class OrderingChoiceTest : public ::testing::TestWithParam<ChoiceCase> { };

TEST_P(OrderingChoiceTest, ListForEachViewAndOrdering)
{
    const ChoiceCase c = GetParam();
    int listMode = c.listMode;
    int pointOrder = c.pointOrder;
    const HubListChoice choice = listForOrdering(listMode, pointOrder, c.index);
    EXPECT_EQ(choice.list, c.list);
    EXPECT_EQ(choice.listKind, c.listKind);
    EXPECT_EQ(listMode, c.listModeAfter);
    EXPECT_EQ(pointOrder, c.pointOrderAfter);
}

INSTANTIATE_TEST_SUITE_P(BothViews, OrderingChoiceTest,
    ::testing::Values(ChoiceCase { 1, 2, 1, HubList::BestTimes, 1, 1, 2 },
        ChoiceCase { 1, 0, 2, HubList::TodayRuns, 2, 1, 0 }, ChoiceCase { 1, 1, 3, HubList::PeriodRuns, 2, 1, 1 },
        ChoiceCase { 0, 0, 1, HubList::BestTimes, 1, 1, 0 },
        ChoiceCase { 2, 2, 1, HubList::TotalPointsRanking, 1, 2, 1 },
        ChoiceCase { 2, 1, 2, HubList::TodayPointsRanking, 1, 2, 2 },
        ChoiceCase { 2, 0, 3, HubList::PeriodRuns, 2, 2, 1 }, ChoiceCase { 2, 2, 3, HubList::PeriodRuns, 2, 2, 2 }));

TEST(OrderCaptionsTest, CaptionsFollowTheView)
{
    EXPECT_EQ(orderCaptions(ListView::Time).option1, QStringLiteral("BEST表示"));
    EXPECT_EQ(orderCaptions(ListView::Time).option2, QStringLiteral("本日のみ"));
    EXPECT_TRUE(orderCaptions(ListView::Time).option3.isEmpty());
    EXPECT_EQ(orderCaptions(ListView::Points).option1, QStringLiteral("合計累計"));
    EXPECT_EQ(orderCaptions(ListView::Points).option2, QStringLiteral("合計本日"));
    EXPECT_EQ(orderCaptions(ListView::Points).option3, QStringLiteral("すべて"));
    EXPECT_EQ(rankingOrderOf(HubList::TodayPointsRanking), RankingOrder::TodayPoints);
    EXPECT_EQ(rankingOrderOf(HubList::TotalPointsRanking), RankingOrder::TotalPoints);
    EXPECT_EQ(rankingOrderOf(HubList::BestTimes), RankingOrder::BestTime);
}

} // namespace
