// SPDX-License-Identifier: MIT
// Which list the hub's two option rows ask for: the view type (time view,
// points view, one pupil's times) and the ordering (options 1..3,
// captioned per view). The screen runs the builder named here (listings.h,
// rankings.h) and moves its rows into the level lists.
//
// The two combo boxes: a new grade filter (`applyGradeFilter`) builds the
// current view again with the new filter text; a new period
// (`choosePeriod`) counts only while ordering 3 is selected: `ResultPeriod`
// becomes the item index + 1 and the period list is built again.
#pragma once

#include "hub/listings.h"
#include "hub/rankings.h"

#include <QString>

enum class HubList {
    BestTimes, // ranking by best time (time view, ordering 1)
    TodayRuns, // today's runs (time view, ordering 2)
    PeriodRuns, // all runs of the period (ordering 3, either view)
    TotalPointsRanking, // points view, ordering 1
    TodayPointsRanking, // points view, ordering 2
    OnePupilRuns, // view type 2
};

struct HubListChoice {
    HubList list = HubList::BestTimes;
    int listKind = 1; // `ListKind`: 1 ranking, 2 run list
};

// The list for the ordering option `index` (1..3) in the current view
// (`HubScreen::chooseOrdering`). A `listMode` of 0 is read as the time view and set so; in the points
// view `pointOrder` follows orderings 1 and 2 (0 is read as 1).
HubListChoice listForOrdering(int &listMode, int &pointOrder, int index);

// Captions of the ordering options 1..3 in a view; `option3` is empty where the
// caption stays as it is.
struct OrderCaptions {
    QString option1;
    QString option2;
    QString option3;
};
OrderCaptions orderCaptions(ListView view);
// The captions the screen refresh gives ordering options 1 and 2.
OrderCaptions refreshOrderCaptions();

// The ranking order a ranking list stands for.
RankingOrder rankingOrderOf(HubList list);
