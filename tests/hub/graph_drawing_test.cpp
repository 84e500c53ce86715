// SPDX-License-Identifier: MIT
#include "hub/graph_drawing.h"
#include "hub/hub_state.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

using hubtest::kWednesday;
using hubtest::run;

const QTime kNoon(12, 0);

// An 800 x 600 screen surface: W2 = 400, H2 = 300, and heights inside a
// strip in U = 0.65 H2 = 195.
const GraphSurface kScreen { QSizeF(800, 600), 96, false };

struct Point {
    int x;
    int y;
};

// Where the drawing rules put the k-th of n plotted runs, worked out here
// from the rules themselves rather than from the code under test.
Point expectedPoint(double stripTop, int k, int n, int seconds, int timeMax)
{
    const double x = 400 * (0.2 + 0.7 * k / n);
    const double y = stripTop + 195 * (0.8 - 0.7 * seconds / double(timeMax));
    return { int(std::lround(x)), int(std::lround(y)) };
}

bool isRed(const QColor &c)
{
    return c.red() > 200 && c.green() < 60 && c.blue() < 60;
}
bool isBlue(const QColor &c)
{
    return c.blue() > 200 && c.red() < 60 && c.green() < 60;
}
bool isDark(const QColor &c)
{
    return c.red() < 80 && c.green() < 80 && c.blue() < 80;
}

struct GraphStrip : ::testing::Test {
    std::unique_ptr<SharedState> state = hubtest::makeState();
    std::vector<ResultRecord> records;
    QImage image { 800, 600, QImage::Format_RGB32 };

    void SetUp() override
    {
        hubtest::addPupil(*state, 1, QStringLiteral("大野 ひな"), 3);
        hubtest::addPupil(*state, 2, QStringLiteral("加藤 りく"), 7);
        image.fill(Qt::white);
    }

    void add(int pupil, int level, int seconds, int daysAgo = 0)
    {
        records.push_back(run(kWednesday.addDays(-daysAgo), kNoon, pupil, level, seconds));
    }

    StripData collect(int level, int pupil, const QString &filter = QStringLiteral("全学年"))
    {
        return collectStrip(*state, records, 1, kWednesday, level, pupil, filter);
    }

    void draw(const StripData &data, double stripTop)
    {
        QPainter painter(&image);
        drawGraphStrip(
            painter, kScreen, stripTop, StripPicture { QStringLiteral("レベル1 ルカミナ"), QString(), data, {} });
    }

    QColor at(Point p) const { return image.pixelColor(p.x, p.y); }
};

TEST_F(GraphStrip, PersonalBestsAreRedOthersBlueJoinedByTheBestLine)
{
    // 50 (first, best), 40 (best), 45, 45, 30 (best); pupil 2's runs and
    // another level's stay out of the strip.
    for (const int s : { 50, 40, 45 })
        add(1, 1, s);
    add(2, 1, 20);
    add(1, 2, 10);
    add(1, 1, 45);
    add(1, 1, 30);
    const StripData data = collect(1, 1);
    ASSERT_EQ(data.runCount, 5);
    ASSERT_EQ(data.timeMax, 60);
    const double top = 0.35 * 600; // the second strip
    draw(data, top);

    const int times[5] = { 50, 40, 45, 45, 30 };
    const bool best[5] = { true, true, false, false, true };
    for (int k = 1; k <= 5; ++k) {
        const QColor c = at(expectedPoint(top, k, 5, times[k - 1], 60));
        if (best[k - 1])
            EXPECT_TRUE(isRed(c)) << "run " << k << " is a personal best: " << c.name().toStdString();
        else
            EXPECT_TRUE(isBlue(c)) << "run " << k << " is not a personal best: " << c.name().toStdString();
    }
    // The best line runs from the second best (k 2, 40 s) to the third
    // (k 5, 30 s); half way along it there is no point, only the line.
    const Point from = expectedPoint(top, 2, 5, 40, 60);
    const Point to = expectedPoint(top, 5, 5, 30, 60);
    EXPECT_TRUE(isDark(at({ (from.x + to.x) / 2, (from.y + to.y) / 2 })));
    // Below the line, between two runs, the strip is empty.
    EXPECT_EQ(at({ (from.x + to.x) / 2, (from.y + to.y) / 2 + 20 }), QColor(Qt::white));
    // The axes: x axis at 0.8 U, y axis at 0.2 W2.
    EXPECT_TRUE(isDark(at({ 300, int(top + 156) })));
    EXPECT_TRUE(isDark(at({ 80, int(top + 90) })));
}

TEST_F(GraphStrip, AStripStaysAboveTheNextOne)
{
    for (int i = 0; i < 12; ++i)
        add(1, 1, 300 - 20 * i, 300 - 20 * i);
    const StripData data = collect(1, 1);
    ASSERT_EQ(data.personalBests.size(), 12u);
    const double nextTop = 0.35 * 600;
    StripPicture picture { QStringLiteral("レベル1 ルカミナ"), QStringLiteral("大野 ひな"), data,
        QStringList(10, QStringLiteral("　　獲得ポイント   27点")) };
    {
        QPainter painter(&image);
        drawGraphStrip(painter, kScreen, 0.05 * 600, picture);
    }
    // Nothing of the first strip (axes, labels, figures) reaches the band
    // where the second strip's frame and title go.
    for (int y = int(nextTop) - 1; y < int(nextTop) + 20; ++y) {
        for (int x = 0; x < 800; ++x)
            ASSERT_EQ(at({ x, y }), QColor(Qt::white)) << x << "," << y;
    }
    // The header stands above the first strip's frame.
    bool header = false;
    for (int y = 0; y < 30 && !header; ++y) {
        for (int x = 0; x < 200 && !header; ++x)
            header = isDark(at({ x, y }));
    }
    EXPECT_TRUE(header);
}

