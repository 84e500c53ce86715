// SPDX-License-Identifier: MIT
#include "results/results_file.h"
#include "platform/clock.h"
#include "platform/cp932.h"
#include "platform/fatal_error.h"
#include "platform/file_lock.h"
#include "platform/platform.h"
#include "platform/shared_folder.h"
#include "platform/wait_notice.h"
#include "results/counts.h"
#include "startup/shared_state.h"

#include <QFile>
#include <QtEndian>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::int32_t kNoTime = 99999;
constexpr qint64 kWindowRecords = 20000;
constexpr int kAcceptedCap = 10001;
constexpr int kTopTimePupils = 1000;
constexpr int kNotFoundAttempts = 4;

QString decimal(qint64 n)
{
    return QString::number(n);
}

// Outcome of one file step run under the retry rules.
enum class StepEnd { Done, NotFoundExhausted, Failed };

// A wait that only a person can end (no permission, storage refusing the
// write) shows why on the notice while it lasts; the notice goes once the
// step gets past it.
class NoticeWhileWaiting {
public:
    NoticeWhileWaiting(WaitNotice *notice, const QString &path)
        : notice_(notice)
        , path_(path)
    {
    }
    NoticeWhileWaiting(const NoticeWhileWaiting &) = delete;
    NoticeWhileWaiting &operator=(const NoticeWhileWaiting &) = delete;
    ~NoticeWhileWaiting()
    {
        if (shown_)
            notice_->clear();
    }
    void refused(int error) { show(permissionWaitText(path_, error)); }
    void storageFailed(int error) { show(storageWaitText(path_, error)); }

private:
    void show(const QString &text)
    {
        if (!notice_)
            return;
        notice_->show(text);
        shown_ = true;
    }
    WaitNotice *notice_;
    QString path_;
    bool shown_ = false;
};

// Repeats `step` (returning 0 or an error number) while the file is busy,
// a second apart with the window responsive. With a not-found counter the
// step is also repeated five seconds apart after "no such file", up to the
// fourth such failure in one call.
template <typename Step>
StepEnd retryStep(Clock &clock, int *notFoundFailures, int *error, Step step, NoticeWhileWaiting *notice = nullptr)
{
    while (true) {
        *error = step();
        if (*error == 0)
            return StepEnd::Done;
        switch (classifyFileError(*error)) {
        case FileErrorKind::NoPermission:
            if (notice)
                notice->refused(*error);
            clock.waitResponsive(1000);
            break;
        case FileErrorKind::Busy:
            clock.waitResponsive(1000);
            break;
        case FileErrorKind::NotFound:
            if (!notFoundFailures)
                return StepEnd::Failed;
            if (++*notFoundFailures >= kNotFoundAttempts)
                return StepEnd::NotFoundExhausted;
            clock.waitResponsive(5000);
            break;
        case FileErrorKind::Other:
            return StepEnd::Failed;
        }
    }
}

QString shortDate(double ole)
{
    const QDate d = oledate::toDate(ole);
    return d.isValid() ? d.toString(QStringLiteral("yyyy/MM/dd")) : QString();
}

QString shortTime(double ole)
{
    const QTime t = oledate::toTime(ole);
    return t.isValid() ? t.toString(QStringLiteral("H:mm:ss")) : QString();
}

