// SPDX-License-Identifier: MIT
#include "results/results_edit.h"
#include "platform/atomic_file.h"
#include "platform/clock.h"
#include "platform/file_calls.h"
#include "platform/file_lock.h"
#include "results/results_file.h"
#include "results/results_journal.h"

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

RecordEditResult failed(int error, const QString &file)
{
    return { RecordEditOutcome::Failed, error, file, {}, {}, 0 };
}

RecordEditResult outcome(RecordEditOutcome what)
{
    return { what, 0, {}, {}, {}, 0 };
}

// Opens the results file and takes its lock, on the file the name points
// to now. A refused open is reported rather than waited on: a teacher at
// the editor can do something about a file they may not write.
int lockCurrentFile(const QString &path, Clock &clock, ResultsFile &file)
{
    return openLockedResultsFile(path, clock, file, OpenRetry::Once);
}

// Record `recordNumber` of the locked file, or empty beyond its end. 0 or
// the error number.
int recordOf(const ResultsFile &file, qint64 recordNumber, QByteArray *bytes)
{
    bytes->clear();
    int error = 0;
    const qint64 count = file.recordCount(&error);
    if (count < 0)
        return error;
    if (recordNumber < 1 || recordNumber > count)
        return 0;
    std::vector<char> buffer;
    if (file.readRecords(recordNumber, 1, buffer, &error) != 1)
        return error ? error : EIO;
    *bytes = QByteArray(buffer.data(), kRecordLength);
    return 0;
}

// Whether record `recordNumber` of the locked file still holds `opened`.
// 0 with `same` set, or the error number.
int stillTheOpenedRecord(const ResultsFile &file, qint64 recordNumber, const QByteArray &opened, bool *same)
{
    *same = false;
    if (opened.size() != kRecordLength)
        return 0;
    QByteArray now;
    if (const int error = recordOf(file, recordNumber, &now))
        return error;
    *same = now == opened;
    return 0;
}

// Copies `length` bytes from `offset` of `from` into the replacement.
int copyRange(int from, off_t offset, off_t length, FileReplacement &to, std::vector<char> &buffer)
{
    while (length > 0) {
        const size_t want = size_t(std::min<off_t>(length, off_t(buffer.size())));
        const ssize_t n = ::pread(from, buffer.data(), want, offset);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return EIO; // the locked file cannot shrink; a short read is a fault
        if (!to.write(buffer.data(), n))
            return to.errorNumber();
        offset += n;
        length -= n;
    }
    return 0;
}

JournalEntry journalEntry(JournalAction action, qint64 recordNumber, Clock &clock)
{
    JournalEntry entry;
    entry.action = action;
    const QDateTime now = clock.now();
    entry.date = oledate::fromDate(now.date());
    entry.timeOfDay = oledate::timeFraction(now.time());
    entry.recordNumber = recordNumber;
    entry.host = journalHostName();
    return entry;
}

// The lock is freed when the file closes in any case; an unlock the system
// refused is said, but changes nothing of what was written.
QString unlockNote(const QString &path, int error)
{
    if (error == 0)
        return QString();
    return QStringLiteral("%1\nロックを解除できませんでした（%2）。ファイルを閉じたので、ロックはなくなっています。")
        .arg(path, fileErrorDescription(error));
}

QString joined(const QString &a, const QString &b)
{
    if (a.isEmpty())
        return b;
    if (b.isEmpty())
        return a;
    return a + QLatin1Char('\n') + b;
}

// A record looked for in the locked file: the occurrence nearest `near`
// (1-based), 0 when there is none.
struct Sought {
    QByteArray record;
    qint64 near = 0;
    qint64 found = 0;
};