TEST_F(GraphStrip, AnEqualTimeIsNoNewBestAndTheFirstRunAlwaysIs)
{
    for (const int s : { 300, 300, 299 })
        add(1, 3, s);
    const StripData data = collect(3, 1);
    ASSERT_EQ(data.plotted.size(), 3u);
    EXPECT_TRUE(data.plotted[0].personalBest);
    EXPECT_FALSE(data.plotted[1].personalBest);
    EXPECT_TRUE(data.plotted[2].personalBest);
    EXPECT_EQ(data.personalBests, (std::vector<size_t> { 0, 2 }));
}

TEST_F(GraphStrip, RunsOf1800SecondsOrMoreAreNotPlottedButTheSchoolBestIgnoresOnlyFailures)
{
    add(1, 1, 99999);
    add(1, 1, 1800);
    add(1, 1, 70);
    add(2, 1, 2000);
    add(2, 1, 90000);
    add(1, 1, 60, 3650); // exactly ten years back: outside
    const StripData data = collect(1, 1);
    EXPECT_EQ(data.runCount, 1);
    ASSERT_EQ(data.plotted.size(), 1u);
    EXPECT_EQ(data.plotted[0].k, 1);
    EXPECT_EQ(data.timeMax, 80);
    EXPECT_EQ(data.schoolRunCount, 1);
    EXPECT_EQ(data.schoolTimeSum, 70);
    EXPECT_EQ(data.schoolBest, 70);
}

TEST_F(GraphStrip, AGradeFilterThatLeavesThePupilOutPlotsNothingButCountsTheRuns)
{
    add(2, 1, 40);
    add(2, 1, 30);
    const StripData data = collect(1, 2, QStringLiteral("小学生全体"));
    EXPECT_EQ(data.runCount, 2);
    EXPECT_TRUE(data.plotted.empty());
    EXPECT_EQ(collect(1, 2, QStringLiteral("中学生全体")).plotted.size(), 2u);
}

TEST_F(GraphStrip, OnlyTheLast20000RecordsAreRead)
{
    // 20002 records: the window starts at record 3, so pupil 1's 10 s run
    // falls out of it.
    add(1, 1, 10);
    for (int i = 0; i < 20000; ++i)
        add(2, 2, 100);
    add(1, 1, 50);
    const StripData data = collect(1, 1);
    EXPECT_EQ(data.runCount, 1);
    EXPECT_EQ(data.schoolBest, 50);
}

struct AxisCase {
    int slowest;
    int timeMax;
};

class GraphAxisTop : public GraphStrip, public ::testing::WithParamInterface<AxisCase> { };

TEST_P(GraphAxisTop, TheSlowestRunSetsTheAxisTopAndItsPointSitsThere)
{
    const AxisCase c = GetParam();
    add(1, 1, c.slowest);
    const StripData data = collect(1, 1);
    EXPECT_EQ(data.timeMax, c.timeMax);
    EXPECT_EQ(graphTimeMax(c.slowest), c.timeMax);
    const double top = 0.05 * 600;
    draw(data, top);
    // A run slower than the axis top sits on the top, not in the strip above.
    const int shown = std::min(c.slowest, c.timeMax);
    EXPECT_TRUE(isRed(at(expectedPoint(top, 1, 1, shown, c.timeMax))));
}

INSTANTIATE_TEST_SUITE_P(Times, GraphAxisTop,
    ::testing::Values(AxisCase { 57, 60 }, AxisCase { 60, 70 }, AxisCase { 5, 10 }, AxisCase { 989, 990 },
        AxisCase { 995, 1000 }, AxisCase { 1500, 1000 }));

TEST(GraphStripPlaces, ThreeToAPageAndTheFourthStartsANewOne)
{
    const std::vector<StripPlace> places = stripPlaces(5, 1000);
    ASSERT_EQ(places.size(), 5u);
    const double tops[5] = { 50, 350, 650, 50, 350 };
    const bool newPage[5] = { false, false, false, true, false };
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_NEAR(places[i].top, tops[i], 1e-9) << i;
        EXPECT_EQ(places[i].newPageFirst, newPage[i]) << i;
    }
}

TEST_F(GraphStrip, BestLabelsLoseTheYearWhenTheBestBeforeWasTheSameYear)
{
    add(1, 1, 50, 400); // 2025/11/04
    add(1, 1, 40, 10); // 2026/11/29
    add(1, 1, 30, 3); // 2026/12/06
    const StripData data = collect(1, 1);
    ASSERT_EQ(data.personalBests.size(), 3u);
    EXPECT_EQ(personalBestDate(data, 0), QStringLiteral("2025/11/04"));
    EXPECT_EQ(personalBestDate(data, 1), QStringLiteral("2026/11/29"));
    EXPECT_EQ(personalBestDate(data, 2), QStringLiteral("12/06"));
}

} // namespace