// The loader's diagnostic: what it was doing, the error, and the loaded
// values at the slot of the record number being read.
QString loaderMessage(const SharedState &state, int marker, int error, qint64 recordNumber)
{
    const bool inSlots = recordNumber >= 1 && recordNumber < kLoadedRecordSlots;
    const size_t i = inSlots ? size_t(recordNumber) : 0;
    const double date = inSlots ? state.RecDate[i] : 0;
    const int pupil = inSlots ? state.RecPupil[i] : 0;
    const int level = inSlots ? state.RecLevel[i] : 0;
    const qint64 seconds = inSlots ? state.RecTime[i] : 0;
    return QStringLiteral("成績ランダムファイル表示") + decimal(marker) + decimal(error) + fileErrorDescription(error)
        + decimal(error) + QStringLiteral("/date") + shortDate(date) + QStringLiteral("/i=") + decimal(recordNumber)
        + QStringLiteral("/time=") + shortTime(date) + QStringLiteral("/name=") + QStringLiteral("/Bangou=")
        + decimal(pupil) + QStringLiteral("/level=") + decimal(level) + QStringLiteral("/time=") + decimal(seconds)
        + QStringLiteral("line") + decimal(marker);
}

int openFd(const QString &path, int flags)
{
    const QByteArray name = QFile::encodeName(path);
    int fd;
    do {
        fd = ::open(name.constData(), flags | O_CLOEXEC, 0666);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

template <typename T> T field(const char *record, int offset)
{
    return qFromLittleEndian<T>(record + offset);
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

namespace {

ssize_t systemPwrite(int fd, const void *data, size_t size, off_t offset)
{
    return ::pwrite(fd, data, size, offset);
}
int systemFdatasync(int fd)
{
    return ::fdatasync(fd);
}
int systemClose(int fd)
{
    return ::close(fd);
}

AppendSystemCalls appendCalls { systemPwrite, systemFdatasync, systemClose };

} // namespace

AppendSystemCalls replaceAppendSystemCalls(const AppendSystemCalls &calls)
{
    const AppendSystemCalls previous = appendCalls;
    appendCalls.pwrite = calls.pwrite ? calls.pwrite : systemPwrite;
    appendCalls.fdatasync = calls.fdatasync ? calls.fdatasync : systemFdatasync;
    appendCalls.close = calls.close ? calls.close : systemClose;
    return previous;
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
        // The descriptor is gone whatever close() answers (Linux frees it
        // even when interrupted), so an interrupted close is no failure.
        if (appendCalls.close(*fd) != 0 && errno != EINTR && error == 0)
            error = errno;
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
    const off_t offset = off_t(recordNumber - 1) * kRecordLength;
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n
            = appendCalls.pwrite(fd_, bytes.constData() + done, size_t(bytes.size() - done), offset + off_t(done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return EIO;
        done += n;
    }
    return 0;
}

int ResultsFile::flush() const
{
    int rc;
    do {
        rc = appendCalls.fdatasync(fd_);
    } while (rc != 0 && errno == EINTR);
    return rc == 0 ? 0 : errno;
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
    NoticeWhileWaiting permission(notice, path);
    int error = 0;
    auto open = [&] {
        int e = 0;
        OpenResultsFile(path, ResultsAccess::ReadWrite, file, &e);
        return e;
    };
    if (retry == OpenRetry::WhileBusy) {
        if (retryStep(clock, nullptr, &error, open, &permission) != StepEnd::Done)
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
    NoticeWhileWaiting waiting(notice, path);
    std::optional<LandedRecord> landed;
    while (true) {
        qint64 position = 0;
        const int error = appendOnce(path, bytes, clock, landed, &position, notice);
        if (error == 0) {
            if (recordNumber)
                *recordNumber = position;
            return 0;
        }
        if (storageRefused(error))
            waiting.storageFailed(error);
        else if (classifyFileError(error) == FileErrorKind::NoPermission)
            waiting.refused(error);
        else if (classifyFileError(error) != FileErrorKind::Busy)
            return error;
        clock.waitResponsive(1000);
    }
}

std::array<char, 5> schoolCodeField(const QString &schoolCode)
{
    std::array<char, 5> out { ' ', ' ', ' ', ' ', ' ' };
    size_t used = 0;
    for (qsizetype i = 0; i < schoolCode.size(); ++i) {
        qsizetype len = 1;
        if (schoolCode[i].isHighSurrogate() && i + 1 < schoolCode.size())
            len = 2;
        const QByteArray bytes = cp932::encode(schoolCode.mid(i, len));
        if (used + size_t(bytes.size()) > out.size())
            break;
        std::memcpy(out.data() + used, bytes.constData(), size_t(bytes.size()));
        used += size_t(bytes.size());
        i += len - 1;
    }
    return out;
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

qint64 loaderFirstRecord(qint64 total)
{
    return total > kWindowRecords ? total - kWindowRecords + 1 : 1;
}

void loadRecordWindow(SharedState &state, const char *bytes, qint64 recordCount)
{
    std::int32_t *best = state.BestTime.data();
    auto inTables
        = [](int level, int pupil) { return level >= 0 && level <= kMaxLevel && pupil >= 0 && pupil <= kMaxPupil; };
    auto isAccepted = [&](const char *record) {
        const std::int16_t level = field<std::int16_t>(record, 18);
        const std::int16_t pupil = field<std::int16_t>(record, 16);
        return inTables(level, pupil) && !(field<double>(record, 0) < 0) && pupil != 0 && level >= 1;
    };
    // The counts take the newest 10001 valid records of the window. Taking
    // the first ones met (the oldest) froze every count, the name list and
    // pupils.csv as soon as a school had stored that many runs: today's
    // runs were never among them.
    qint64 firstKept = 0;
    int newer = 0;
    for (qint64 r = recordCount - 1; r >= 0; --r) {
        if (isAccepted(bytes + r * kRecordLength) && ++newer == kAcceptedCap) {
            firstKept = r;
            break;
        }
    }
    // Best-time cells of consecutive records lie far apart; asking for them
    // a few records ahead hides most of the wait for memory.
    constexpr qint64 kAhead = 12;
    auto prefetchCell = [&](qint64 r) {
        const char *record = bytes + r * kRecordLength;
        const int level = field<std::int16_t>(record, 18);
        const int pupil = field<std::int16_t>(record, 16);
        if (inTables(level, pupil))
            __builtin_prefetch(best + LevelPupilTable<std::int32_t>::index(level, pupil), 1);
    };
    for (qint64 r = 0; r < std::min(recordCount, kAhead); ++r)
        prefetchCell(r);
    int accepted = 0;
    // Best times cover the whole window, the records before the kept ones
    // included.
    for (qint64 r = 0; r < recordCount; ++r) {
        if (r + kAhead < recordCount)
            prefetchCell(r + kAhead);
        const char *record = bytes + r * kRecordLength;
        const std::int16_t level = field<std::int16_t>(record, 18);
        const std::int16_t pupil = field<std::int16_t>(record, 16);
        // Such a record cannot index the tables. Stopping here would stop
        // every copy of the program at every start, before any teacher could
        // reach the editor that removes it, so it is passed over.
        if (!inTables(level, pupil))
            continue;
        const std::int32_t seconds = field<std::int32_t>(record, 20);
        // Even a record that is not accepted lowers the best time of its
        // cell.
        std::int32_t &cell = best[LevelPupilTable<std::int32_t>::index(level, pupil)];
        if (seconds < cell)
            cell = seconds;
        if (r < firstKept || !isAccepted(record))
            continue;
        const size_t slot = size_t(++accepted);
        state.RecDate[slot] = field<double>(record, 0);
        state.RecPupil[slot] = pupil;
        state.RecLevel[slot] = level;
        state.RecTime[slot] = seconds;
    }
    state.LoadedRecordCount = std::int16_t(accepted);

    for (int level = 1; level <= kMaxLevel; ++level) {
        std::int32_t top = kNoTime;
        const std::int32_t *row = best + LevelPupilTable<std::int32_t>::index(level, 0);
        for (int pupil = 1; pupil <= kTopTimePupils; ++pupil)
            top = std::min(top, row[pupil]);
        state.TopTime[size_t(level)] = top;
    }
}

bool 成績ランダムファイル記録(SharedState &state, Platform &platform)
{
    const QDateTime now = platform.clock.now();
    ResultRecord record;
    record.date = oledate::fromDate(now.date());
    // The time of day the format carries comes from a clock of one-second
    // resolution: whole seconds, so no reader can round a run into the next
    // minute or past midnight.
    record.timeOfDay
        = oledate::timeFraction(QTime::fromMSecsSinceStartOfDay(now.time().msecsSinceStartOfDay() / 1000 * 1000));
    record.pupilNumber = state.PupilNumber;
    record.level = state.CurrentLevel;
    record.seconds = state.RecordedTime;
    record.schoolCode = schoolCodeField(state.SchoolCode);

    const int error = appendResultRecord(resultsFilePath(state), record, platform.clock, nullptr, platform.notice);
    if (error != 0) {
        platform.fatal.fatal(
            state.ProgramName, QStringLiteral("成績ランダムファイル記録") + fileErrorDescription(error));
        return false;
    }
    return true;
}

bool 成績ランダムファイル表示(SharedState &state, Platform &platform)
{
    int notFoundFailures = 0;
    int marker = 3;
    qint64 recordNumber = 0;
    int error = 0;
    auto report = [&](StepEnd end) {
        if (end == StepEnd::NotFoundExhausted)
            platform.fatal.fatal(state.ProgramName,
                QStringLiteral("ファイルがありません") + decimal(marker) + fileErrorDescription(error)
                    + decimal(error));
        else
            platform.fatal.fatal(state.ProgramName, loaderMessage(state, marker, error, recordNumber));
        return false;
    };

    const QString path = resultsFilePath(state);
    ResultsFile file;
    NoticeWhileWaiting permission(platform.notice, path);
    StepEnd end = retryStep(
        platform.clock, &notFoundFailures, &error,
        [&] {
            int e = 0;
            OpenResultsFile(path, ResultsAccess::Read, file, &e);
            return e;
        },
        &permission);
    if (end != StepEnd::Done)
        return report(end);
    state.BestTime.fill(kNoTime);

    marker = 4;
    qint64 total = 0;
    end = retryStep(platform.clock, &notFoundFailures, &error, [&] {
        int e = 0;
        total = file.recordCount(&e);
        return e;
    });
    if (end != StepEnd::Done)
        return report(end);

    marker = 5;
    const qint64 first = loaderFirstRecord(total);
    recordNumber = first;
    // The whole window in one read: the loader runs on every screen change.
    thread_local std::vector<char> window;
    qint64 got = 0;
    end = retryStep(platform.clock, &notFoundFailures, &error, [&] {
        int e = 0;
        got = file.readRecords(first, total - first + 1, window, &e);
        return e;
    });
    if (end != StepEnd::Done)
        return report(end);
    file.close();

    loadRecordWindow(state, window.data(), got);
    return true;
}

bool Seisekikiroku(SharedState &state, Platform &platform, int level)
{
    const int pupil = state.PupilNumber;
    if (level < 0 || level > kMaxLevel || pupil < 0 || pupil > kMaxPupil) {
        // The run cannot be placed in the tables; nothing is stored.
        platform.fatal.fatal(state.ProgramName,
            QStringLiteral("Seisekikiroku") + QStringLiteral("インデックスが有効範囲にありません") + decimal(9));
        return false;
    }
    state.LevelClearedBefore = LevelClearedEver(state, level, pupil) ? 1 : 0;
    if (state.RecordedTime < state.BestTime(level, pupil)) {
        state.NewOwnRecord = 1;
        state.BestTime(level, pupil) = state.RecordedTime;
    }
    if (!成績ランダムファイル記録(state, platform))
        return false;
    if (state.RecordedTime < state.TopTime[size_t(level)]) {
        state.TopTime[size_t(level)] = state.RecordedTime;
        state.NewTopRecord = 1;
    }
    return true;
}