// One pass over the whole records of the locked file with one buffer:
// the file is read in pieces, never held whole (44 MB for a million runs).
int findNearest(const ResultsFile &file, qint64 count, std::vector<Sought> &sought, std::vector<char> &buffer)
{
    const qint64 piece = qint64(buffer.size()) / kRecordLength;
    for (qint64 first = 1; first <= count; first += piece) {
        const qint64 n = std::min(piece, count - first + 1);
        int error = 0;
        if (file.readRecords(first, n, buffer, &error) != n)
            return error ? error : EIO; // the locked file cannot shrink
        for (qint64 i = 0; i < n; ++i) {
            const char *record = buffer.data() + i * kRecordLength;
            const qint64 r = first + i;
            for (Sought &s : sought) {
                if (s.record.size() != kRecordLength || std::memcmp(record, s.record.constData(), kRecordLength) != 0)
                    continue;
                if (s.found == 0 || std::llabs(r - s.near) < std::llabs(s.found - s.near))
                    s.found = r;
            }
        }
    }
    return 0;
}

RecordEditResult undoChange(const ResultsFile &file, const QString &path, const JournalEntry &entry, qint64 count,
    std::vector<char> &buffer, Clock &clock)
{
    // The run is found by what the change wrote: deletions since may have
    // moved it, and a later change or deletion means the journal's bytes are
    // no longer what stands there.
    std::vector<Sought> sought { { entry.newRecord, entry.recordNumber } };
    if (const int error = findNearest(file, count, sought, buffer))
        return failed(error, path);
    const qint64 at = sought[0].found;
    if (at == 0)
        return outcome(RecordEditOutcome::Stale);
    // What this replaces is the change's own new bytes, already in the
    // journal; the undo is recorded once it is done, so a crash between the
    // two leaves a run back in place whose entry an undo then refuses.
    if (const int error
        = pwriteFully(file.handle(), entry.oldRecord.constData(), kRecordLength, off_t(at - 1) * kRecordLength)) {
        RecordEditResult r = outcome(RecordEditOutcome::MayBeWritten);
        r.errorNumber = error;
        r.failedFile = path;
        return r;
    }
    if (const int error = syncData(file.handle())) {
        RecordEditResult r = outcome(RecordEditOutcome::MayBeWritten);
        r.errorNumber = error;
        r.failedFile = path;
        return r;
    }
    JournalEntry undo = journalEntry(JournalAction::UndoOfChange, at, clock);
    undo.undoes = entry.number;
    undo.oldRecord = entry.newRecord;
    undo.newRecord = entry.oldRecord;
    RecordEditResult r = outcome(RecordEditOutcome::Done);
    r.recordNumber = at;
    if (const int error = appendJournalEntry(resultsJournalPath(path), undo))
        r.note = QStringLiteral("%1\n元に戻しましたが、そのことを変更記録に書けませんでした（%2）。")
                     .arg(resultsJournalPath(path), fileErrorDescription(error));
    return r;
}

RecordEditResult undoDeletion(const ResultsFile &file, const QString &path, const JournalEntry &entry, qint64 count,
    std::vector<char> &buffer, Clock &clock)
{
    // Back after the record that stood before it, else before the one that
    // stood after it, else at the end; a run that was the first goes first.
    std::vector<Sought> sought { { entry.before, entry.recordNumber - 1 }, { entry.after, entry.recordNumber } };
    if (!entry.before.isEmpty())
        if (const int error = findNearest(file, count, sought, buffer))
            return failed(error, path);
    const qint64 place = entry.before.isEmpty() ? 1
        : sought[0].found != 0                  ? sought[0].found + 1
        : sought[1].found != 0                  ? sought[1].found
                                                : count + 1;
    // Back already (an undo whose journal entry a crash kept from the disk).
    for (const qint64 r : { place - 1, place }) {
        QByteArray there;
        if (const int error = recordOf(file, r, &there))
            return failed(error, path);
        if (there == entry.oldRecord)
            return outcome(RecordEditOutcome::AlreadyUndone);
    }

    FileReplacement replacement(path);
    const off_t split = off_t(place - 1) * kRecordLength;
    int error = copyRange(file.handle(), 0, split, replacement, buffer);
    if (error == 0 && !replacement.write(entry.oldRecord))
        error = replacement.errorNumber();
    if (error == 0)
        error = copyRange(file.handle(), split, off_t(count) * kRecordLength - split, replacement, buffer);
    if (error != 0 || !replacement.commit()) {
        RecordEditResult r = failed(replacement.errorNumber() ? replacement.errorNumber() : error, path);
        r.detail = replacement.error();
        return r;
    }
    JournalEntry undo = journalEntry(JournalAction::UndoOfDeletion, place, clock);
    undo.undoes = entry.number;
    undo.oldRecord = entry.oldRecord;
    RecordEditResult r = outcome(RecordEditOutcome::Done);
    r.recordNumber = place;
    r.note = replacement.note();
    if (const int error = appendJournalEntry(resultsJournalPath(path), undo))
        r.note = joined(r.note,
            QStringLiteral("%1\n元に戻しましたが、そのことを変更記録に書けませんでした（%2）。")
                .arg(resultsJournalPath(path), fileErrorDescription(error)));
    return r;
}

} // namespace

