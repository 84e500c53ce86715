// SPDX-License-Identifier: MIT
// A teacher's correction or deletion of one stored run, and the undo of
// either, while the other classroom PCs go on appending to the same file.
// All hold the whole-file lock the appends use, and all first make sure the
// record they act on is still what the teacher saw: another PC's deletion
// shifts the numbers, and another teacher may have changed it.
//
// Nothing is lost for good: before a change or a deletion touches the file,
// what it replaces goes into the journal beside it (results_journal.h),
// flushed, under the same lock, and undoJournalEntry puts it back.
//
// A deletion never rewrites the file in place. The new set of records is
// written beside it, flushed to disk, and renamed over the old file while
// the old file's lock is held (FileReplacement), so at every instant the
// name holds either the old or the new complete set. An append that waited
// on the old file's lock notices the replacement and moves to the new file
// (openLockedResultsFile).
#pragma once

#include "results/result_record.h"

#include <QByteArray>
#include <QString>
#include <ctime>
#include <optional>
#include <sys/types.h>

class Clock;

// What the system says about a results file: which file it is (another PC's
// deletion renames a new one over the name), how long it is, and when it
// was last written. Every writer of the file writes under the whole-file
// lock, and every write moves the modification and change times, so two
// equal states mean nothing was written in between, as far as the times
// can tell (see timesAreFine).
struct FileState {
    dev_t device = 0;
    ino_t inode = 0;
    qint64 length = 0;
    timespec modified {};
    timespec changed {};

    bool sameFile(const FileState &other) const { return device == other.device && inode == other.inode; }
    bool operator==(const FileState &other) const;
    // Whole-second times (some shares and older file systems keep no more)
    // cannot tell two writes in the same second apart, so such a state
    // proves nothing.
    bool timesAreFine() const;
};
// The state of an open file; nullopt with the error number set on failure.
std::optional<FileState> fileStateOf(int fd, int *errorNumber);
// The state of the file the name points to now.
std::optional<FileState> fileStateAt(const QString &path, int *errorNumber);

enum class RecordEditOutcome {
    Done,
    Stale, // the record at that place is no longer the opened one (or the journal's); nothing written
    Failed, // a file step failed before anything changed; nothing written (see the error)
    MayBeWritten, // the write started and then failed: the record may or may not be on the disk
    AlreadyUndone, // an undo whose run is back already; nothing written
    NotUndoable, // an undo asked for an entry that is itself an undo, or for none
};

struct RecordEditResult {
    RecordEditOutcome outcome = RecordEditOutcome::Failed;
    int errorNumber = 0;
    QString failedFile; // the file the failed step was on
    QString detail; // the failure in full (file and cause) where a step words it itself
    QString note; // done, and yet worth saying (a lock not released, an owner not kept)
    qint64 recordNumber = 0; // an undo: where the run is now
};

// The file under the lock just before a change's write and just after it
// (flushed). Nobody else wrote in between, so a list that matched `before`
// matches `after` once the record is patched in.
struct WrittenChange {
    FileState before;
    FileState after;
};

// Writes `replacement` (44 bytes) as record `recordNumber` (1-based), if that
// record still holds exactly `opened`, after appending the change to the
// journal (results_journal.h). When done, `written` (if given) receives the
// file's state around the write, or is reset if that could not be taken.
RecordEditResult changeResultRecord(const QString &path, qint64 recordNumber, const QByteArray &opened,
    const QByteArray &replacement, Clock &clock, std::optional<WrittenChange> *written = nullptr);

// Removes record `recordNumber` (1-based), if it still holds exactly
// `opened`, after appending it and its neighbours to the journal. Every
// other whole record is kept byte for byte, in order; a trailing partial
// record (a write cut off long ago; appends overwrite it anyway) is not
// carried over. The file is replaced through FileReplacement.
RecordEditResult deleteResultRecord(const QString &path, qint64 recordNumber, const QByteArray &opened, Clock &clock);

// Undoes journal entry `entryNumber` (a change or a deletion) under the
// results file's lock: a changed run gets its old 44 bytes back where it
// now stands (found by the bytes the change wrote, nearest its old number;
// Stale when no record holds them any more); a deleted run goes back after
// the record that stood before it, else before the one that stood after
// it, else (both gone) at the end of the file, through the same
// replacement as a deletion. The undo is then appended to the journal.
RecordEditResult undoJournalEntry(const QString &path, qint64 entryNumber, Clock &clock);
