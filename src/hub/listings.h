// SPDX-License-Identifier: MIT
// The hub's run lists, read straight from the results file: today's runs,
// all runs of a period and the signed-in pupil's own runs. Each builder
// turns a window of records into the rows of every level's list box, so the
// hub screen only has to move them into level i's list.
//
// What the screen does around a build (the level-panel reset,
// `回数など表示`): for every level i it sets the column's two headings to
// kTodayHeading and kAllTimeHeading and empties its list before adding the
// rows of `RunListing::rows[i]` in order. After a today or period build it
// applies `RunListing::background` (where set) and clears each non-empty
// list's selection, enables the ordering options, and shows the period
// choice only when `showsPeriodSelector` is set.
#pragma once

#include "platform/rgb.h"
#include "results/points.h"
#include "results/result_record.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <span>
#include <vector>

struct SharedState;

inline constexpr char16_t kTodayHeading[] = u"今日";
inline constexpr char16_t kAllTimeHeading[] = u"今まで";

// `ListMode` of the hub: which view the option row shows.
enum class ListView { Time = 1, Points = 2 };

// The three run lists.
enum class RunList { Today, Period, OnePupil };

// What the hub's controls say about the list to build.
struct ListRequest {
    QDate today;
    QString gradeFilter; // the text of the hub's grade filter
    ListView view = ListView::Time;
    int resultPeriod = 3; // `ResultPeriod`, 1..5
};

struct RunListing {
    QString title; // for the title line above the lists
    int hubOrderOption = 0; // the value `HubOrderOption` takes
    // rows[i] for level i = 1..LevelCount; rows[0] stays empty.
    std::vector<QStringList> rows;
    // Background of each level's list in the time view, decided by the
    // level's most recent successful run; unset where the colour stays as
    // it was (no such run, points view, one-pupil list).
    std::vector<std::optional<Rgb>> background;
    bool showsPeriodSelector = false;
};

// Called with the record number of every record read, for the progress bar.
using RecordProgress = std::function<void(int recordNumber)>;

// Record number (1-based) of the first record a list reads from a file of
// `recordCount` records: the last 1000 for today's runs, the last 20000
// for the others.
int firstRecordToRead(RunList list, int recordCount);

// Maximum of the progress bar while a list reads a file of `recordCount`
// records.
int listProgressMaximum(int recordCount);

// Days D of the period list: a run is listed when its date is later than
// today − D. 1 this week (back to Sunday), 2 since last week, 3 a month,
// 4 a year, 5 ten years; any other value lists nothing.
int periodDays(int resultPeriod, const QDate &today);

// Row pieces, exposed for the screen's tests and the graph panel.
QString TimeText(int seconds); // "  45秒": right-aligned in 5
QString hourMinuteText(double timeOfDay); // "09:05"
QString monthDayText(double date); // "12/09"
QString listPupilName(const QString &rosterName); // 5 characters

// Background of a time-view list whose most recent successful run took
// `seconds`: green within the target time, light green within the pass
// line, silver otherwise.
Rgb timeViewListColour(int seconds, int targetTime, int passLineTime);

// Every builder takes the records of the file from record number
// `firstRecordNumber` on (`records[0]` is that record) up to the end of the
// file; records before the list's own first record are passed over, so the
// caller may hand in the whole file or just the window.
RunListing buildTodayList(const SharedState &state, std::span<const ResultRecord> records, int firstRecordNumber,
    const ListRequest &request, const RecordProgress &progress = {});
RunListing buildPeriodList(const SharedState &state, std::span<const ResultRecord> records, int firstRecordNumber,
    const ListRequest &request, const RecordProgress &progress = {});
RunListing buildOnePupilList(const SharedState &state, std::span<const ResultRecord> records, int firstRecordNumber,
    const ListRequest &request, const RecordProgress &progress = {});
