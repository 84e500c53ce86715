// SPDX-License-Identifier: MIT
#include "hub/graph_statistics.h"
#include "hub/hub_state.h"

#include <gtest/gtest.h>

// Failure messages show the lines as text.
inline void PrintTo(const QStringList &lines, std::ostream *out)
{
    for (const QString &line : lines)
        *out << "\n  \"" << line.toStdString() << '"';
}

namespace {

struct LinesCase {
    const char *name;
    StripFigures figures;
    QStringList lines;
};

LevelStanding standing(const char *timeRank, const char *pointsRank, int points, int pupils, int sum)
{
    return LevelStanding { QString::fromUtf8(timeRank), QString::fromUtf8(pointsRank), points, pupils, sum };
}

std::ostream &operator<<(std::ostream &out, const LinesCase &c)
{
    return out << c.name;
}

class GraphStatisticsLines : public ::testing::TestWithParam<LinesCase> { };

TEST_P(GraphStatisticsLines, BuildTheBlockRightAligned)
{
    EXPECT_EQ(graphStatisticsLines(GetParam().figures), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(Blocks, GraphStatisticsLines,
    ::testing::Values(
        // Own average 165 / 4 = 41.25 cut to 41; the school's 405 / 10 =
        // 40.5 rounded to 41; average points 50 / 3 = 16.7 rounded to 17.
        LinesCase { "full", StripFigures { 4, 165, 30, 20, 10, 405, standing("2", "3", 27, 3, 50) },
            { QStringLiteral("回数　　　　　　　  4回"), QStringLiteral("タイム  　　 　    本人 / 塾全体"),
                QStringLiteral("　　順位　　　　    2位"), QStringLiteral("　　最高　　　　   30秒 /   20秒"),
                QStringLiteral("　　平均　　　　   41秒 /   41秒"), QStringLiteral("ポイント  　　　"),
                QStringLiteral("　　順位　　　　    3位"), QStringLiteral("　　獲得ポイント   27点"),
                QStringLiteral("　　　　　　　　　　　　/   17点"),
                QStringLiteral("　　　　　　　　　　　　 (塾平均)") } },
        // No run of the pupil: no average line, an empty best, "--" ranks.
        LinesCase { "no runs, nobody with points",
            StripFigures { 0, 0, std::nullopt, 45, 3, 200, standing("--", "--", 0, 0, 0) },
            { QStringLiteral("回数　　　　　　　  0回"), QStringLiteral("タイム  　　 　    本人 / 塾全体"),
                QStringLiteral("　　順位　　　　   --位"), QStringLiteral("　　最高　　　　       /   45秒"),
                QStringLiteral("ポイント  　　　"), QStringLiteral("　　順位　　　　   --位"),
                QStringLiteral("　　獲得ポイント    0点") } },
        // Wide figures keep only their last characters, as the columns do.
        LinesCase { "wide figures",
            StripFigures { 1234, 1234 * 999, 999, 999, 1234, 1234 * 999, standing("1234", "56789", 123456, 1, 123456) },
            { QStringLiteral("回数　　　　　　　234回"), QStringLiteral("タイム  　　 　    本人 / 塾全体"),
                QStringLiteral("　　順位　　　　 1234位"), QStringLiteral("　　最高　　　　  999秒 /  999秒"),
                QStringLiteral("　　平均　　　　  999秒 /  999秒"), QStringLiteral("ポイント  　　　"),
                QStringLiteral("　　順位　　　　56789位"), QStringLiteral("　　獲得ポイント23456点"),
                QStringLiteral("　　　　　　　　　　　　/23456点"),
                QStringLiteral("　　　　　　　　　　　　 (塾平均)") } }),
    [](const auto &info) { return std::to_string(info.index); });

TEST(GraphWholeNumber, RoundsHalvesAwayFromZero)
{
    EXPECT_EQ(graphWholeNumber(40.5), QStringLiteral("41"));
    EXPECT_EQ(graphWholeNumber(41.5), QStringLiteral("42"));
    EXPECT_EQ(graphWholeNumber(16.4), QStringLiteral("16"));
    EXPECT_EQ(graphWholeNumber(0), QStringLiteral("0"));
}

// Two pupils of the same name, a third without a run, at one level.
struct GraphStanding : ::testing::Test {
    std::unique_ptr<SharedState> state = hubtest::makeState();

    void SetUp() override
    {
        hubtest::addPupil(*state, 5, QStringLiteral("田中翔"), 4);
        hubtest::addPupil(*state, 7, QStringLiteral("田中翔"), 4);
        hubtest::addPupil(*state, 9, QStringLiteral("林 まゆ"), 8);
        state->BestTime(1, 5) = 40;
        state->BestTime(1, 7) = 31;
        state->TotalPoints(1, 5) = 12;
        state->TotalPoints(1, 7) = 30;
    }

    LevelStanding of(int pupil, const QString &filter = QStringLiteral("全学年"))
    {
        const LevelRanking time = buildLevelRanking(*state, 1, RankingOrder::BestTime, filter);
        const LevelRanking points = buildLevelRanking(*state, 1, RankingOrder::TotalPoints, filter);
        return levelStanding(time, points, pupil);
    }
};

TEST_F(GraphStanding, PupilsOfTheSameNameKeepTheirOwnRankAndPoints)
{
    const LevelStanding first = of(5);
    EXPECT_EQ(first.timeRank, QStringLiteral("2"));
    EXPECT_EQ(first.pointsRank, QStringLiteral("2"));
    EXPECT_EQ(first.pupilPoints, 12);
    const LevelStanding second = of(7);
    EXPECT_EQ(second.timeRank, QStringLiteral("1"));
    EXPECT_EQ(second.pointsRank, QStringLiteral("1"));
    EXPECT_EQ(second.pupilPoints, 30);
    EXPECT_EQ(second.pointPupils, 2);
    EXPECT_EQ(second.pointSum, 42);
}

TEST_F(GraphStanding, APupilWithoutARunHasNoTimeRankButAPointsRank)
{
    const LevelStanding s = of(9);
    EXPECT_EQ(s.timeRank, QStringLiteral("--"));
    EXPECT_EQ(s.pointsRank, QStringLiteral("3"));
    EXPECT_EQ(s.pupilPoints, 0);
}

TEST_F(GraphStanding, TiesShareTheRankAndTheGradeFilterNarrowsTheAverage)
{
    state->TotalPoints(1, 9) = 30;
    EXPECT_EQ(of(9).pointsRank, QStringLiteral("1"));
    EXPECT_EQ(of(7).pointsRank, QStringLiteral("1"));
    // Only junior-high rows count under "中学生全体": pupil 9 alone.
    const LevelStanding s = of(9, QStringLiteral("中学生全体"));
    EXPECT_EQ(s.pointPupils, 1);
    EXPECT_EQ(s.pointSum, 30);
    // A pupil the filter leaves out has no row, so no rank.
    EXPECT_EQ(of(5, QStringLiteral("中学生全体")).pointsRank, QStringLiteral("--"));
}

StripData plottedRuns(const std::vector<int> &seconds)
{
    StripData data;
    for (const int s : seconds) {
        GraphRun run;
        run.k = int(data.plotted.size()) + 1;
        run.seconds = s;
        data.plotted.push_back(run);
    }
    data.runCount = int(seconds.size());
    return data;
}

struct TrendCase {
    const char *what;
    std::vector<int> runs;
    Trend trend;
    int means; // runs in each mean
    double recent;
    double earlier;
};

std::ostream &operator<<(std::ostream &out, const TrendCase &c)
{
    return out << c.what;
}

class GraphTrend : public ::testing::TestWithParam<TrendCase> { };

TEST_P(GraphTrend, TheLastRunsAgainstTheRunsBeforeThem)
{
    const TrendCase &c = GetParam();
    const StripTrend t = stripTrend(plottedRuns(c.runs));
    EXPECT_EQ(t.trend, c.trend);
    EXPECT_EQ(t.runs, c.means);
    EXPECT_DOUBLE_EQ(t.recentMean, c.recent);
    EXPECT_DOUBLE_EQ(t.earlierMean, c.earlier);
}

INSTANTIATE_TEST_SUITE_P(Runs, GraphTrend,
    ::testing::Values(TrendCase { "no run", {}, Trend::Unknown, 0, 0, 0 },
        TrendCase { "one run", { 50 }, Trend::Unknown, 0, 0, 0 },
        TrendCase { "two runs, the second faster", { 50, 40 }, Trend::Faster, 1, 40, 50 },
        TrendCase { "within 5 % is the same", { 100, 95, 100, 104 }, Trend::Same, 2, 102, 97.5 },
        TrendCase { "three runs: the first is left out", { 10, 60, 40 }, Trend::Faster, 1, 40, 60 },
        TrendCase { "slower", { 40, 40, 40, 60, 60, 60 }, Trend::Slower, 3, 60, 40 },
        // Only the ten newest count: the two slow runs at the start do not.
        TrendCase { "twelve runs", { 900, 900, 50, 50, 50, 50, 50, 48, 49, 50, 51, 52 }, Trend::Same, 5, 50, 50 },
        TrendCase { "ten runs getting faster", { 60, 62, 58, 60, 60, 45, 40, 42, 38, 35 }, Trend::Faster, 5, 40, 60 }));

TEST(GraphSummary, SaysRunsBestLastTargetAndTrend)
{
    StripData data = plottedRuns({ 60, 62, 58, 60, 60, 45, 40, 42, 38, 35, 41 });
    EXPECT_EQ(stripSummary(QStringLiteral("レベル1 ルカミナ"), data, 45),
        QStringLiteral("レベル1 ルカミナ。回数 11回、最高 35秒、最後 41秒。目標 45秒。"
                       "速くなっています（最近5回の平均 39秒、その前の5回の平均 57秒）。"));
    // Counted runs the grade filter keeps off the graph, and no target.
    StripData hidden;
    hidden.runCount = 2;
    EXPECT_EQ(
        stripSummary(QStringLiteral("レベル2"), hidden, 0), QStringLiteral("レベル2。回数 2回、グラフに記録なし。"));
    EXPECT_EQ(stripSummary(QStringLiteral("レベル2"), plottedRuns({ 70 }), 80),
        QStringLiteral("レベル2。回数 1回、最高 70秒、最後 70秒。目標 80秒。変化はまだ分かりません。"));
}

} // namespace
