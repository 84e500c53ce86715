// SPDX-License-Identifier: MIT
#include "maintenance/time_histograms.h"
#include "results/result_record.h"
#include "results/results_support.h"

#include <QDir>
#include <QFile>
#include <QThread>
#include <algorithm>
#include <gtest/gtest.h>
#include <random>

using namespace results_test;

namespace {

ResultRecord rec(int pupil, int level, int seconds)
{
    return makeRecord(46000, pupil, level, seconds);
}

void appendTo(const QString &path, const std::vector<ResultRecord> &records)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Append));
    f.write(bytesOf(records));
}

HistogramLists listsOf(const QString &path, int level)
{
    TimeHistograms h;
    QString error;
    EXPECT_TRUE(h.update(path, &error)) << error.toStdString();
    return h.lists(level);
}

// The histograms computed the long way round, as the teachers' old screen
// did: a work list of fixed-width lines sorted as text, walked from its end
// to drop every line of the same level and pupil as the line before it.
HistogramLists workListHistograms(const std::vector<ResultRecord> &records, int level)
{
    std::int64_t count = 0;
    std::array<std::int64_t, 101> all {};
    QStringList work;
    for (const ResultRecord &r : records) {
        if (r.level == 0)
            continue;
        work << QString::number(r.level).rightJustified(3) + QString::number(r.pupilNumber).rightJustified(4)
                + QString::number(r.seconds).rightJustified(5);
        if (r.level == level) {
            ++count;
            ++all[size_t(std::min(r.seconds / 10, 100))];
        }
    }
    std::sort(work.begin(), work.end());
    for (qsizetype i = work.size() - 1; i >= 1; --i)
        if (work[i].left(7) == work[i - 1].left(7))
            work.removeAt(i);
    std::array<std::int64_t, 101> best {};
    for (const QString &line : work)
        if (line.left(3).trimmed().toInt() == level)
            ++best[size_t(std::min(line.mid(7).trimmed().toInt() / 10, 30))];

    auto lines = [](const std::array<std::int64_t, 101> &buckets, const QString &header) {
        const std::int64_t largest = *std::max_element(buckets.begin(), buckets.end());
        std::int64_t scale = largest / 10;
        if (scale == 0)
            scale = 1;
        QStringList out;
        out << header.arg(scale);
        for (int b = 0; b <= 100; ++b) {
            QString line = QString::number(b * 10).rightJustified(4) + QStringLiteral("～");
            for (int s = 0; s < int(std::floor(double(buckets[size_t(b)]) / double(scale) + 0.5)); ++s)
                line += QStringLiteral("★");
            out << line;
        }
        return out;
    };
    HistogramLists out;
    out.allRuns = lines(all,
        QStringLiteral("レベル") + QString::number(level) + QStringLiteral(" 今まで") + QString::number(count)
            + QStringLiteral("回  （★=%1）"));
    out.bestTimes = lines(best, QStringLiteral("レベル") + QString::number(level) + QStringLiteral(" （★=%1）"));
    return out;
}

struct Histograms : ::testing::Test {
    QTemporaryDir dir;
    QString path() const { return dir.path() + QStringLiteral("/成績累積データ.dat"); }
};

TEST_F(Histograms, SmallFileMatchesHandCount)
{
    writeFile(path(),
        bytesOf({
            rec(1, 2, 45),
            rec(1, 2, 38),
            rec(1, 2, 38), // a tie for pupil 1's best
            rec(2, 2, 120),
            rec(2, 2, 99999), // a time-up counts in the top bucket
            rec(3, 2, 5),
            rec(4, 2, 99999), // a best of 99999 stops at bucket 30
            rec(5, 0, 40), // level 0 is no run
            rec(1, 1, 61),
        }));
    const HistogramLists lists = listsOf(path(), 2);
    ASSERT_EQ(lists.allRuns.size(), 102);
    ASSERT_EQ(lists.bestTimes.size(), 102);
    EXPECT_EQ(lists.allRuns[0], QStringLiteral("レベル2 今まで7回  （★=1）"));
    EXPECT_EQ(lists.allRuns[1 + 0], QStringLiteral("   0～★"));
    EXPECT_EQ(lists.allRuns[1 + 3], QStringLiteral("  30～★★"));
    EXPECT_EQ(lists.allRuns[1 + 4], QStringLiteral("  40～★"));
    EXPECT_EQ(lists.allRuns[1 + 12], QStringLiteral(" 120～★"));
    EXPECT_EQ(lists.allRuns[1 + 100], QStringLiteral("1000～★★"));
    EXPECT_EQ(lists.allRuns[1 + 6], QStringLiteral("  60～"));
    EXPECT_EQ(lists.bestTimes[0], QStringLiteral("レベル2 （★=1）"));
    EXPECT_EQ(lists.bestTimes[1 + 0], QStringLiteral("   0～★"));
    EXPECT_EQ(lists.bestTimes[1 + 3], QStringLiteral("  30～★"));
    EXPECT_EQ(lists.bestTimes[1 + 4], QStringLiteral("  40～"));
    EXPECT_EQ(lists.bestTimes[1 + 12], QStringLiteral(" 120～★"));
    EXPECT_EQ(lists.bestTimes[1 + 30], QStringLiteral(" 300～★"));
    EXPECT_EQ(lists.bestTimes[1 + 100], QStringLiteral("1000～"));

    const HistogramLists level1 = listsOf(path(), 1);
    EXPECT_EQ(level1.allRuns[0], QStringLiteral("レベル1 今まで1回  （★=1）"));
    EXPECT_EQ(level1.allRuns[1 + 6], QStringLiteral("  60～★"));
}

