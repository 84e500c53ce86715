// SPDX-License-Identifier: MIT
#include "maintenance/time_histograms.h"
#include "results/result_record.h"
#include "results/results_file.h"
#include "state/tables.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <sys/stat.h>

namespace {

constexpr int kLevels = kLevelSlots; // slots 0..35
constexpr std::int32_t kNone = std::numeric_limits<std::int32_t>::max();
constexpr qint64 kChunkRecords = 65536; // about 2.9 MB per read

qint64 modificationNs(const struct stat &info)
{
    return qint64(info.st_mtim.tv_sec) * 1000000000 + qint64(info.st_mtim.tv_nsec);
}

int bucketOf(std::int32_t seconds, int top)
{
    return std::min(int(seconds / 10), top);
}

} // namespace

std::int64_t histogramScale(const HistogramBuckets &buckets)
{
    const std::int64_t largest = *std::max_element(buckets.begin(), buckets.end());
    const std::int64_t scale = largest / 10;
    return scale == 0 ? 1 : scale;
}

QStringList histogramBucketLines(const HistogramBuckets &buckets, std::int64_t scale)
{
    static const QString star = QStringLiteral("★");
    QStringList lines;
    lines.reserve(kHistogramBuckets);
    for (int b = 0; b < kHistogramBuckets; ++b) {
        const auto stars = qsizetype(std::floor(double(buckets[size_t(b)]) / double(scale) + 0.5));
        lines << QString::number(b * 10).rightJustified(4, QLatin1Char(' ')) + QStringLiteral("～")
                + star.repeated(stars);
    }
    return lines;
}

QString allRunsHeader(int level, std::int64_t records, std::int64_t scale)
{
    return QStringLiteral("レベル%1 今まで%2回  （★=%3）").arg(level).arg(records).arg(scale);
}

QString bestTimesHeader(int level, std::int64_t scale)
{
    return QStringLiteral("レベル%1 （★=%2）").arg(level).arg(scale);
}

TimeHistograms::TimeHistograms()
    : counts_(kLevels, 0)
    , allRuns_(kLevels, HistogramBuckets {})
    , best_(size_t(kLevels) * kPupilSlots, kNone)
{
}

void TimeHistograms::reset()
{
    std::fill(counts_.begin(), counts_.end(), 0);
    std::fill(allRuns_.begin(), allRuns_.end(), HistogramBuckets {});
    std::fill(best_.begin(), best_.end(), kNone);
    recordsRead_ = 0;
    haveFile_ = false;
    ++fullReads_;
}

void TimeHistograms::take(const char *record)
{
    const StoredRecord stored(record);
    const int pupil = stored.pupilNumber();
    const int level = stored.level();
    const std::int32_t seconds = stored.seconds();
    // Level 0 is never a run. Records no run can have written (damaged, or
    // with a negative time) are passed over, as the results loader does.
    if (isDamagedRecord(stored) || level == 0 || seconds < 0)
        return;
    ++counts_[size_t(level)];
    ++allRuns_[size_t(level)][size_t(bucketOf(seconds, kAllRunsTopBucket))];
    std::int32_t &best = best_[size_t(level) * kPupilSlots + size_t(pupil)];
    best = std::min(best, seconds);
}

bool TimeHistograms::update(const QString &path, QString *error)
{
    ResultsFile file;
    int errorNumber = 0;
    auto failed = [&](int number) {
        if (error)
            *error = QStringLiteral("%1\n成績ファイルを読めません（%2）。").arg(path, fileErrorDescription(number));
        return false;
    };
    if (!OpenResultsFile(path, ResultsAccess::Read, file, &errorNumber))
        return failed(errorNumber);
    struct stat info;
    if (::fstat(file.handle(), &info) != 0)
        return failed(errno);
    const qint64 whole = qint64(info.st_size) / kRecordLength;
    const qint64 modified = modificationNs(info);

    const bool sameFile = haveFile_ && info.st_dev == device_ && info.st_ino == inode_;
    if (sameFile && whole == recordsRead_ && modified == mtimeNs_)
        return true;
    // Appends only ever add records: anything else (a shorter file, a file
    // changed without growing, another file under the name) is read again.
    const bool appended = sameFile && whole > recordsRead_;
    if (!appended)
        reset();

    // An append is read from the last record read before, which must still
    // be what it was; a file rewritten in place to a greater length is not.
    qint64 next = recordsRead_ == 0 ? 1 : recordsRead_;
    bool checkFirst = recordsRead_ > 0;
    std::vector<char> bytes;
    while (next <= whole) {
        const qint64 got = file.readRecords(next, std::min(kChunkRecords, whole - next + 1), bytes, &errorNumber);
        if (got < 0) {
            reset();
            return failed(errorNumber);
        }
        if (got == 0)
            break; // cut short meanwhile; the rest is read next time
        qint64 from = 0;
        if (checkFirst) {
            checkFirst = false;
            if (std::memcmp(bytes.data(), lastRecord_.data(), kRecordLength) != 0) {
                reset();
                next = 1;
                continue;
            }
            from = 1;
        }
        for (qint64 i = from; i < got; ++i)
            take(bytes.data() + i * kRecordLength);
        std::memcpy(lastRecord_.data(), bytes.data() + (got - 1) * kRecordLength, kRecordLength);
        recordsRead_ = next + got - 1;
        next += got;
    }
    haveFile_ = true;
    device_ = info.st_dev;
    inode_ = info.st_ino;
    mtimeNs_ = modified;
    return true;
}

std::int64_t TimeHistograms::recordCount(int level) const
{
    return level >= 0 && level < kLevels ? counts_[size_t(level)] : 0;
}

const HistogramBuckets &TimeHistograms::allRuns(int level) const
{
    static const HistogramBuckets empty {};
    return level >= 0 && level < kLevels ? allRuns_[size_t(level)] : empty;
}

HistogramBuckets TimeHistograms::bestTimes(int level) const
{
    HistogramBuckets buckets {};
    if (level < 0 || level >= kLevels)
        return buckets;
    const std::int32_t *row = best_.data() + size_t(level) * kPupilSlots;
    for (int p = 0; p < kPupilSlots; ++p)
        if (row[p] != kNone)
            ++buckets[size_t(bucketOf(row[p], kBestTimesTopBucket))];
    return buckets;
}

HistogramLists TimeHistograms::lists(int level) const
{
    HistogramLists out;
    const HistogramBuckets &runs = allRuns(level);
    const std::int64_t runScale = histogramScale(runs);
    out.allRuns.reserve(kHistogramBuckets + 1);
    out.allRuns << allRunsHeader(level, recordCount(level), runScale);
    out.allRuns << histogramBucketLines(runs, runScale);
    const HistogramBuckets best = bestTimes(level);
    const std::int64_t bestScale = histogramScale(best);
    out.bestTimes.reserve(kHistogramBuckets + 1);
    out.bestTimes << bestTimesHeader(level, bestScale);
    out.bestTimes << histogramBucketLines(best, bestScale);
    return out;
}
