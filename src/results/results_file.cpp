// SPDX-License-Identifier: MIT
#include "results/results_file.h"
#include "platform/clock.h"
#include "platform/file_calls.h"
#include "platform/file_lock.h"
#include "platform/shared_folder.h"
#include "platform/wait_notice.h"
#include "state/shared_state.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int kNotFoundAttempts = 4;

int openFd(const QString &path, int flags)
{
    const QByteArray name = QFile::encodeName(path);
    int fd;
    do {
        fd = ::open(name.constData(), flags | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

} // namespace

QString resultsFilePath(const SharedState &state)
{
    return state.ProgramDataFolder + QStringLiteral("成績累積データ.dat");
}

FileErrorKind classifyFileError(int errorNumber)
{
    switch (errorNumber) {
    case EACCES:
    case EPERM:
        return FileErrorKind::NoPermission;
    case EAGAIN:
    case EBUSY:
    case ETXTBSY:
        return FileErrorKind::Busy;
    case ENOENT:
        return FileErrorKind::NotFound;
    default:
        return FileErrorKind::Other;
    }
}

QString fileErrorDescription(int errorNumber)
{
    return QString::fromLocal8Bit(std::strerror(errorNumber));
}

QString permissionWaitText(const QString &path, int errorNumber)
{
    return QStringLiteral("成績ファイルを開けないので待っています。\n%1\n%2（%3）\n先生を呼びなさい。")
        .arg(path, fileErrorDescription(errorNumber))
        .arg(errorNumber);
}

bool storageRefused(int errorNumber)
{
    switch (errorNumber) {
    case ENOSPC:
    case EDQUOT:
    case EIO:
    case ESTALE:
    case EROFS:
        return true;
    default:
        return false;
    }
}

QString storageWaitText(const QString &path, int errorNumber)
{
    QString cause;
    switch (errorNumber) {
    case ENOSPC:
        cause = QStringLiteral("ディスクがいっぱいです。");
        break;
    case EDQUOT:
        cause = QStringLiteral("使ってよい容量を使い切りました。");
        break;
    case EIO:
        cause = QStringLiteral("ディスクの読み書きに失敗しました。");
        break;
    case ESTALE:
        cause = QStringLiteral("共有フォルダーのファイルが見えなくなりました。");
        break;
    case EROFS:
        cause = QStringLiteral("書き込みできない状態になっています。");
        break;
    default:
        break;
    }
    return QStringLiteral("成績を記録できないので待っています。\n%1\n%2%3（%4）\n先生を呼びなさい。")
        .arg(path, cause, fileErrorDescription(errorNumber))
        .arg(errorNumber);
}

FileWait::FileWait(Clock &clock, WaitNotice *notice, const QString &path)
    : clock_(clock)
    , notice_(notice)
    , path_(path)
{
}

FileWait::~FileWait()
{
    if (shown_)
        notice_->clear();
}

FileWait &FileWait::waitingWhileStorageRefuses()
{
    storageWaits_ = true;
    return *this;
}

FileWait &FileWait::waitingWhileNotFound()
{
    notFoundWaits_ = true;
    return *this;
}

void FileWait::show(const QString &text)
{
    if (!notice_)
        return;
    notice_->show(text);
    shown_ = true;
}

std::optional<FileWait::End> FileWait::afterFailure(int error)
{
    if (storageWaits_ && storageRefused(error)) {
        show(storageWaitText(path_, error));
        clock_.waitResponsive(1000);
        return std::nullopt;
    }
    switch (classifyFileError(error)) {
    case FileErrorKind::NoPermission:
        show(permissionWaitText(path_, error));
        clock_.waitResponsive(1000);
        return std::nullopt;
    case FileErrorKind::Busy:
        clock_.waitResponsive(1000);
        return std::nullopt;
    case FileErrorKind::NotFound:
        if (!notFoundWaits_)
            return End::Failed;
        if (++notFoundFailures_ >= kNotFoundAttempts)
            return End::NotFoundExhausted;
        clock_.waitResponsive(5000);
        return std::nullopt;
    case FileErrorKind::Other:
        break;
    }
    return End::Failed;
}

ResultsFile &ResultsFile::operator=(ResultsFile &&other) noexcept
{
    if (this != &other) {
        close();
        fd_ = other.fd_;
        twin_ = other.twin_;
        other.fd_ = -1;
        other.twin_ = -1;
    }
    return *this;
}

void ResultsFile::close()
{
    for (int *fd : { &fd_, &twin_ }) {
        if (*fd >= 0) {
            ::close(*fd);
            *fd = -1;
        }
    }
}

int ResultsFile::closeChecked()
{
    int error = 0;
    for (int *fd : { &fd_, &twin_ }) {
        if (*fd < 0)
            continue;
        // The descriptor is gone whatever close() answers.
        if (const int e = ::closeChecked(*fd); e != 0 && error == 0)
            error = e;
        *fd = -1;
    }
    return error;
}

qint64 ResultsFile::recordCount(int *errorNumber) const
{
    struct stat info;
    if (::fstat(fd_, &info) != 0) {
        *errorNumber = errno;
        return -1;
    }
    *errorNumber = 0;
    return qint64(info.st_size) / kRecordLength;
}

qint64 ResultsFile::readRecords(qint64 first, qint64 count, std::vector<char> &bytes, int *errorNumber) const
{
    *errorNumber = 0;
    if (count <= 0) {
        bytes.clear();
        return 0;
    }
    const size_t wanted = size_t(count) * kRecordLength;
    bytes.resize(wanted);
    size_t got = 0;
    off_t offset = off_t(first - 1) * kRecordLength;
    while (got < wanted) {
        const ssize_t n = ::pread(fd_, bytes.data() + got, wanted - got, offset + off_t(got));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            *errorNumber = errno;
            return -1;
        }
        if (n == 0)
            break;
        got += size_t(n);
    }
    // Only whole records count: a record still being written elsewhere is
    // left for the next load.
    const qint64 whole = qint64(got / kRecordLength);
    bytes.resize(size_t(whole) * kRecordLength);
    return whole;
}

int ResultsFile::writeRecord(qint64 recordNumber, const ResultRecord &record) const
{
    return writeRecordBytes(recordNumber, encodeRecord(record));
}

int ResultsFile::writeRecordBytes(qint64 recordNumber, const QByteArray &bytes) const
{
    return pwriteFully(fd_, bytes.constData(), size_t(bytes.size()), off_t(recordNumber - 1) * kRecordLength);
}

int ResultsFile::flush() const
{
    return syncData(fd_);
}

bool OpenResultsFile(const QString &path, ResultsAccess access, ResultsFile &file, int *errorNumber)
{
    file.close();
    int fd = -1;
    // A missing file is created by the shared folder's rule, so that the
    // other accounts of a classroom share can append to it too.
    const QByteArray name = QFile::encodeName(path);
    if (access == ResultsAccess::Read) {
        fd = openFd(path, O_RDONLY);
        // Opening creates a missing file, as for a writer.
        if (fd < 0 && errno == ENOENT)
            fd = sharedfolder::openOrCreate(name, O_RDWR);
    } else {
        fd = sharedfolder::openOrCreate(name, O_RDWR);
    }
    if (fd < 0) {
        *errorNumber = errno;
        return false;
    }
    *errorNumber = 0;
    file.fd_ = fd;
    return true;
}

namespace {

// Whether two open descriptors are the same file. -1 with the error number
// set when the system cannot say.
int sameOpenFile(int a, int b, int *errorNumber)
{
    struct stat first;
    struct stat second;
    if (::fstat(a, &first) != 0 || ::fstat(b, &second) != 0) {
        *errorNumber = errno;
        return -1;
    }
    return first.st_dev == second.st_dev && first.st_ino == second.st_ino ? 1 : 0;
}

} // namespace

int openLockedResultsFile(const QString &path, Clock &clock, ResultsFile &file, OpenRetry retry, WaitNotice *notice)
{
    int error = 0;
    auto open = [&] {
        int e = 0;
        OpenResultsFile(path, ResultsAccess::ReadWrite, file, &e);
        return e;
    };
    if (retry == OpenRetry::WhileBusy) {
        if (FileWait(clock, notice, path).repeat(&error, open) != FileWait::End::Done)
            return error;
    } else if ((error = open()) != 0) {
        return error;
    }
    while (true) {
        error = lockWholeFileWaiting(file.handle(), clock);
        if (error != 0) {
            file.close();
            return error;
        }
        // A deletion elsewhere replaces the file by renaming a new one over
        // it, under the old file's lock. Whoever waited on that lock now
        // holds a file nobody reads any more and must start again on the
        // file the name points to. Opening the name makes a network client
        // look it up on the server (close-to-open); its stat() may answer
        // from a cache that still knows the old file.
        ResultsFile fresh;
        if (!OpenResultsFile(path, ResultsAccess::ReadWrite, fresh, &error)) {
            file.close();
            return error;
        }
        const int same = sameOpenFile(file.handle(), fresh.handle(), &error);
        if (same < 0) {
            file.close();
            return error;
        }
        if (same == 1) {
            file.twin_ = fresh.fd_;
            fresh.fd_ = -1;
            return 0;
        }
        file = std::move(fresh); // frees the old file's lock with it
    }
}

namespace {

// Where a run's record went when its write arrived but the flush that
// should have confirmed it failed.
struct LandedRecord {
    dev_t device = 0;
    ino_t inode = 0;
    qint64 recordNumber = 0;
};

std::optional<LandedRecord> landedAt(const ResultsFile &file, qint64 recordNumber, int *errorNumber)
{
    struct stat info;
    if (::fstat(file.handle(), &info) != 0) {
        *errorNumber = errno;
        return std::nullopt;
    }
    return LandedRecord { info.st_dev, info.st_ino, recordNumber };
}

// The record `bytes` in the locked file: at the place it was written to when
// the file is still that one and holds it there, else wherever it is now (a
// deletion elsewhere may have renamed a new file over the old one, its
// records moved up). 0 when it is not there: its write never reached the
// file the name points to (a share that kept neither it nor the error), so
// it is to be appended. A record carries its pupil, level, time and the
// second it was written: two runs never share all 44 bytes.
qint64 findLandedRecord(const ResultsFile &file, const LandedRecord &landed, const QByteArray &bytes, int *errorNumber)
{
    *errorNumber = 0;
    std::vector<char> buffer;
    struct stat info;
    if (::fstat(file.handle(), &info) != 0) {
        *errorNumber = errno;
        return -1;
    }
    if (info.st_dev == landed.device && info.st_ino == landed.inode) {
        const qint64 got = file.readRecords(landed.recordNumber, 1, buffer, errorNumber);
        if (got < 0)
            return -1;
        if (got == 1 && std::memcmp(buffer.data(), bytes.constData(), kRecordLength) == 0)
            return landed.recordNumber;
    }
    const qint64 total = file.recordCount(errorNumber);
    if (total < 0)
        return -1;
    // From the end backwards: the record went in near the end.
    constexpr qint64 kChunk = 65536;
    for (qint64 last = total; last >= 1; last -= kChunk) {
        const qint64 first = std::max<qint64>(1, last - kChunk + 1);
        const qint64 got = file.readRecords(first, last - first + 1, buffer, errorNumber);
        if (got < 0)
            return -1;
        for (qint64 r = got - 1; r >= 0; --r)
            if (std::memcmp(buffer.data() + r * kRecordLength, bytes.constData(), kRecordLength) == 0)
                return first + r;
    }
    return 0;
}

// One attempt: lock, find the record if an earlier attempt's write arrived,
// else the end of the file, write, flush, unlock, close. `landed` is kept
// across attempts.
int appendOnce(const QString &path, const QByteArray &bytes, Clock &clock, std::optional<LandedRecord> &landed,
    qint64 *recordNumber, WaitNotice *notice)
{
    ResultsFile file;
    // Held from before the position is taken until after the flush, so no
    // two copies ever write the same record number, and none looks for its
    // record while another writes.
    int error = openLockedResultsFile(path, clock, file, OpenRetry::WhileBusy, notice);
    if (error != 0)
        return error;
    WholeFileLock lock(file.handle());

    qint64 position = 0;
    if (landed) {
        position = findLandedRecord(file, *landed, bytes, &error);
        if (position < 0)
            return error;
    }
    if (position == 0) {
        const qint64 count = file.recordCount(&error);
        if (count < 0)
            return error;
        position = count + 1;
    }
    // A record found where an earlier attempt left it is written again, in
    // place: after a failed flush the system may have marked its pages clean
    // without their reaching the disk (Linux does, and tells the error only
    // once), so only a fresh write makes the next flush carry them.
    if ((error = file.writeRecordBytes(position, bytes)) != 0)
        return error;
    auto here = landedAt(file, position, &error);
    if (!here)
        return error;
    landed = here;
    if ((error = file.flush()) != 0)
        return error;
    // Closing frees the lock as well, so an unlock the system refuses is
    // no failure once the close goes through.
    lock.release();
    if ((error = file.closeChecked()) != 0)
        return error;
    *recordNumber = position;
    return 0;
}

} // namespace

int appendResultRecord(
    const QString &path, const ResultRecord &record, Clock &clock, qint64 *recordNumber, WaitNotice *notice)
{
    const QByteArray bytes = encodeRecord(record);
    FileWait wait(clock, notice, path);
    wait.waitingWhileStorageRefuses();
    std::optional<LandedRecord> landed;
    qint64 position = 0;
    int error = 0;
    wait.repeat(&error, [&] { return appendOnce(path, bytes, clock, landed, &position, notice); });
    if (error == 0 && recordNumber)
        *recordNumber = position;
    return error;
}

std::optional<std::vector<ResultRecord>> readResultRecords(
    const QString &path, qint64 firstRecord, QString *error, qint64 maxRecords, int *errorNumber)
{
    auto fail = [&](int e) -> std::optional<std::vector<ResultRecord>> {
        if (error)
            *error = QStringLiteral("%1\n%2（%3）").arg(path, fileErrorDescription(e)).arg(e);
        if (errorNumber)
            *errorNumber = e;
        return std::nullopt;
    };
    ResultsFile file;
    int e = 0;
    if (!OpenResultsFile(path, ResultsAccess::Read, file, &e))
        return fail(e);
    const qint64 total = file.recordCount(&e);
    if (total < 0)
        return fail(e);
    const qint64 first = std::max<qint64>(firstRecord, 1);
    qint64 count = std::max<qint64>(total - first + 1, 0);
    if (maxRecords >= 0)
        count = std::min(count, maxRecords);
    std::vector<char> bytes;
    const qint64 got = file.readRecords(first, count, bytes, &e);
    if (got < 0)
        return fail(e);
    std::vector<ResultRecord> records;
    records.reserve(size_t(got));
    for (qint64 r = 0; r < got; ++r)
        records.push_back(decodeRecord(bytes.data() + r * kRecordLength));
    if (errorNumber)
        *errorNumber = 0;
    return records;
}

qint64 resultRecordCount(const QString &path)
{
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return errno == ENOENT ? 0 : -1;
    return qint64(info.st_size) / kRecordLength;
}

std::optional<std::vector<ResultRecord>> readResultRecordsWaiting(const QString &path, Clock &clock, WaitNotice *notice,
    const std::function<qint64(qint64 recordCount)> &firstOf, QString *error)
{
    std::optional<std::vector<ResultRecord>> records;
    int errorNumber = 0;
    FileWait(clock, notice, path).repeat(&errorNumber, [&] {
        const qint64 first = firstOf(std::max<qint64>(resultRecordCount(path), 0));
        int e = 0;
        records = readResultRecords(path, first, error, -1, &e);
        return e;
    });
    return records;
}