bool FileState::operator==(const FileState &other) const
{
    auto same = [](const timespec &a, const timespec &b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; };
    return sameFile(other) && length == other.length && same(modified, other.modified) && same(changed, other.changed);
}

bool FileState::timesAreFine() const
{
    return modified.tv_nsec != 0 || changed.tv_nsec != 0;
}

std::optional<FileState> fileStateOf(int fd, int *errorNumber)
{
    struct stat info;
    if (::fstat(fd, &info) != 0) {
        *errorNumber = errno;
        return std::nullopt;
    }
    *errorNumber = 0;
    return FileState { info.st_dev, info.st_ino, qint64(info.st_size), info.st_mtim, info.st_ctim };
}

std::optional<FileState> fileStateAt(const QString &path, int *errorNumber)
{
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) {
        *errorNumber = errno;
        return std::nullopt;
    }
    *errorNumber = 0;
    return FileState { info.st_dev, info.st_ino, qint64(info.st_size), info.st_mtim, info.st_ctim };
}

RecordEditResult changeResultRecord(const QString &path, qint64 recordNumber, const QByteArray &opened,
    const QByteArray &replacement, Clock &clock, std::optional<WrittenChange> *written)
{
    if (written)
        written->reset();
    if (replacement.size() != kRecordLength)
        return failed(EINVAL, path);
    ResultsFile file;
    if (const int error = lockCurrentFile(path, clock, file))
        return failed(error, path);
    WholeFileLock lock(file.handle());

    bool same = false;
    if (const int error = stillTheOpenedRecord(file, recordNumber, opened, &same))
        return failed(error, path);
    if (!same)
        return outcome(RecordEditOutcome::Stale);

    // What the change replaces is kept before the record is touched.
    JournalEntry entry = journalEntry(JournalAction::Change, recordNumber, clock);
    entry.oldRecord = opened;
    entry.newRecord = replacement;
    const QString journal = resultsJournalPath(path);
    if (const int error = appendJournalEntry(journal, entry))
        return failed(error, journal);

    // The change goes ahead without them: the list then reads the file.
    int stateError = 0;
    const auto before = fileStateOf(file.handle(), &stateError);
    // The bytes as given: a decoded and encoded record need not come back
    // bit for bit (a NaN date may change its payload).
    // From here on a failure may have left the new bytes, some of them or
    // none on the disk: nobody can say which, so nobody claims either.
    auto uncertain = [&](int error) {
        RecordEditResult r = outcome(RecordEditOutcome::MayBeWritten);
        r.errorNumber = error;
        r.failedFile = path;
        return r;
    };
    if (const int error = pwriteFully(
            file.handle(), replacement.constData(), size_t(kRecordLength), off_t(recordNumber - 1) * kRecordLength))
        return uncertain(error);
    if (const int error = syncData(file.handle()))
        return uncertain(error);
    // Taken before the lock goes: whatever the list then finds different
    // was written by someone else.
    const auto after = fileStateOf(file.handle(), &stateError);
    RecordEditResult done = outcome(RecordEditOutcome::Done);
    // Written and flushed: a refused unlock is said, not taken for a
    // failure of the change (closing the file frees the lock anyway).
    done.note = unlockNote(path, lock.release());
    if (written && before && after)
        *written = WrittenChange { *before, *after };
    return done;
}

