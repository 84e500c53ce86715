// SPDX-License-Identifier: MIT
// Runs and points per level and pupil, rebuilt from the results file each
// time a screen needs them, and the three rules built on them: passed,
// over-practised, cleared at all. Nothing of this is ever stored.
#pragma once

#include <cstdint>

struct SharedState;
struct Platform;

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

// The pupil's valid runs today over every level, as TodayRunTotal holds it:
// the hub's "本日総回数", the drill's "本日" (this run is number total + 1)
// and the result screen's "（N回目)" after the run, so one run counts the
// same on all three.
std::int16_t todaysRunTotal(const SharedState &state, int pupil);
