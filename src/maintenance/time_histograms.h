// SPDX-License-Identifier: MIT
// The criteria editor's star histograms: for one level, every recorded time
// in buckets of 10 seconds, and every pupil's best time likewise, read from
// the results file "成績累積データ.dat".
//
// The editor recomputes them at every key press, and a school's file holds
// years of runs, so what has been read is kept: a recomputation reads only
// the records appended since, and reads the file again from the start when
// it was replaced, shrank, or changed where it had been read.
#pragma once

#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <sys/types.h>
#include <vector>

inline constexpr int kHistogramBuckets = 101; // b = 0..100, 10 seconds each
inline constexpr int kAllRunsTopBucket = 100; // slower runs count in bucket 100
inline constexpr int kBestTimesTopBucket = 30; // slower bests count in bucket 30

using HistogramBuckets = std::array<std::int64_t, kHistogramBuckets>;

// The two lists of one level, header line first, then 101 bucket lines.
struct HistogramLists {
    QStringList allRuns; // the editor's "全成績" list
    QStringList bestTimes; // the editor's "最高タイム" list
};

// The lines of one histogram: the header, then for b = 0..100 the text of
// b x 10 right-aligned in 4 characters, "～" and floor(count / scale + 0.5)
// stars, where scale = floor(largest count / 10), or 1 when that is 0.
std::int64_t histogramScale(const HistogramBuckets &buckets);
QStringList histogramBucketLines(const HistogramBuckets &buckets, std::int64_t scale);
QString allRunsHeader(int level, std::int64_t records, std::int64_t scale);
QString bestTimesHeader(int level, std::int64_t scale);

class TimeHistograms {
public:
    TimeHistograms();

    // Brings the statistics up to date with the file: reads what was
    // appended since the last call, or everything when the file is not the
    // one read before. A missing file is created empty, as every reader of
    // the results file does. False when the file cannot be read, with
    // `error` naming it and the reason; when it cannot even be opened what
    // was read before is kept, else the next call reads from the start.
    bool update(const QString &path, QString *error);

    // The lists of a level (1..35) from what has been read.
    HistogramLists lists(int level) const;

    std::int64_t recordCount(int level) const;
    const HistogramBuckets &allRuns(int level) const;
    HistogramBuckets bestTimes(int level) const;

    // Records taken in so far, and how many full reads from the start there
    // were (for the tests of the incremental reading).
    std::int64_t recordsRead() const { return recordsRead_; }
    int fullReads() const { return fullReads_; }

private:
    void reset();
    void take(const char *record);

    std::vector<std::int64_t> counts_; // per level
    std::vector<HistogramBuckets> allRuns_; // per level
    std::vector<std::int32_t> best_; // level x 5001 + pupil; kNone when no run
    std::int64_t recordsRead_ = 0;
    int fullReads_ = 0;

    // Which file was read, and its last record read, to tell an append from
    // a replacement.
    bool haveFile_ = false;
    dev_t device_ = 0;
    ino_t inode_ = 0;
    qint64 mtimeNs_ = 0;
    std::array<char, 44> lastRecord_ {};
};
