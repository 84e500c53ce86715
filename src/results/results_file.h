// SPDX-License-Identifier: MIT
// The results file "成績累積データ.dat" and the protocol every copy of the
// program keeps on it: how it is opened, locked, appended to and opened
// again when another copy replaced it, and how a reader or writer waits on
// it. Every copy appends one 44-byte record per finished run, and every
// count, best time, list and graph is rebuilt from it
// (results/results_loader.h). Appends hold the whole-file lock; readers take
// whole records only, so a record being written is never half counted.
#pragma once

#include "results/result_record.h"

#include <QString>
#include <functional>
#include <optional>
#include <sys/types.h>
#include <vector>

struct SharedState;
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

// How every reader and writer of the results file waits on it. A step
// (returning 0 or an error number) that fails because another copy has the
// file or its lock busy is tried again a second later, without limit; one
// refused for want of permission too, with the notice saying why while it
// lasts, since only a person can end that wait. The window stays responsive
// meanwhile. The notice goes when the wait object does.
class FileWait {
public:
    FileWait(Clock &clock, WaitNotice *notice, const QString &path);
    FileWait(const FileWait &) = delete;
    FileWait &operator=(const FileWait &) = delete;
    ~FileWait();

    // Appends also wait while the storage refuses a write, flush or close
    // (storageRefused), saying so: giving up would lose the run.
    FileWait &waitingWhileStorageRefuses();
    // The loader also waits five seconds after "no such file" (the share's
    // folder may come back), up to the fourth time in the life of the wait.
    FileWait &waitingWhileNotFound();

    enum class End { Done, NotFoundExhausted, Failed };
    // Runs `step` until it succeeds or fails for good; `error` receives
    // its last answer.
    template <typename Step> End repeat(int *error, Step step)
    {
        while ((*error = step()) != 0)
            if (const std::optional<End> end = afterFailure(*error))
                return *end;
        return End::Done;
    }

private:
    // Waits when `error` is waited for (nullopt), else says how it ends.
    std::optional<End> afterFailure(int error);
    void show(const QString &text);

    Clock &clock_;
    WaitNotice *notice_;
    QString path_;
    bool storageWaits_ = false;
    bool notFoundWaits_ = false;
    int notFoundFailures_ = 0;
    bool shown_ = false;
};

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

// readResultRecords() as the hub's lists and the graphs read: from the
// record `firstOf` gives for the file's record count to the end, waiting on
// a busy or refused file as every reader does (FileWait). `firstOf` is
// asked again at every attempt, the file may have grown meanwhile; the
// caller keeps what it answered last. nullopt with the message (file and
// reason) when the file cannot be read at all.
std::optional<std::vector<ResultRecord>> readResultRecordsWaiting(const QString &path, Clock &clock, WaitNotice *notice,
    const std::function<qint64(qint64 recordCount)> &firstOf, QString *error);
