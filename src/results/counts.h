// SPDX-License-Identifier: MIT
// Runs and points per level and pupil, rebuilt from the results file each
// time a screen needs them, and the three rules built on them: passed,
// over-practised, cleared at all. Nothing of this is ever stored.
#pragma once

#include <cstdint>
#include <vector>

struct SharedState;
struct Platform;

// A run that counts as done: a time below 6000 seconds (a time-up, a failed
// run and a corrupt time do not).
inline bool isValidRun(std::int32_t seconds)
{
    return seconds < 6000;
}
// Records dated after the cut-off fall in a period of `days` days that ends
// now. Dates carry no time of day, so 7 days are today and the six before.
inline double periodCutOff(double nowOle, double days)
{
    return nowOle - days;
}

// Reloads the results (best times included) and rebuilds the eight count
// tables over four spans: all loaded records, today, the judgment period
// and the over-practice period. False after a failure has been reported.
bool 回数求(SharedState &state, Platform &platform);

// Rebuilds the eight count tables from the loaded-record tables as they
// stand, against the date and time `nowOle` (an OLE date).
void countLoadedRecords(SharedState &state, double nowOle);
// Sets the eight count tables (runs and points: total, today, period,
// over-practice) to zero, as a count begins.
void clearCounts(SharedState &state);

// Enough valid runs and points within the judgment period.
bool LevelPassed(const SharedState &state, int level, int pupil);
// The over-practice run count or points limit reached within its period; a
// limit of 0 is no limit.
bool LevelOverPractised(const SharedState &state, int level, int pupil);
// Enough valid runs and points over all loaded records.
bool LevelClearedEver(const SharedState &state, int level, int pupil);

// When each listed pupil last practised, and how often lately, from the
// loaded records (the same records and the same period rule as the counts),
// for the teachers' overview of a class.
struct RecentPractice {
    // Per pupil (index 0..5000): valid runs of the level within the period.
    std::vector<std::int16_t> levelRuns;
    // Per pupil: the newest record date of the level, of any level; 0 when
    // no loaded record has one.
    std::vector<double> levelLastDate;
    std::vector<double> anyLastDate;
    double cutOff = 0; // records dated after it are within the period
};
RecentPractice recentPractice(const SharedState &state, int level, double nowOle, double days);

// The pupil's valid runs today over every level, as TodayRunTotal holds it:
// the hub's "本日総回数", the drill's "本日" (this run is number total + 1)
// and the result screen's "（N回目)" after the run, so one run counts the
// same on all three.
std::int16_t todaysRunTotal(const SharedState &state, int pupil);
