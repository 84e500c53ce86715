// SPDX-License-Identifier: MIT
// The results file "成績累積データ.dat": every copy of the program appends one
// 44-byte record per finished run, and every count, best time, list and
// graph is rebuilt from it. Appends hold the whole-file lock; readers take
// whole records only, so a record being written is never half counted.
#pragma once

#include "results/result_record.h"

#include <QString>
#include <array>
#include <optional>
#include <sys/types.h>
#include <vector>

struct SharedState;
struct Platform;
class Clock;
class WaitNotice;

QString resultsFilePath(const SharedState &state);

// How a failed file step is handled: busy (another copy has the file or the
// lock; wait a second and repeat), no permission (repeat a second apart as
// well, for the file is recorded as soon as someone fixes it, but say on
// screen why the program waits: it never clears by itself), not there (a
// bounded number of waits for the loader), or anything else (report and end).
enum class FileErrorKind { Busy, NoPermission, NotFound, Other };
FileErrorKind classifyFileError(int errorNumber);
// Busy or no permission: the step is repeated without limit.
inline bool waitsForFile(FileErrorKind kind)
{
    return kind == FileErrorKind::Busy || kind == FileErrorKind::NoPermission;
}
// The system's description of an error number.
QString fileErrorDescription(int errorNumber);
// What the screen says while the program waits for permission on a file.
QString permissionWaitText(const QString &path, int errorNumber);

// A write, flush or close the storage refused: a full disk (ENOSPC), a
// used-up quota (EDQUOT), a failing disk (EIO), a share that lost the file
// (ESTALE), a file system turned read-only (EROFS). None of them clears by
// itself, and giving up would lose the run, so an append waits a second at
// a time for someone to fix it, saying on screen why.
bool storageRefused(int errorNumber);
// What the screen says meanwhile: the file, the cause, whom to call.
QString storageWaitText(const QString &path, int errorNumber);

// The calls an append's write, flush and close go through. Replaceable so
// that a test can play a full disk, a quota, a failing disk or a share that
// lost the file; returns the calls in place before. A null member puts the
// system's call back.
struct AppendSystemCalls {
    ssize_t (*pwrite)(int fd, const void *data, size_t size, off_t offset) = nullptr;
    int (*fdatasync)(int fd) = nullptr;
    int (*close)(int fd) = nullptr;
};
AppendSystemCalls replaceAppendSystemCalls(const AppendSystemCalls &calls);

enum class ResultsAccess {
    Read, // read-only where the file allows no more
    ReadWrite, // for appending
};

enum class OpenRetry {
    WhileBusy, // a busy or refused open waits a second and tries again, without limit
    Once, // an open that fails is reported at once
};

// The results file opened for record access; closed when destroyed.
class ResultsFile {
public:
    ResultsFile() = default;
    ResultsFile(const ResultsFile &) = delete;
    ResultsFile &operator=(const ResultsFile &) = delete;
    ResultsFile(ResultsFile &&other) noexcept
        : fd_(other.fd_)
        , twin_(other.twin_)
    {
        other.fd_ = -1;
        other.twin_ = -1;
    }
    ResultsFile &operator=(ResultsFile &&other) noexcept;
    ~ResultsFile() { close(); }

    bool isOpen() const { return fd_ >= 0; }
    int handle() const { return fd_; }
    void close();
    // Closes and says whether the system took it: a network share may
    // report a write it could not keep only here. 0 or the error number.
    int closeChecked();

    // Whole records in the file now: its length / 44, rounded down; -1 on
    // failure with the error number set.
    qint64 recordCount(int *errorNumber) const;
    // Reads up to `count` records from the 1-based record `first` in one
    // read into `bytes`. Returns how many whole records arrived (a file cut
    // short meanwhile gives fewer), or -1 with the error number set.
    qint64 readRecords(qint64 first, qint64 count, std::vector<char> &bytes, int *errorNumber) const;
    // Writes one record (44 bytes) at the 1-based position. 0 or the error
    // number.
    int writeRecord(qint64 recordNumber, const ResultRecord &record) const;
    int writeRecordBytes(qint64 recordNumber, const QByteArray &bytes) const;
    // Flushes the file's data to the disk (fdatasync). 0 or the error number.
    int flush() const;

private:
    friend bool OpenResultsFile(const QString &, ResultsAccess, ResultsFile &, int *);
    friend int openLockedResultsFile(const QString &, Clock &, ResultsFile &, OpenRetry, WaitNotice *);
    int fd_ = -1;
    // A second descriptor of the same file, opened to check under the lock
    // that the name still points to it. Where the lock is a classic record
    // lock (the fallback on shares that refuse open-file-description locks)
    // closing any descriptor of the file frees it, so this one is closed
    // only together with the file.
    int twin_ = -1;
};