TEST_F(Histograms, LevelWithoutRecordsHasScaleOneAndNoStars)
{
    writeFile(path(), bytesOf({ rec(1, 1, 50) }));
    const HistogramLists lists = listsOf(path(), 5);
    EXPECT_EQ(lists.allRuns[0], QStringLiteral("レベル5 今まで0回  （★=1）"));
    EXPECT_EQ(lists.bestTimes[0], QStringLiteral("レベル5 （★=1）"));
    ASSERT_EQ(lists.allRuns.size(), 102);
    for (int b = 0; b <= 100; ++b) {
        EXPECT_FALSE(lists.allRuns[1 + b].contains(QStringLiteral("★")));
        EXPECT_FALSE(lists.bestTimes[1 + b].contains(QStringLiteral("★")));
    }
    EXPECT_EQ(lists.allRuns[101], QStringLiteral("1000～"));
}

TEST_F(Histograms, ScaleIsATenthOfTheLargestBucketAndStarsRoundHalfUp)
{
    std::vector<ResultRecord> records;
    for (int i = 0; i < 25; ++i)
        records.push_back(rec(100 + i, 3, 65)); // bucket 6: 25 runs, scale 2
    for (int i = 0; i < 3; ++i)
        records.push_back(rec(200 + i, 3, 70)); // 3 / 2 + 0.5 -> 2 stars
    records.push_back(rec(300, 3, 80)); // 1 / 2 + 0.5 -> 1 star
    writeFile(path(), bytesOf(records));
    const HistogramLists lists = listsOf(path(), 3);
    EXPECT_EQ(lists.allRuns[0], QStringLiteral("レベル3 今まで29回  （★=2）"));
    EXPECT_EQ(lists.allRuns[1 + 6], QStringLiteral("  60～") + QStringLiteral("★").repeated(13));
    EXPECT_EQ(lists.allRuns[1 + 7], QStringLiteral("  70～★★"));
    EXPECT_EQ(lists.allRuns[1 + 8], QStringLiteral("  80～★"));
    EXPECT_EQ(lists.bestTimes[0], QStringLiteral("レベル3 （★=2）"));
}

// Random schools against the work-list computation, every level.
class HistogramsAgainstWorkList : public Histograms, public ::testing::WithParamInterface<int> { };

