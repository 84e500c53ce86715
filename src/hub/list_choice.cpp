// SPDX-License-Identifier: MIT
#include "hub/list_choice.h"

HubListChoice listForOrdering(int &listMode, int &pointOrder, int index)
{
    if (listMode == 0)
        listMode = int(ListView::Time);
    if (listMode == int(ListView::Points)) {
        if (pointOrder == 0)
            pointOrder = 1;
        switch (index) {
        case 1:
            pointOrder = 1;
            return { HubList::TotalPointsRanking, 1 };
        case 2:
            pointOrder = 2;
            return { HubList::TodayPointsRanking, 1 };
        default:
            return { HubList::PeriodRuns, 2 };
        }
    }
    switch (index) {
    case 1:
        return { HubList::BestTimes, 1 };
    case 2:
        return { HubList::TodayRuns, 2 };
    default:
        return { HubList::PeriodRuns, 2 };
    }
}

OrderCaptions orderCaptions(ListView view)
{
    if (view == ListView::Points)
        return { QStringLiteral("合計累計"), QStringLiteral("合計本日"), QStringLiteral("すべて") };
    return { QStringLiteral("BEST表示"), QStringLiteral("本日のみ"), QString() };
}

OrderCaptions refreshOrderCaptions()
{
    return { QStringLiteral("累計順"), QStringLiteral("本日順"), QString() };
}

RankingOrder rankingOrderOf(HubList list)
{
    switch (list) {
    case HubList::TotalPointsRanking:
        return RankingOrder::TotalPoints;
    case HubList::TodayPointsRanking:
        return RankingOrder::TodayPoints;
    default:
        return RankingOrder::BestTime;
    }
}
