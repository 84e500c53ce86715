// SPDX-License-Identifier: MIT
// The journal of the results-data editor, "成績累積データ変更記録.dat" beside
// the results file: before a teacher's change or deletion touches a run, what
// it replaces is appended here, so that nothing a teacher does is final
// ("元に戻す" puts it back). It is written only while the results file's
// whole-file lock is held, by appends of whole entries, each flushed; it is
// never rewritten.
//
// An entry is 288 bytes, little-endian, packed, like the records it keeps:
//   0   4  magic "RKJ1"
//   4   2  action: 1 change, 2 deletion, 3 undo of a change, 4 undo of a deletion
//   6   2  flags: bit 0 the record before is kept, bit 1 the record after
//   8   8  double: the day (OLE automation date, whole days), as records have it
//  16   8  double: the time of day (fraction of a day)
//  24   8  int64: the record number (1-based) the action was done at
//  32   8  int64: for an undo, the number (1-based) of the entry it undid
//  40  44  the record as it was before the action (deleted, or changed from)
//  84  44  the record the action left there (a change's new bytes; zeros
//          for a deletion)
// 128  44  the record before it in the file at that moment (deletions)
// 172  44  the record after it (deletions)
// 216  64  the PC's host name, CP932, padded with zero bytes
// 280   8  zero bytes, reserved
// A torn tail (a crash during an append) is not an entry; the next append
// writes over it.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

inline constexpr int kJournalEntryLength = 288;

enum class JournalAction : std::int16_t {
    Change = 1,
    Deletion = 2,
    UndoOfChange = 3,
    UndoOfDeletion = 4,
};

struct JournalEntry {
    qint64 number = 0; // 1-based position in the journal (set when read)
    JournalAction action = JournalAction::Change;
    double date = 0;
    double timeOfDay = 0;
    qint64 recordNumber = 0;
    qint64 undoes = 0;
    QByteArray oldRecord; // 44 bytes
    QByteArray newRecord; // 44 bytes, or empty
    QByteArray before; // 44 bytes, or empty when the record was the first
    QByteArray after; // 44 bytes, or empty when the record was the last
    QString host;

    bool isUndo() const { return action == JournalAction::UndoOfChange || action == JournalAction::UndoOfDeletion; }
};

// The journal beside a results file.
QString resultsJournalPath(const QString &resultsPath);

QByteArray encodeJournalEntry(const JournalEntry &entry);
// nullopt when the bytes are no entry (another magic, an unknown action).
std::optional<JournalEntry> decodeJournalEntry(const char *bytes, qint64 number);

struct JournalContents {
    bool ok = false; // false: it could not be read (a missing journal is empty and ok)
    int errorNumber = 0;
    bool exists = false;
    qint64 bytes = 0; // the file's length
    std::vector<JournalEntry> entries; // in file order; unreadable entries left out
    qint64 unreadable = 0; // whole entries that were no entry
    // Whether entry `number` has been undone by a later entry.
    bool undone(qint64 number) const;
    const JournalEntry *find(qint64 number) const;
};
JournalContents readJournal(const QString &journalPath);

// Appends one entry and flushes it. Only to be called while the results
// file's lock is held: that lock is the journal's too. The journal is
// created by the shared folder rule when missing. 0, or the error number;
// `lengthBefore` receives the length to cut back to should the action the
// entry announces fail, `number` the entry's number.
int appendJournalEntry(
    const QString &journalPath, const JournalEntry &entry, qint64 *lengthBefore = nullptr, qint64 *number = nullptr);
// Cuts the journal back to `length` (an entry whose action was not done).
int takeBackJournalEntry(const QString &journalPath, qint64 length);

// This PC's name for the journal.
QString journalHostName();