TEST_P(HistogramsAgainstWorkList, EveryLevelMatches)
{
    std::mt19937 random { unsigned(GetParam()) };
    std::vector<ResultRecord> records;
    const int pupils = 1 + int(random() % 60);
    for (int i = 0; i < 3000; ++i) {
        const int kind = int(random() % 20);
        const int seconds = kind == 0 ? 99999 : kind == 1 ? int(random() % 2000) : int(random() % 400);
        records.push_back(rec(int(random() % pupils) * 83 % 5001, int(random() % 36), seconds));
    }
    writeFile(path(), bytesOf(records));
    TimeHistograms h;
    QString error;
    ASSERT_TRUE(h.update(path(), &error));
    for (int level = 1; level <= 35; ++level) {
        const HistogramLists expected = workListHistograms(records, level);
        const HistogramLists got = h.lists(level);
        ASSERT_EQ(got.allRuns, expected.allRuns) << "level " << level;
        ASSERT_EQ(got.bestTimes, expected.bestTimes) << "level " << level;
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, HistogramsAgainstWorkList, ::testing::Values(1, 2, 3, 4, 5));

TEST_F(Histograms, DamagedRecordsArePassedOver)
{
    writeFile(path(),
        bytesOf({ rec(1, 36, 50), rec(1, -2, 50), rec(6000, 1, 50), rec(-4, 1, 50), rec(1, 1, -30), rec(2, 1, 50) }));
    const HistogramLists lists = listsOf(path(), 1);
    EXPECT_EQ(lists.allRuns[0], QStringLiteral("レベル1 今まで1回  （★=1）"));
    EXPECT_EQ(lists.allRuns[1 + 5], QStringLiteral("  50～★"));
}

TEST_F(Histograms, AppendedRecordsAreReadAloneAndChangeTheLists)
{
    writeFile(path(), bytesOf({ rec(1, 1, 50), rec(2, 1, 70) }));
    TimeHistograms h;
    QString error;
    ASSERT_TRUE(h.update(path(), &error));
    EXPECT_EQ(h.fullReads(), 1);
    ASSERT_TRUE(h.update(path(), &error)); // nothing new
    EXPECT_EQ(h.fullReads(), 1);
    EXPECT_EQ(h.recordsRead(), 2);

    appendTo(path(), { rec(1, 1, 30), rec(3, 1, 75) });
    ASSERT_TRUE(h.update(path(), &error));
    EXPECT_EQ(h.fullReads(), 1);
    EXPECT_EQ(h.recordsRead(), 4);
    EXPECT_EQ(h.recordCount(1), 4);
    const HistogramLists expected
        = workListHistograms({ rec(1, 1, 50), rec(2, 1, 70), rec(1, 1, 30), rec(3, 1, 75) }, 1);
    EXPECT_EQ(h.lists(1).allRuns, expected.allRuns);
    EXPECT_EQ(h.lists(1).bestTimes, expected.bestTimes);
    const HistogramBuckets best = h.bestTimes(1);
    EXPECT_EQ(best[3], 1); // pupil 1's best is now 30
    EXPECT_EQ(best[5], 0);
    EXPECT_EQ(best[7], 2);
}

TEST_F(Histograms, HalfWrittenRecordWaitsForTheNextRead)
{
    QByteArray bytes = bytesOf({ rec(1, 1, 50), rec(2, 1, 70) });
    writeFile(path(), bytes + encodeRecord(rec(3, 1, 90)).left(20));
    TimeHistograms h;
    QString error;
    ASSERT_TRUE(h.update(path(), &error));
    EXPECT_EQ(h.recordCount(1), 2);
    writeFile(path(), bytes + encodeRecord(rec(3, 1, 90))); // same file, completed in place
    ASSERT_TRUE(h.update(path(), &error));
    EXPECT_EQ(h.recordCount(1), 3);
    EXPECT_EQ(h.allRuns(1)[9], 1);
}

// A file that is not the one read before, however it changed, is read
// again from the start and gives what a fresh read gives.
enum class Change { Shrunk, ReplacedByRename, RewrittenInPlaceLonger, RewrittenInPlaceSameLength };

class HistogramsAfterChange : public Histograms, public ::testing::WithParamInterface<Change> { };

TEST_P(HistogramsAfterChange, FileIsReadAgainFromTheStart)
{
    const std::vector<ResultRecord> before = { rec(1, 1, 50), rec(2, 1, 70), rec(3, 1, 90) };
    writeFile(path(), bytesOf(before));
    TimeHistograms h;
    QString error;
    ASSERT_TRUE(h.update(path(), &error));

    std::vector<ResultRecord> after;
    switch (GetParam()) {
    case Change::Shrunk:
        after = { rec(1, 1, 50) };
        writeFile(path(), bytesOf(after));
        break;
    case Change::ReplacedByRename: {
        after = { rec(1, 1, 50), rec(2, 1, 70), rec(3, 1, 90), rec(4, 1, 20) };
        after[0].seconds = 10;
        const QString other = dir.path() + QStringLiteral("/new.dat");
        writeFile(other, bytesOf(after));
        ASSERT_EQ(::rename(QFile::encodeName(other).constData(), QFile::encodeName(path()).constData()), 0);
        break;
    }
    case Change::RewrittenInPlaceLonger:
        after = { rec(1, 1, 50), rec(2, 1, 70), rec(9, 1, 190), rec(4, 1, 20) };
        writeFile(path(), bytesOf(after));
        break;
    case Change::RewrittenInPlaceSameLength:
        after = { rec(7, 1, 150), rec(2, 1, 70), rec(3, 1, 90) };
        QThread::msleep(20); // a distinct modification time
        writeFile(path(), bytesOf(after));
        break;
    }
    ASSERT_TRUE(h.update(path(), &error));
    EXPECT_EQ(h.fullReads(), 2);
    EXPECT_EQ(h.lists(1).allRuns, listsOf(path(), 1).allRuns);
    EXPECT_EQ(h.lists(1).bestTimes, listsOf(path(), 1).bestTimes);
    EXPECT_EQ(h.recordCount(1), qint64(after.size()));
}

INSTANTIATE_TEST_SUITE_P(Changes, HistogramsAfterChange,
    ::testing::Values(
        Change::Shrunk, Change::ReplacedByRename, Change::RewrittenInPlaceLonger, Change::RewrittenInPlaceSameLength));

TEST_F(Histograms, UnreadableFileIsReportedWithItsName)
{
    const QString missingFolder = dir.path() + QStringLiteral("/なし/成績累積データ.dat");
    TimeHistograms h;
    QString error;
    EXPECT_FALSE(h.update(missingFolder, &error));
    EXPECT_TRUE(error.contains(missingFolder));
}

} // namespace
