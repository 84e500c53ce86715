// SPDX-License-Identifier: MIT
#include "platform/file_lock.h"
#include "results/counts.h"
#include "results/results_file.h"
#include "results/results_loader.h"
#include "results_support.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace results_test;

namespace {

class ResultsFileTest : public ::testing::Test {
protected:
    ResultsEnv env;
    SharedState &state = *env.state;
    Platform &platform = env.fakes.platform;
    RecordingFatal &fatal = env.fakes.fatal;
};

TEST_F(ResultsFileTest, MissingFileIsCreatedEmptyAndEveryBestTimeIsNone)
{
    state.BestTime(1, 1) = 5;
    state.TopTime[1] = 5;
    ASSERT_FALSE(QFile::exists(env.resultsPath()));
    ASSERT_TRUE(成績ランダムファイル表示(state, platform));
    EXPECT_TRUE(QFile::exists(env.resultsPath()));
    EXPECT_EQ(QFileInfo(env.resultsPath()).size(), 0);
    EXPECT_EQ(state.LoadedRecordCount, 0);
    EXPECT_EQ(state.BestTime(1, 1), 99999);
    EXPECT_EQ(state.BestTime(35, 5000), 99999);
    for (int l = 1; l <= 35; ++l)
        EXPECT_EQ(state.TopTime[size_t(l)], 99999);
}

TEST_F(ResultsFileTest, AppendOverwritesTrailingPartialRecord)
{
    QByteArray bytes = encodeRecord(makeRecord(env.today(), 7, 1, 40));
    bytes.append('\x7f');
    writeFile(env.resultsPath(), bytes);

    state.PupilNumber = 12;
    state.CurrentLevel = 3;
    state.RecordedTime = 51;
    ASSERT_TRUE(成績ランダムファイル記録(state, platform));

    const QByteArray after = readFile(env.resultsPath());
    ASSERT_EQ(after.size(), 88);
    EXPECT_EQ(after.left(44), bytes.left(44));
    const ResultRecord second = decodeRecord(after.constData() + 44);
    EXPECT_EQ(second.pupilNumber, 12);
    EXPECT_EQ(second.level, 3);
    EXPECT_EQ(second.seconds, 51);
}

TEST_F(ResultsFileTest, AppendedRecordCarriesTodayTheTimeAndTheFixedFields)
{
    env.fakes.clock.set(QDateTime(QDate(2026, 12, 9), QTime(18, 0, 0)));
    state.PupilNumber = 4999;
    state.CurrentLevel = 2;
    state.RecordedTime = 99999;
    ASSERT_TRUE(成績ランダムファイル記録(state, platform));
    state.SchoolCode = QStringLiteral("98765");
    ASSERT_TRUE(成績ランダムファイル記録(state, platform));

    const QByteArray bytes = readFile(env.resultsPath());
    ASSERT_EQ(bytes.size(), 88);
    const ResultRecord r = decodeRecord(bytes.constData());
    EXPECT_EQ(r.date, 46365.0);
    EXPECT_EQ(r.timeOfDay, 0.75);
    EXPECT_EQ(r.pupilNumber, 4999);
    EXPECT_EQ(r.level, 2);
    EXPECT_EQ(r.seconds, 99999);
    EXPECT_EQ(bytes.mid(24, 20), QByteArray("          0    \0\0\0\0\0", 20));
    EXPECT_EQ(bytes.mid(44 + 24, 5), QByteArray("98765"));
}

// The time of day the record carries has the clock's one-second
// resolution: a run appended at 23:59:59.9 is at 23:59:59, not at midnight.
TEST_F(ResultsFileTest, AppendedTimeOfDayIsWholeSeconds)
{
    env.fakes.clock.set(QDateTime(QDate(2026, 12, 9), QTime(23, 59, 59, 900)));
    state.PupilNumber = 4;
    state.CurrentLevel = 1;
    state.RecordedTime = 30;
    ASSERT_TRUE(成績ランダムファイル記録(state, platform));
    env.fakes.clock.set(QDateTime(QDate(2026, 12, 9), QTime(9, 59, 59, 600)));
    ASSERT_TRUE(成績ランダムファイル記録(state, platform));

    const QByteArray bytes = readFile(env.resultsPath());
    ASSERT_EQ(bytes.size(), 88);
    EXPECT_EQ(decodeRecord(bytes.constData()).timeOfDay, 86399.0 / 86400.0);
    EXPECT_EQ(decodeRecord(bytes.constData() + 44).timeOfDay, (9 * 3600 + 59 * 60 + 59) / 86400.0);
}

// 25000 records, each marked by its record number in the time field, so
// what was loaded shows which records were read.
std::vector<ResultRecord> numberedRecords(double today, int count)
{
    std::vector<ResultRecord> records;
    records.reserve(size_t(count));
    for (int n = 1; n <= count; ++n)
        records.push_back(makeRecord(today, 1 + n % 5000, 1 + n % 4, n));
    return records;
}

TEST_F(ResultsFileTest, LoaderReadsTheNewest20000AndKeepsTheNewest10001)
{
    auto records = numberedRecords(env.today(), 25000);
    // In the window but older than the newest 10001: not loaded, yet its
    // time still counts as a best time.
    records[14998] = makeRecord(env.today(), 999, 7, 3); // record 14999
    // Before the window: never seen.
    records[4999] = makeRecord(env.today(), 999, 8, 4); // record 5000
    env.writeRecords(records);

    ASSERT_TRUE(成績ランダムファイル表示(state, platform));
    EXPECT_EQ(state.LoadedRecordCount, 10001);
    // Slots in file order, from record 15000 to the last one.
    EXPECT_EQ(state.RecTime[1], 15000);
    EXPECT_EQ(state.RecTime[10001], 25000);
    EXPECT_EQ(state.BestTime(2, 2), 5001);
    EXPECT_EQ(state.BestTime(7, 999), 3);
    EXPECT_EQ(state.TopTime[7], 3);
    EXPECT_EQ(state.BestTime(8, 999), 99999);
    EXPECT_EQ(state.TopTime[8], 99999);
}

TEST_F(ResultsFileTest, RejectedRecordsGiveTheirSlotBackButStillSetBestTimes)
{
    const double today = env.today();
    env.writeRecords({
        makeRecord(today, 0, 1, 10), // pupil 0
        makeRecord(today, 3, 0, 11), // level 0
        makeRecord(-1, 3, 2, 12), // negative date
        makeRecord(today, 3, 2, 50), // accepted
        makeRecord(std::nan(""), 4, 2, 60), // NaN is not negative: accepted
    });
    ASSERT_TRUE(成績ランダムファイル表示(state, platform));
    ASSERT_EQ(state.LoadedRecordCount, 2);
    EXPECT_EQ(state.RecTime[1], 50);
    EXPECT_EQ(state.RecTime[2], 60);
    EXPECT_EQ(state.BestTime(1, 0), 10);
    EXPECT_EQ(state.BestTime(0, 3), 11);
    EXPECT_EQ(state.BestTime(2, 3), 12);
    EXPECT_EQ(state.BestTime(2, 4), 60);
    EXPECT_EQ(state.TopTime[2], 12);
}

TEST_F(ResultsFileTest, RejectedRecordsDoNotCountTowardsTheCap)
{
    std::vector<ResultRecord> records = numberedRecords(env.today(), 10005);
    for (int i : { 3, 10, 9000, 10004 })
        records[size_t(i)].pupilNumber = 0;
    env.writeRecords(records);
    ASSERT_TRUE(成績ランダムファイル表示(state, platform));
    // 10001 valid records remain, so every one of them is loaded.
    EXPECT_EQ(state.LoadedRecordCount, 10001);
    EXPECT_EQ(state.RecTime[1], 1);
    EXPECT_EQ(state.RecTime[4], 5);
    EXPECT_EQ(state.RecTime[10001], 10004);
}

TEST_F(ResultsFileTest, TopTimeLooksOnlyAtPupils1To1000)
{
    const double today = env.today();
    env.writeRecords({ makeRecord(today, 1001, 1, 10), makeRecord(today, 1000, 1, 20), makeRecord(today, 1, 1, 30),
        makeRecord(today, 1500, 2, 5) });
    ASSERT_TRUE(成績ランダムファイル表示(state, platform));
    EXPECT_EQ(state.TopTime[1], 20);
    EXPECT_EQ(state.TopTime[2], 99999);
    EXPECT_EQ(state.BestTime(2, 1500), 5);
}

TEST_F(ResultsFileTest, RecordsOutsideTheTablesAreSkippedAndTheFileLeftAlone)
{
    const double today = env.today();
    env.writeRecords({ makeRecord(today, 5, 36, 1), makeRecord(today, 5, -1, 1), makeRecord(today, 5001, 1, 1),
        makeRecord(today, -7, 1, 1), makeRecord(today, 32767, -32768, 1), makeRecord(today, 5, 1, 30),
        makeRecord(today, 5000, 35, 40) });
    const QByteArray before = readFile(env.resultsPath());

    ASSERT_TRUE(回数求(state, platform));
    EXPECT_FALSE(fatal.called());
    EXPECT_EQ(readFile(env.resultsPath()), before);
    EXPECT_EQ(state.LoadedRecordCount, 2);
    EXPECT_EQ(state.BestTime(1, 5), 30);
    EXPECT_EQ(state.TopTime[1], 30);
    EXPECT_EQ(state.TotalRunCount(1, 5), 1);
    EXPECT_EQ(state.TotalRunCount(35, 5000), 1);
}

// --- record flags --------------------------------------------------------

class RecordFlags : public ResultsFileTest {
protected:
    void SetUp() override
    {
        const double today = env.today();
        // Pupil 2's best at level 1 is 40; the best of pupils 1..1000 is 30.
        env.writeRecords({ makeRecord(today, 2, 1, 40), makeRecord(today, 3, 1, 30) });
        ASSERT_TRUE(回数求(state, platform));
        state.PupilNumber = 2;
        state.CurrentLevel = 1;
    }
    void run(int seconds)
    {
        state.RecordedTime = seconds;
        ASSERT_TRUE(Seisekikiroku(state, platform, 1));
    }
};

TEST_F(RecordFlags, EqualTimesRaiseNothing)
{
    run(40);
    EXPECT_EQ(state.NewOwnRecord, 0);
    EXPECT_EQ(state.NewTopRecord, 0);
    EXPECT_EQ(resultRecordCount(env.resultsPath()), 3);
}

TEST_F(RecordFlags, FasterOwnRunRaisesOwnAndPatchesBestTime)
{
    run(35);
    EXPECT_EQ(state.NewOwnRecord, 1);
    EXPECT_EQ(state.NewTopRecord, 0);
    EXPECT_EQ(state.BestTime(1, 2), 35);
    EXPECT_EQ(state.TopTime[1], 30);
}

TEST_F(RecordFlags, RunBelowEveryBestRaisesBothAndStaysRaised)
{
    run(29);
    EXPECT_EQ(state.NewOwnRecord, 1);
    EXPECT_EQ(state.NewTopRecord, 1);
    EXPECT_EQ(state.TopTime[1], 29);
    run(99999);
    EXPECT_EQ(state.NewOwnRecord, 1);
    EXPECT_EQ(state.NewTopRecord, 1);
    EXPECT_EQ(state.TopTime[1], 29);
}

TEST_F(RecordFlags, TimeUpNeverRaisesAFlagEvenWithoutAnyBest)
{
    state.PupilNumber = 9;
    state.CurrentLevel = 3;
    state.RecordedTime = 99999;
    ASSERT_TRUE(Seisekikiroku(state, platform, 3));
    EXPECT_EQ(state.NewOwnRecord, 0);
    EXPECT_EQ(state.NewTopRecord, 0);
}

TEST_F(RecordFlags, ClearedBeforeIsJudgedOnTheCountsBeforeThisRun)
{
    state.ClearCount[1] = 1;
    state.ClearPoints[1] = 5;
    run(30); // one earlier run of 6 points
    EXPECT_EQ(state.LevelClearedBefore, 1);
    state.ClearCount[1] = 2; // the run just stored is not counted yet
    run(30);
    EXPECT_EQ(state.LevelClearedBefore, 0);
    state.ClearCount[1] = 1;
    state.ClearPoints[1] = 7;
    run(30);
    EXPECT_EQ(state.LevelClearedBefore, 0);
}

// --- failures --------------------------------------------------------------

TEST_F(ResultsFileTest, LoaderWaitsWhileTheFolderIsMissingThenGivesUpOnTheFourth)
{
    state.ProgramDataFolder = env.dir.path() + QStringLiteral("/gone/");
    ASSERT_FALSE(成績ランダムファイル表示(state, platform));
    EXPECT_EQ(env.fakes.clock.waits, (std::vector<int> { 5000, 5000, 5000 }));
    ASSERT_EQ(fatal.messages.size(), 1);
    EXPECT_EQ(fatal.messages.front(),
        QStringLiteral("ファイルがありません3") + fileErrorDescription(ENOENT) + QString::number(ENOENT));
}

TEST_F(ResultsFileTest, LoaderGoesOnWhenTheFolderComesBackWithinTheRetries)
{
    HookClock clock;
    Platform p { clock, fatal, env.fakes.sound, env.fakes.launcher };
    const QString folder = env.dir.path() + QStringLiteral("/later/");
    state.ProgramDataFolder = folder;
    clock.onWait = [&](int n) {
        if (n == 3)
            QDir().mkpath(folder);
    };
    ASSERT_TRUE(成績ランダムファイル表示(state, p));
    EXPECT_EQ(clock.waits, (std::vector<int> { 5000, 5000, 5000 }));
    EXPECT_FALSE(fatal.called());
}

TEST_F(ResultsFileTest, ReadFailureReportsTheLoaderMessageWithItsMarker)
{
    // A folder where the file should be opens for reading but cannot be read.
    QDir().mkpath(env.resultsPath());
    if (QFileInfo(env.resultsPath()).size() < kRecordLength)
        GTEST_SKIP() << "folders report no size on this file system";
    ASSERT_FALSE(成績ランダムファイル表示(state, platform));
    ASSERT_EQ(fatal.messages.size(), 1);
    const QString m = fatal.messages.front();
    const QString e = QString::number(EISDIR);
    EXPECT_TRUE(m.startsWith(
        QStringLiteral("成績ランダムファイル表示5") + e + fileErrorDescription(EISDIR) + e + QStringLiteral("/date")))
        << m.toStdString();
    EXPECT_TRUE(m.contains(QStringLiteral("/i=1/time=")));
    EXPECT_TRUE(m.contains(QStringLiteral("/name=/Bangou=0/level=0/time=0")));
    EXPECT_TRUE(m.endsWith(QStringLiteral("line5")));
}

TEST_F(ResultsFileTest, AppendFailureReportsAndSeisekikirokuStops)
{
    QDir().mkpath(env.resultsPath());
    state.PupilNumber = 1;
    state.CurrentLevel = 1;
    state.RecordedTime = 10;
    ASSERT_FALSE(Seisekikiroku(state, platform, 1));
    ASSERT_EQ(fatal.messages.size(), 1);
    EXPECT_EQ(fatal.messages.front(), QStringLiteral("成績ランダムファイル記録") + fileErrorDescription(EISDIR));
    EXPECT_EQ(state.NewTopRecord, 0);
}

TEST_F(ResultsFileTest, SeisekikirokuRefusesALevelOutsideTheTables)
{
    state.RecordedTime = 10;
    EXPECT_FALSE(Seisekikiroku(state, platform, 36));
    ASSERT_TRUE(fatal.called());
    EXPECT_TRUE(fatal.messages.front().startsWith(QStringLiteral("Seisekikiroku")));
    EXPECT_FALSE(QFile::exists(env.resultsPath()));
}

TEST_F(ResultsFileTest, AppendWaitsASecondAtATimeWhileAnotherCopyHoldsTheLock)
{
    writeFile(env.resultsPath(), QByteArray());
    const int other = ::open(QFile::encodeName(env.resultsPath()).constData(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(other, 0);
    ASSERT_EQ(tryLockWholeFile(other), LockAttempt::Acquired);

    HookClock clock;
    Platform p { clock, fatal, env.fakes.sound, env.fakes.launcher };
    clock.onWait = [&](int n) {
        if (n == 2)
            unlockWholeFile(other);
    };
    state.PupilNumber = 1;
    state.CurrentLevel = 1;
    state.RecordedTime = 10;
    ASSERT_TRUE(成績ランダムファイル記録(state, p));
    EXPECT_EQ(clock.waits, (std::vector<int> { 1000, 1000 }));
    EXPECT_EQ(resultRecordCount(env.resultsPath()), 1);
    ::close(other);
}

struct ErrorKindCase {
    int error;
    FileErrorKind kind;
};
class FileErrorKinds : public ::testing::TestWithParam<ErrorKindCase> { };
TEST_P(FileErrorKinds, DecideBetweenWaitingAndGivingUp)
{
    EXPECT_EQ(classifyFileError(GetParam().error), GetParam().kind);
}
INSTANTIATE_TEST_SUITE_P(Errors, FileErrorKinds,
    ::testing::Values(ErrorKindCase { EACCES, FileErrorKind::NoPermission },
        ErrorKindCase { EAGAIN, FileErrorKind::Busy }, ErrorKindCase { ENOENT, FileErrorKind::NotFound },
        ErrorKindCase { EISDIR, FileErrorKind::Other }, ErrorKindCase { EIO, FileErrorKind::Other }),
    [](const auto &info) { return "errno" + std::to_string(info.param.error); });

// --- the reader for lists ----------------------------------------------------

TEST_F(ResultsFileTest, RangeReaderReturnsWholeRecordsOnly)
{
    const double today = env.today();
    QByteArray bytes
        = bytesOf({ makeRecord(today, 1, 1, 10), makeRecord(today, 2, 1, 20), makeRecord(today, 3, 1, 30) });
    bytes.append(QByteArray(43, '\x55'));
    writeFile(env.resultsPath(), bytes);

    EXPECT_EQ(resultRecordCount(env.resultsPath()), 3);
    QString error;
    auto all = readResultRecords(env.resultsPath(), 0, &error);
    ASSERT_TRUE(all) << error.toStdString();
    ASSERT_EQ(all->size(), 3u);
    EXPECT_EQ((*all)[2].seconds, 30);

    auto tail = readResultRecords(env.resultsPath(), 2, &error, 1);
    ASSERT_TRUE(tail);
    ASSERT_EQ(tail->size(), 1u);
    EXPECT_EQ((*tail)[0].seconds, 20);

    auto beyond = readResultRecords(env.resultsPath(), 9, &error);
    ASSERT_TRUE(beyond);
    EXPECT_TRUE(beyond->empty());
    EXPECT_EQ(resultRecordCount(env.dir.path() + QStringLiteral("/none.dat")), 0);
}

TEST_F(ResultsFileTest, RangeReaderNamesTheFileOnFailure)
{
    const QString path = env.dir.path() + QStringLiteral("/no/such/成績累積データ.dat");
    QString error;
    int number = 0;
    EXPECT_FALSE(readResultRecords(path, 1, &error, -1, &number));
    EXPECT_TRUE(error.contains(path));
    EXPECT_EQ(classifyFileError(number), FileErrorKind::NotFound);
}

} // namespace
