// SPDX-License-Identifier: MIT
// The hub's rankings of all listed pupils per level: best times in the time
// view, cumulative or today's points in the points view, with shared ranks
// for ties, and the sort they use. The builders fill the shared ranking
// tables (`RankCount`, `RankKey`, `RankPupils`) as the rest of the program
// expects and hand back each level's rows, so the hub screen only moves them
// into level L's list.
//
// Around a build the screen sets level L's two headings to "今日" and
// "今まで" and empties its list (the level-panel reset, as for the run
// lists). To bring the signed-in pupil into view it selects `scrollRow`
// when it is not -1 and then clears the selection again.
#pragma once

#include "state/tables.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

struct SharedState;

// The three rankings: the time view's best times and the points view's two
// orders (`PointOrder` 1 cumulative, 2 today).
enum class RankingOrder { BestTime, TotalPoints, TodayPoints };

// Sorts positions 1..count of `keys` ascending and moves `companions` along;
// equal keys keep their order (a stable top-down merge sort). `count` is
// clamped to the tables' 5000 positions.
void MergeSortByKey(int count, PupilTable<std::int64_t> &keys, PupilTable<std::int16_t> &companions);

// What a ranking row stands for, whatever its text looks like: the graphs
// find a pupil here by number, so two pupils of the same name keep their
// own rank and points.
struct RankedRow {
    int rank = 0;
    int pupil = 0;
    // The ranking value: the best time (kNoBestTime no run,
    // kFailedRunSeconds a failed best) or the points of the order.
    std::int64_t value = 0;
};

struct LevelRanking {
    QStringList rows;
    std::vector<RankedRow> entries; // entries[i] is rows[i]
    // Row to select so that the signed-in pupil's row (the last row marked
    // "●") scrolls into view: the row above it, -1 when it is the first row
    // or not listed.
    int scrollRow = -1;
};

// The ranking of level L: ranks every listed pupil (up to 5000) and rows for
// those the grade filter lets through, and for today's order only those
// with points today.
LevelRanking buildLevelRanking(SharedState &state, int level, RankingOrder order, const QString &gradeFilter);

struct RankingListing {
    QString title; // for the title line above the lists
    std::optional<int> hubOrderOption; // set when `HubOrderOption` changes
    std::vector<LevelRanking> levels; // [L] for L = 1..LevelCount; [0] empty
};

// Called after each level, for the progress bars.
using LevelProgress = std::function<void(int level)>;

// Every level's ranking: the best times (`HubScreen::rankBestTimes`;
// practice levels get no ranking, their panels are hidden) or the points
// rankings of the ordering options (every level).
RankingListing buildRankings(
    SharedState &state, RankingOrder order, const QString &gradeFilter, const LevelProgress &progress = {});
