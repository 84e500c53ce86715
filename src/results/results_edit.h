// SPDX-License-Identifier: MIT
// A teacher's correction or deletion of one stored run, while the other
// classroom PCs go on appending to the same file. Both hold the whole-file
// lock the appends use, and both first make sure the record at the opened
// number is still the one the teacher opened: another PC's deletion shifts
// the numbers, and another teacher may have changed it.
//
// A deletion never rewrites the file in place. The new set of records is
// written beside it, flushed to disk, and renamed over the old file while
// the old file's lock is held, so at every instant the name holds either the
// old or the new complete set. An append that waited on the old file's lock
// notices the replacement and moves to the new file (openLockedResultsFile).
#pragma once

#include "results/result_record.h"

#include <QByteArray>
#include <QString>

class Clock;

enum class RecordEditOutcome {
    Done,
    Stale, // the record at that number is no longer the opened one; nothing written
    Failed, // a file step failed; nothing written (see the error)
};

struct RecordEditResult {
    RecordEditOutcome outcome = RecordEditOutcome::Failed;
    int errorNumber = 0;
    QString failedFile; // the file the failed step was on
};

// The 44 bytes of `opened` with the pupil number and the time replaced;
// every other byte stays as it was.
QByteArray withPupilAndTime(const QByteArray &opened, std::int16_t pupilNumber, std::int32_t seconds);

// Writes `replacement` (44 bytes) as record `recordNumber` (1-based), if that
// record still holds exactly `opened`.
RecordEditResult changeResultRecord(
    const QString &path, qint64 recordNumber, const QByteArray &opened, const QByteArray &replacement, Clock &clock);

// Removes record `recordNumber` (1-based), if it still holds exactly
// `opened`. Every other whole record is kept byte for byte, in order; a
// trailing partial record (a write cut off long ago; appends overwrite it
// anyway) is not carried over.
RecordEditResult deleteResultRecord(const QString &path, qint64 recordNumber, const QByteArray &opened, Clock &clock);

// The file a deletion writes its new content to, beside the results file.
QString resultsReplacementPath(const QString &path);