// Opens the file for record access; a missing file is created empty (its
// folder must exist). False with the error number set on failure.
bool OpenResultsFile(const QString &path, ResultsAccess access, ResultsFile &file, int *errorNumber);

// Opens the file (created when missing) for writing and takes the whole-file
// lock, waiting while another copy holds it; then makes sure the lock is on
// the file the name points to now, opening it again as often as the file
// was replaced meanwhile. The name is checked by opening it afresh and
// comparing the two open files (device and inode), not by stat() of the
// name, which a network client may answer from its cache. The caller owns
// the lock from then on (it goes with the file's closing). While an open is
// refused for want of permission (waiting) `notice` says so. 0, or the
// error number of the failed step.
int openLockedResultsFile(
    const QString &path, Clock &clock, ResultsFile &file, OpenRetry retry, WaitNotice *notice = nullptr);

// Appends under the whole-file lock at record (length / 44) + 1, so a
// trailing partial record is overwritten, and flushes the record to the disk
// before it counts as stored. Waits a second at a time while another copy
// has the file or the lock, while the file may not be opened, and while the
// storage refuses the write or the flush (both explained through `notice`
// meanwhile). A record whose write arrived but whose flush failed is looked
// for again before anything is written, so it is flushed, never stored
// twice. Returns 0, or the error number of the step that failed;
// `recordNumber` receives the 1-based position of the record.
int appendResultRecord(const QString &path, const ResultRecord &record, Clock &clock, qint64 *recordNumber = nullptr,
    WaitNotice *notice = nullptr);

// The school code as the record carries it: CP932 bytes, left-aligned and
// blank-padded to five, cut before a double-byte character that would not
// fit whole.
std::array<char, 5> schoolCodeField(const QString &schoolCode);

// Whole records from the 1-based `firstRecord` (below 1 reads from the
// first) to the end of the file, at most `maxRecords` when that is not
// negative. nullopt on failure, with the message (file named) and error
// number set; a caller decides whether to wait and try again by
// classifyFileError(errorNumber).
std::optional<std::vector<ResultRecord>> readResultRecords(
    const QString &path, qint64 firstRecord, QString *error, qint64 maxRecords = -1, int *errorNumber = nullptr);
// Whole records in the file: 0 when it does not exist, -1 when it cannot be
// examined.
qint64 resultRecordCount(const QString &path);

// The first record the loader reads of a file of `total` whole records: only
// the newest 20000 are considered.
qint64 loaderFirstRecord(qint64 total);

// Fills the loaded-record tables, LoadedRecordCount, BestTime and TopTime
// from the bytes of consecutive records (the loader's window): the newest
// 10001 accepted records are loaded, in file order, and best times come from
// every record of the window. Records whose level or pupil number cannot
// index the tables are passed over.
void loadRecordWindow(SharedState &state, const char *bytes, qint64 recordCount);

// Appends the run in the shared state (PupilNumber, CurrentLevel,
// RecordedTime, SchoolCode) with today's date and the time now. False after
// a failure has been reported.
bool 成績ランダムファイル記録(SharedState &state, Platform &platform);
// Loads the newest 20000 records (keeping the newest 10001 valid ones) into the
// loaded-record tables and rebuilds BestTime and TopTime. False after a
// failure has been reported.
bool 成績ランダムファイル表示(SharedState &state, Platform &platform);
// Stores a finished run of `level` and raises the record flags for the
// result screen, against the counts and best times of the last count.
// False after a failure has been reported.
bool Seisekikiroku(SharedState &state, Platform &platform, int level);
