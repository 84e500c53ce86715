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

// Repeats `step` (returning 0 or an error number) while the file is busy,
// a second apart with the window responsive. With a not-found counter the
// step is also repeated five seconds apart after "no such file", up to the
// fourth such failure in one call.
// A permission refusal never clears by itself, so while it lasts the notice
// names the file and the reason; it goes once the step gets past it.
class PermissionNotice {
public:
    PermissionNotice(WaitNotice *notice, const QString &path)
        : notice_(notice)
        , path_(path)
    {
    }
    PermissionNotice(const PermissionNotice &) = delete;
    PermissionNotice &operator=(const PermissionNotice &) = delete;
    ~PermissionNotice()
    {
        if (shown_)
            notice_->clear();
    }
    void refused(int error)
    {
        if (!notice_)
            return;
        notice_->show(permissionWaitText(path_, error));
        shown_ = true;
    }

private:
    WaitNotice *notice_;
    QString path_;
    bool shown_ = false;
};

template <typename Step>
StepEnd retryStep(Clock &clock, int *notFoundFailures, int *error, Step step, PermissionNotice *notice = nullptr)
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

ResultsFile &ResultsFile::operator=(ResultsFile &&other) noexcept
{
    if (this != &other) {
        close();
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

void ResultsFile::close()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
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
    const QByteArray bytes = encodeRecord(record);
    const off_t offset = off_t(recordNumber - 1) * kRecordLength;
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd_, bytes.constData() + done, size_t(bytes.size() - done), offset + done);
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

bool namesThisFile(const QString &path, const ResultsFile &file, int *errorNumber)
{
    struct stat opened;
    if (::fstat(file.handle(), &opened) != 0) {
        *errorNumber = errno;
        return false;
    }
    *errorNumber = 0;
    struct stat named;
    if (::stat(QFile::encodeName(path).constData(), &named) != 0) {
        // Gone from under its name: whatever is created there next is
        // another file.
        if (errno == ENOENT)
            return false;
        *errorNumber = errno;
        return false;
    }
    return opened.st_dev == named.st_dev && opened.st_ino == named.st_ino;
}

int openLockedResultsFile(const QString &path, Clock &clock, ResultsFile &file, OpenRetry retry, WaitNotice *notice)
{
    PermissionNotice permission(notice, path);
    while (true) {
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
        error = lockWholeFileWaiting(file.handle(), clock);
        if (error != 0) {
            file.close();
            return error;
        }
        // A deletion elsewhere replaces the file by renaming a new one over
        // it, under the old file's lock. Whoever waited on that lock now
        // holds a file nobody reads any more and must start again on the
        // file the name points to.
        if (namesThisFile(path, file, &error))
            return 0;
        file.close(); // frees the lock with it
        if (error != 0)
            return error;
    }
}

int appendResultRecord(
    const QString &path, const ResultRecord &record, Clock &clock, qint64 *recordNumber, WaitNotice *notice)
{
    ResultsFile file;
    // Held from before the position is taken until after the write, so no
    // two copies ever write the same record number.
    int error = openLockedResultsFile(path, clock, file, OpenRetry::WhileBusy, notice);
    if (error != 0)
        return error;
    WholeFileLock lock(file.handle());

    qint64 count = 0;
    if (retryStep(clock, nullptr, &error,
            [&] {
                int e = 0;
                count = file.recordCount(&e);
                return e;
            })
        != StepEnd::Done)
        return error;
    if (retryStep(clock, nullptr, &error, [&] { return file.writeRecord(count + 1, record); }) != StepEnd::Done)
        return error;
    if (recordNumber)
        *recordNumber = count + 1;
    return lock.release();
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
    // Best-time cells of consecutive records lie far apart; asking for them
    // a few records ahead hides most of the wait for memory.
    constexpr qint64 kAhead = 12;
    auto prefetchCell = [&](qint64 r) {
        const char *record = bytes + r * kRecordLength;
        const int level = field<std::int16_t>(record, 18);
        const int pupil = field<std::int16_t>(record, 16);
        if (level >= 0 && level <= kMaxLevel && pupil >= 0 && pupil <= kMaxPupil)
            __builtin_prefetch(best + LevelPupilTable<std::int32_t>::index(level, pupil), 1);
    };
    for (qint64 r = 0; r < std::min(recordCount, kAhead); ++r)
        prefetchCell(r);
    int accepted = 0;
    for (qint64 r = 0; r < recordCount && accepted < kAcceptedCap; ++r) {
        if (r + kAhead < recordCount)
            prefetchCell(r + kAhead);
        const char *record = bytes + r * kRecordLength;
        const std::int16_t level = field<std::int16_t>(record, 18);
        const std::int16_t pupil = field<std::int16_t>(record, 16);
        // Such a record cannot index the tables. Stopping here would stop
        // every copy of the program at every start, before any teacher could
        // reach the editor that removes it, so it is passed over.
        if (level < 0 || level > kMaxLevel || pupil < 0 || pupil > kMaxPupil)
            continue;
        const double date = field<double>(record, 0);
        const std::int32_t seconds = field<std::int32_t>(record, 20);
        const size_t slot = size_t(accepted) + 1;
        state.RecDate[slot] = date;
        state.RecPupil[slot] = pupil;
        state.RecLevel[slot] = level;
        state.RecTime[slot] = seconds;
        // Even a record that is not accepted below lowers the best time of
        // its cell.
        std::int32_t &cell = best[LevelPupilTable<std::int32_t>::index(level, pupil)];
        if (seconds < cell)
            cell = seconds;
        if (!(date < 0) && pupil != 0 && level >= 1)
            ++accepted;
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
    PermissionNotice permission(platform.notice, path);
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
