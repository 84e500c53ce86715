// SPDX-License-Identifier: MIT
#include "maintenance/csv_export.h"
#include "results/counts.h"
#include "results/points.h"
#include "results/results_file.h"
#include "results_support.h"
#include "support/python_csv.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace results_test;

namespace {

class CountsTest : public ::testing::Test {
protected:
    ResultsEnv env;
    SharedState &state = *env.state;
    Platform &platform = env.fakes.platform;

    void count(const std::vector<ResultRecord> &records)
    {
        env.writeRecords(records);
        ASSERT_TRUE(回数求(state, platform));
        ASSERT_FALSE(env.fakes.fatal.called());
    }
};

TEST_F(CountsTest, NoRecordsLeaveEveryTableAtZero)
{
    state.TotalRunCount(1, 1) = 3;
    state.TodayRunCount(2, 2) = 1.0f;
    state.OverPracticeEarned(35, 5000) = 9;
    count({});
    EXPECT_EQ(state.TotalRunCount(1, 1), 0);
    EXPECT_EQ(state.TodayRunCount(2, 2), 0.0f);
    EXPECT_EQ(state.OverPracticeEarned(35, 5000), 0);
    EXPECT_FALSE(LevelPassed(state, 1, 1));
    state.ClearCount[1] = 0;
    state.ClearPoints[1] = 0;
    EXPECT_TRUE(LevelPassed(state, 1, 1));
    state.ClearPoints[1] = 1;
    EXPECT_FALSE(LevelPassed(state, 1, 1));
}

TEST_F(CountsTest, ValidRunsAreBelow6000ButEveryRecordEarnsItsPoints)
{
    state.TargetTime[2] = 10000; // so that slow runs still earn points
    const double today = env.today();
    count({ makeRecord(today, 1, 2, 5999), makeRecord(today, 1, 2, 6000), makeRecord(today, 1, 2, 99999),
        makeRecord(today, 1, 2, 99998) });
    EXPECT_EQ(state.LoadedRecordCount, 4);
    EXPECT_EQ(state.TotalRunCount(2, 1), 1);
    EXPECT_EQ(state.TodayRunCount(2, 1), 1.0f);
    EXPECT_EQ(state.PeriodRunCount(2, 1), 1);
    EXPECT_EQ(state.OverPracticeRunCount(2, 1), 1);
    // 5999 and 6000 are graded as 599 and 600; time-ups earn nothing.
    const int expected = countedRunPoints(5999, 10000, 1) + countedRunPoints(6000, 10000, 1);
    EXPECT_EQ(expected,
        int(std::floor(std::pow(9401.0 / 10000, 3) * 50 + 5)) + int(std::floor(std::pow(9400.0 / 10000, 3) * 50 + 5)));
    EXPECT_EQ(state.TotalPoints(2, 1), expected);
    EXPECT_EQ(state.TodayPoints(2, 1), expected);
    EXPECT_EQ(state.PeriodPoints(2, 1), expected);
    EXPECT_EQ(state.OverPracticeEarned(2, 1), expected);
}

TEST_F(CountsTest, PointsCarryTheLevelsMultiplier)
{
    state.PointMultiplier[3] = 1.5f;
    const double today = env.today();
    count({ makeRecord(today, 7, 3, 30), makeRecord(today, 7, 3, 90), makeRecord(today, 7, 1, 30) });
    EXPECT_EQ(state.TotalPoints(3, 7), 16 + 6);
    EXPECT_EQ(state.TotalPoints(1, 7), 11);
}

struct SpanCase {
    const char *name;
    int daysAgo;
    double periodDays;
    bool counts;
};

class CountsJudgmentSpan : public CountsTest, public ::testing::WithParamInterface<SpanCase> { };

TEST_P(CountsJudgmentSpan, CoversTodayAndTheDaysBeforeIt)
{
    const SpanCase c = GetParam();
    state.JudgePeriodDays[1] = ItemValue::fromNumber(c.periodDays);
    state.OverPracticePeriodDays[1] = ItemValue::fromNumber(c.periodDays);
    count({ makeRecord(env.today() - c.daysAgo, 1, 1, 30) });
    EXPECT_EQ(state.PeriodRunCount(1, 1), c.counts ? 1 : 0);
    EXPECT_EQ(state.PeriodPoints(1, 1), c.counts ? 11 : 0);
    EXPECT_EQ(state.OverPracticeRunCount(1, 1), c.counts ? 1 : 0);
    EXPECT_EQ(state.OverPracticeEarned(1, 1), c.counts ? 11 : 0);
    EXPECT_EQ(state.TotalRunCount(1, 1), 1);
    EXPECT_EQ(state.TodayRunCount(1, 1), c.daysAgo == 0 ? 1.0f : 0.0f);
}

INSTANTIATE_TEST_SUITE_P(Spans, CountsJudgmentSpan,
    ::testing::Values(SpanCase { "TodayInOneDay", 0, 1, true }, SpanCase { "YesterdayInOneDay", 1, 1, false },
        SpanCase { "YesterdayInTwoDays", 1, 2, true }, SpanCase { "SixDaysAgoInSeven", 6, 7, true },
        SpanCase { "SevenDaysAgoInSeven", 7, 7, false }, SpanCase { "TodayInZeroDays", 0, 0, false },
        SpanCase { "YesterdayInHalfADay", 1, 0.5, false }, SpanCase { "YesterdayInOneAndAHalf", 1, 1.5, true }),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(CountsTest, PeriodCellsThatAreEmptyOrTextCountNothing)
{
    state.JudgePeriodDays[1] = ItemValue::fromText(QString());
    state.OverPracticePeriodDays[1] = ItemValue::fromText(QStringLiteral("七日"));
    count({ makeRecord(env.today(), 1, 1, 30) });
    EXPECT_EQ(state.PeriodRunCount(1, 1), 0);
    EXPECT_EQ(state.OverPracticeRunCount(1, 1), 0);
    EXPECT_EQ(state.TodayRunCount(1, 1), 1.0f);
}

TEST_F(CountsTest, TodayIsTheCalendarDayOfTheClock)
{
    env.fakes.clock.set(QDateTime(QDate(2026, 12, 9), QTime(23, 59, 59)));
    const double today = env.today();
    count({ makeRecord(today, 1, 1, 30), makeRecord(today + 0.99, 1, 1, 30), makeRecord(today + 1, 1, 1, 30),
        makeRecord(today - 0.01, 1, 1, 30) });
    EXPECT_EQ(state.TodayRunCount(1, 1), 2.0f);
    EXPECT_EQ(state.TodayPoints(1, 1), 22);
}

// The hub, the drill's strip and the result screen show this one sum.
TEST_F(CountsTest, TodaysRunTotalTakesInEveryLevelAndOnlyThePupilsValidRunsOfToday)
{
    const double today = env.today();
    count({ makeRecord(today, 7, 1, 30), makeRecord(today, 7, 15, 30), makeRecord(today, 7, 16, 30),
        makeRecord(today, 7, 35, 30), makeRecord(today, 7, 35, 30), makeRecord(today, 7, 2, 99999),
        makeRecord(today - 1, 7, 3, 30), makeRecord(today, 8, 3, 30) });
    EXPECT_EQ(todaysRunTotal(state, 7), 5);
    EXPECT_EQ(todaysRunTotal(state, 8), 1);
    EXPECT_EQ(todaysRunTotal(state, 9), 0);
    // A pupil number the tables cannot hold has no runs rather than a
    // read outside them.
    EXPECT_EQ(todaysRunTotal(state, -1), 0);
    EXPECT_EQ(todaysRunTotal(state, kMaxPupil + 1), 0);
}

TEST_F(CountsTest, CountsAreKeptApartPerLevelAndPupil)
{
    const double today = env.today();
    count({ makeRecord(today, 1, 1, 30), makeRecord(today, 2, 1, 30), makeRecord(today, 1, 2, 30),
        makeRecord(today, 5000, 35, 30) });
    EXPECT_EQ(state.TotalRunCount(1, 1), 1);
    EXPECT_EQ(state.TotalRunCount(1, 2), 1);
    EXPECT_EQ(state.TotalRunCount(2, 1), 1);
    EXPECT_EQ(state.TotalRunCount(2, 2), 0);
    EXPECT_EQ(state.TotalRunCount(35, 5000), 1);
    EXPECT_EQ(state.TotalPoints(35, 5000), 0); // level 35 has no target time: no points
}

TEST_F(CountsTest, ZeroTargetTimeGivesNoPointsAndNoNaN)
{
    state.TargetTime[1] = 0;
    const double today = env.today();
    count({ makeRecord(today, 1, 1, 0), makeRecord(today, 1, 1, 1), makeRecord(today, 1, 1, -3) });
    EXPECT_EQ(state.TotalPoints(1, 1), 0);
    EXPECT_EQ(state.TotalRunCount(1, 1), 3);
    EXPECT_FALSE(std::isnan(state.TodayRunCount(1, 1)));
}

TEST_F(CountsTest, OddDatesNeverCountAsTodayNorCrash)
{
    const double inf = std::numeric_limits<double>::infinity();
    count({ makeRecord(std::nan(""), 1, 1, 30), makeRecord(inf, 1, 1, 30), makeRecord(1e300, 1, 1, 30),
        makeRecord(-inf, 1, 1, 30) });
    EXPECT_EQ(state.LoadedRecordCount, 3);
    EXPECT_EQ(state.TotalRunCount(1, 1), 3);
    EXPECT_EQ(state.TodayRunCount(1, 1), 0.0f);
    // Dates in the future fall inside every look-back period.
    EXPECT_EQ(state.PeriodRunCount(1, 1), 2);
}

TEST_F(CountsTest, LoadedTablesOutsideTheLevelsAreSkippedByTheCount)
{
    state.LoadedRecordCount = 3;
    const double today = env.today();
    state.RecDate[1] = state.RecDate[2] = state.RecDate[3] = today;
    state.RecLevel[1] = 36;
    state.RecPupil[1] = 1;
    state.RecLevel[2] = 1;
    state.RecPupil[2] = 5001;
    state.RecLevel[3] = 1;
    state.RecPupil[3] = 1;
    state.RecTime[1] = state.RecTime[2] = state.RecTime[3] = 30;
    countLoadedRecords(state, env.fakes.clock.nowOle());
    EXPECT_EQ(state.TotalRunCount(1, 1), 1);
}

// Each record's points are its counted points, whatever the multiplier and
// whatever branch of the scale the time falls in.
TEST_F(CountsTest, SumsAreTheRecordsCountedPoints)
{
    const float multipliers[] = { 1.0f, 1.1f, 1.5f, 0.3f, 2.7f, -1.0f };
    std::vector<ResultRecord> records;
    for (int level = 1; level <= 6; ++level) {
        state.TargetTime[size_t(level)] = 10 * level;
        state.PointMultiplier[size_t(level)] = multipliers[level - 1];
        state.JudgePeriodDays[size_t(level)] = ItemValue::fromNumber(1);
        int pupil = 0;
        for (int t : { -150, 0, 3, 9, 10, 11, 25, 99, 100, 1000, 1234, 99999 })
            records.push_back(makeRecord(env.today(), ++pupil, level, t));
    }
    count(records);
    for (const ResultRecord &r : records) {
        const auto l = size_t(r.level);
        const int expected = countedRunPoints(r.seconds, state.TargetTime[l], state.PointMultiplier[l]);
        EXPECT_EQ(state.TotalPoints(r.level, r.pupilNumber), expected) << r.level << "/" << r.seconds;
        EXPECT_EQ(state.TodayPoints(r.level, r.pupilNumber), expected);
        EXPECT_EQ(state.PeriodPoints(r.level, r.pupilNumber), expected);
    }
}

TEST_F(CountsTest, PointSumsSaturateInsteadOfWrapping)
{
    state.PointMultiplier[1] = 1e9f;
    const double today = env.today();
    count({ makeRecord(today, 1, 1, 0), makeRecord(today, 1, 1, 0), makeRecord(today, 1, 1, 0) });
    EXPECT_EQ(state.TotalPoints(1, 1), 2147483647);
}

// --- the rules ---------------------------------------------------------------

struct OverPracticeCase {
    const char *name;
    double countLimit;
    double pointsLimit;
    int runs;
    bool overPractised;
};

class OverPracticeRule : public CountsTest, public ::testing::WithParamInterface<OverPracticeCase> { };

TEST_P(OverPracticeRule, ReachesItsLimitAtTheLimitNotBelow)
{
    const OverPracticeCase c = GetParam();
    state.OverPracticeCount[1] = ItemValue::fromNumber(c.countLimit);
    state.OverPracticePoints[1] = ItemValue::fromNumber(c.pointsLimit);
    std::vector<ResultRecord> records(size_t(c.runs), makeRecord(env.today(), 4, 1, 30)); // 11 points each
    count(records);
    EXPECT_EQ(LevelOverPractised(state, 1, 4), c.overPractised);
}

INSTANTIATE_TEST_SUITE_P(Limits, OverPracticeRule,
    ::testing::Values(OverPracticeCase { "TwentyRunsOfTwenty", 20, 0, 20, true },
        OverPracticeCase { "NineteenRunsOfTwenty", 20, 0, 19, false }, OverPracticeCase { "NoLimits", 0, 0, 40, false },
        OverPracticeCase { "PointsReached", 0, 220, 20, true }, OverPracticeCase { "PointsShort", 0, 221, 20, false },
        OverPracticeCase { "EitherLimitSuffices", 100, 33, 3, true }),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(CountsTest, OverPracticeIgnoresRunsBeforeItsPeriod)
{
    state.OverPracticeCount[1] = ItemValue::fromNumber(2);
    const double today = env.today();
    count({ makeRecord(today - 1, 4, 1, 30), makeRecord(today, 4, 1, 30) });
    EXPECT_FALSE(LevelOverPractised(state, 1, 4));
    state.OverPracticePeriodDays[1] = ItemValue::fromNumber(2);
    count({ makeRecord(today - 1, 4, 1, 30), makeRecord(today, 4, 1, 30) });
    EXPECT_TRUE(LevelOverPractised(state, 1, 4));
}

TEST_F(CountsTest, PassedLooksAtThePeriodClearedEverAtEverything)
{
    state.ClearCount[1] = 2;
    state.ClearPoints[1] = 22;
    const double today = env.today();
    count({ makeRecord(today - 30, 4, 1, 30), makeRecord(today, 4, 1, 30) });
    EXPECT_FALSE(LevelPassed(state, 1, 4));
    EXPECT_TRUE(LevelClearedEver(state, 1, 4));
    count({ makeRecord(today - 1, 4, 1, 30), makeRecord(today, 4, 1, 30) });
    EXPECT_TRUE(LevelPassed(state, 1, 4));
    // Enough runs, points one short.
    state.ClearPoints[1] = 23;
    EXPECT_FALSE(LevelPassed(state, 1, 4));
    EXPECT_FALSE(LevelClearedEver(state, 1, 4));
    // Slow runs earn points but are no valid runs.
    state.ClearPoints[1] = 0;
    count({ makeRecord(today, 4, 1, 6000), makeRecord(today, 4, 1, 6001) });
    EXPECT_FALSE(LevelPassed(state, 1, 4));
}

TEST_F(CountsTest, RulesAnswerNoForCellsOutsideTheTables)
{
    state.ClearCount[1] = 0;
    EXPECT_FALSE(LevelPassed(state, 36, 1));
    EXPECT_FALSE(LevelPassed(state, 1, 5001));
    EXPECT_FALSE(LevelOverPractised(state, -1, 1));
    EXPECT_FALSE(LevelClearedEver(state, 1, -1));
}

TEST_F(CountsTest, FailureToLoadIsPassedOn)
{
    state.ProgramDataFolder = env.dir.path() + QStringLiteral("/gone/");
    EXPECT_FALSE(回数求(state, platform));
    EXPECT_TRUE(env.fakes.fatal.called());
}

// A school's file as it grows past the loader's 10001 valid records, with
// this morning's runs at its end: the hub and pupils.csv count them at
// every size.
class GrowingFile : public ::testing::TestWithParam<int> { };

TEST_P(GrowingFile, TodaysRunsAreCountedWhateverTheFilesSize)
{
    ResultsEnv env;
    SharedState &state = *env.state;
    const int total = GetParam();
    const double today = env.today();
    state.ClearPoints[2] = 50; // nine runs of about 10 points pass today
    constexpr int kToday = 9;
    constexpr int kPupil = 7;
    constexpr int kLevel = 2;
    std::vector<ResultRecord> records;
    records.reserve(size_t(total));
    // Earlier weeks of sixty other pupils, outside every period.
    for (int i = 0; i < total - kToday - 1; ++i)
        records.push_back(makeRecord(today - 30 - i / 180, 10 + i % 60, 1 + i % 4, 40 + i % 50));
    // This morning: a time-up, then nine runs.
    records.push_back(makeRecord(today, kPupil, kLevel, 99999));
    std::int32_t points = 0;
    for (int i = 0; i < kToday; ++i) {
        records.push_back(makeRecord(today, kPupil, kLevel, 30 + i));
        points += countedRunPoints(30 + i, 60, 1);
    }
    ASSERT_EQ(records.size(), size_t(total));
    env.writeRecords(records);

    ASSERT_TRUE(回数求(state, env.fakes.platform));
    ASSERT_EQ(state.LoadedRecordCount, std::min(total, 10001));
    // The slots keep the file's order, the newest run last.
    EXPECT_EQ(state.RecTime[size_t(state.LoadedRecordCount)], 30 + kToday - 1);
    EXPECT_EQ(state.TodayRunCount(kLevel, kPupil), float(kToday));
    EXPECT_EQ(state.TodayPoints(kLevel, kPupil), points);
    EXPECT_EQ(state.PeriodRunCount(kLevel, kPupil), kToday);
    EXPECT_EQ(state.TotalRunCount(kLevel, kPupil), kToday);
    EXPECT_TRUE(LevelPassed(state, kLevel, kPupil));
    EXPECT_EQ(state.BestTime(kLevel, kPupil), 30);

    const CsvExportResult exported = exportCsv(state, env.fakes.clock.now(), env.dir.path() + QStringLiteral("/csv"));
    ASSERT_TRUE(exported.ok) << exported.problem.toStdString();
    QString error;
    const auto rows = python_csv::read(exported.pupilsPath, &error);
    ASSERT_TRUE(rows.has_value()) << error.toStdString();
    int found = 0;
    for (const QStringList &row : *rows) {
        if (row.value(0) != QString::number(kPupil) || row.value(3) != QString::number(kLevel))
            continue;
        ++found;
        EXPECT_EQ(row.value(5).toInt(), kToday);
        EXPECT_EQ(row.value(6).toInt(), kToday);
        EXPECT_EQ(row.value(9).toInt(), points);
    }
    EXPECT_EQ(found, 1);
}

INSTANTIATE_TEST_SUITE_P(Sizes, GrowingFile, ::testing::Values(10000, 10001, 10002, 15000, 20001, 25000));

} // namespace