RecordEditResult deleteResultRecord(const QString &path, qint64 recordNumber, const QByteArray &opened, Clock &clock)
{
    ResultsFile file;
    if (const int error = lockCurrentFile(path, clock, file))
        return failed(error, path);
    // The old file's lock is held until the new file has its name: an
    // append cannot land in the old file after its records were copied.
    WholeFileLock lock(file.handle());

    bool same = false;
    if (const int error = stillTheOpenedRecord(file, recordNumber, opened, &same))
        return failed(error, path);
    if (!same)
        return outcome(RecordEditOutcome::Stale);

    struct stat info;
    if (::fstat(file.handle(), &info) != 0)
        return failed(errno, path);
    const off_t wholeRecords = off_t(info.st_size / kRecordLength) * kRecordLength;
    const off_t cut = off_t(recordNumber - 1) * kRecordLength;

    // The run and its neighbours, so that an undo finds its place again
    // after other deletions.
    JournalEntry entry = journalEntry(JournalAction::Deletion, recordNumber, clock);
    entry.oldRecord = opened;
    if (const int error = recordOf(file, recordNumber - 1, &entry.before))
        return failed(error, path);
    if (const int error = recordOf(file, recordNumber + 1, &entry.after))
        return failed(error, path);
    const QString journal = resultsJournalPath(path);
    qint64 journalLength = 0;
    if (const int error = appendJournalEntry(journal, entry, &journalLength))
        return failed(error, journal);
    // A deletion that did not happen must not stand in the journal.
    auto takeBack = [&](RecordEditResult result) {
        takeBackJournalEntry(journal, journalLength);
        return result;
    };

    FileReplacement replacement(path);
    std::vector<char> buffer(size_t(4) << 20);
    int error = copyRange(file.handle(), 0, cut, replacement, buffer);
    if (error == 0)
        error = copyRange(file.handle(), cut + kRecordLength, wholeRecords - cut - kRecordLength, replacement, buffer);
    if (error != 0 || !replacement.commit()) {
        RecordEditResult r = failed(replacement.errorNumber() ? replacement.errorNumber() : error, path);
        r.detail = replacement.error();
        if (replacement.errorNumber() == 0)
            replacement.abandon();
        return takeBack(r);
    }
    RecordEditResult done = outcome(RecordEditOutcome::Done);
    done.note = joined(replacement.note(), unlockNote(path, lock.release()));
    return done;
}

RecordEditResult undoJournalEntry(const QString &path, qint64 entryNumber, Clock &clock)
{
    ResultsFile file;
    if (const int error = lockCurrentFile(path, clock, file))
        return failed(error, path);
    // The journal is read under the results file's lock, which is its lock
    // too: no other undo of the same entry can be half way meanwhile.
    WholeFileLock lock(file.handle());
    const QString journal = resultsJournalPath(path);
    const JournalContents contents = readJournal(journal);
    if (!contents.ok)
        return failed(contents.errorNumber, journal);
    const JournalEntry *entry = contents.find(entryNumber);
    if (!entry || entry->isUndo())
        return outcome(RecordEditOutcome::NotUndoable);
    if (contents.undone(entryNumber))
        return outcome(RecordEditOutcome::AlreadyUndone);

    int error = 0;
    const qint64 count = file.recordCount(&error);
    if (count < 0)
        return failed(error, path);
    std::vector<char> buffer(size_t(4) << 20);
    RecordEditResult result = entry->action == JournalAction::Change
        ? undoChange(file, path, *entry, count, buffer, clock)
        : undoDeletion(file, path, *entry, count, buffer, clock);
    if (result.outcome == RecordEditOutcome::Done)
        result.note = joined(result.note, unlockNote(path, lock.release()));
    return result;
}
