// SPDX-License-Identifier: MIT
// The results file and the shared state's tables: the loader that rebuilds
// the loaded-record tables and best times from the newest records, and the
// recording of a finished run with the flags the result screen shows. The
// file protocol underneath is results/results_file.h.
#pragma once

#include <QtGlobal>

struct SharedState;
struct Platform;

// The first record the loader reads of a file of `total` whole records: only
// the newest kRecordWindow are considered.
qint64 loaderFirstRecord(qint64 total);

// Fills the loaded-record tables, LoadedRecordCount, BestTime and TopTime
// from the bytes of consecutive records (the loader's window): the newest
// kCountedRecordCap accepted records are loaded, in file order, and best
// times come from every record of the window. Damaged records
// (isDamagedRecord) are passed over.
void loadRecordWindow(SharedState &state, const char *bytes, qint64 recordCount);

// Appends the run in the shared state (PupilNumber, CurrentLevel,
// RecordedTime, SchoolCode) with today's date and the time now. False after
// a failure has been reported.
bool 成績ランダムファイル記録(SharedState &state, Platform &platform);
// Loads the newest kRecordWindow records (keeping the newest
// kCountedRecordCap valid ones) into the loaded-record tables and rebuilds
// BestTime and TopTime. False after a failure has been reported.
bool 成績ランダムファイル表示(SharedState &state, Platform &platform);
// Stores a finished run of `level` and raises the record flags for the
// result screen, against the counts and best times of the last count.
// False after a failure has been reported.
bool Seisekikiroku(SharedState &state, Platform &platform, int level);
