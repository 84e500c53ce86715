// SPDX-License-Identifier: MIT
#include "hub/graph_drawing.h"
#include "hub/graph_pixels.h"
#include "hub/hub_state.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

using graphtest::greenSegments;

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

    std::vector<StripLabel> draw(const StripData &data, double stripTop, int targetTime = 0)
    {
        QPainter painter(&image);
        return drawGraphStrip(painter, kScreen, stripTop,
            StripPicture { QStringLiteral("レベル1 ルカミナ"), QString(), data, {}, targetTime, {} });
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
        QStringList(10, QStringLiteral("　　獲得ポイント   27点")), 0, {} };
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

struct TargetCase {
    std::vector<int> runs;
    int target;
    TargetMark mark;
    int timeMax;
    QString label;
};

class GraphTarget : public GraphStrip, public ::testing::WithParamInterface<TargetCase> { };

TEST_P(GraphTarget, ADashedLineAtTheTargetsHeightOrItsValueAtTheTop)
{
    const TargetCase &c = GetParam();
    for (size_t i = 0; i < c.runs.size(); ++i)
        add(1, 1, c.runs[i], int(c.runs.size() - i));
    const StripData data = collect(1, 1);
    ASSERT_EQ(data.timeMax, c.timeMax);
    EXPECT_EQ(targetMark(c.target, data), c.mark);
    const double top = 0.35 * 600;
    const std::vector<StripLabel> labels = draw(data, top, c.target);

    // The row of the line: the target's height worked out from the rule.
    const int lineY = int(std::lround(top + 195 * (0.8 - 0.7 * c.target / double(c.timeMax))));
    int lineRow = -1;
    for (int y = int(top); y < int(top + 180); ++y) {
        const int segments = greenSegments(image, y);
        if (c.mark != TargetMark::Line) {
            ASSERT_EQ(segments, 0) << "no line without a target on the axis, row " << y;
            continue;
        }
        if (segments > 0 && std::abs(y - lineY) > 2)
            ADD_FAILURE() << "green away from the target's height, row " << y << ", line at " << lineY;
        if (segments > 0 && (lineRow < 0 || segments > greenSegments(image, lineRow)))
            lineRow = y;
    }
    if (c.mark == TargetMark::Line) {
        ASSERT_GE(lineRow, 0) << "no target line near row " << lineY;
        // Dashed: many short segments across the plot, not one solid line.
        EXPECT_GE(greenSegments(image, lineRow), 15);
    }

    const auto label = std::find_if(
        labels.begin(), labels.end(), [](const StripLabel &l) { return l.text.startsWith(QStringLiteral("目標")); });
    if (c.label.isEmpty()) {
        EXPECT_EQ(label, labels.end());
        return;
    }
    ASSERT_NE(label, labels.end());
    EXPECT_EQ(label->text, c.label);
    // Level with the line beyond its right end, or inside the plot at its
    // top right corner, clear of the figures.
    if (c.mark == TargetMark::Line) {
        EXPECT_LE(std::abs(label->box.center().y() - lineY), label->box.height()) << label->box.center().y();
        EXPECT_GE(label->box.left(), 0.9 * 400);
    } else {
        EXPECT_LE(label->box.top(), top + 0.1 * 195);
        EXPECT_LE(label->box.right(), 0.9 * 400 + 0.5);
        EXPECT_GE(label->box.left(), 0.2 * 400);
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, GraphTarget,
    ::testing::Values(TargetCase { { 50, 40 }, 30, TargetMark::Line, 60, QStringLiteral("目標 30秒") },
        TargetCase { { 57, 40 }, 60, TargetMark::Line, 60, QStringLiteral("目標 60秒") },
        TargetCase { { 50, 40 }, 120, TargetMark::AboveAxis, 60, QStringLiteral("目標 120秒↑") },
        TargetCase { { 50, 40 }, 0, TargetMark::None, 60, QString() },
        TargetCase { {}, 60, TargetMark::None, 10, QString() }));

int darkPixels(const QImage &image, const QRect &area)
{
    int dark = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x)
            dark += isDark(image.pixelColor(x, y)) ? 1 : 0;
    }
    return dark;
}

TEST_F(GraphStrip, OnPaperTheGradeNumberSchoolAndDateStandBesideTheName)
{
    add(1, 1, 50);
    StripPicture picture { QStringLiteral("レベル1 ルカミナ"), QStringLiteral("大野 ひな"), collect(1, 1), {}, 60,
        QStringLiteral("小３　番号 1　テスト学習塾　印刷日 2026/12/09") };
    // The right half of the band above the first strip's frame (at 30).
    const QRect headerBand(400, 0, 400, 28);
    {
        QPainter painter(&image);
        drawGraphStrip(painter, kScreen, 0.05 * 600, picture);
    }
    EXPECT_EQ(darkPixels(image, headerBand), 0) << "the screen shows the name alone";
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        drawGraphStrip(painter, GraphSurface { QSizeF(800, 600), 96, true }, 0.05 * 600, picture);
    }
    EXPECT_GT(darkPixels(image, headerBand), 100) << "the header is on paper";
    EXPECT_GT(darkPixels(image, QRect(0, 0, 200, 28)), 50) << "beside the name";
    // The second strip of a page has no header.
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        drawGraphStrip(painter, GraphSurface { QSizeF(800, 600), 96, true }, 0.35 * 600, picture);
    }
    EXPECT_EQ(darkPixels(image, QRect(0, 0, 800, 28)), 0);
}

// Runs whose labels the drawing rules put on top of one another or across
// the x axis: the first run sets the axis top, so its time stands on the
// axis top's; a first best near 0 s meets "0秒"; a large improvement puts
// the last best's date on the axis line; bests under the points near the
// axis; the target's value beside the last best.
struct CrowdCase {
    const char *what;
    std::vector<int> runs;
    int target;
};

void PrintTo(const CrowdCase &c, std::ostream *out)
{
    *out << c.what;
}

// Pixels of text, the light grey edges of small glyphs included.
int inkPixels(const QImage &image, const QRect &area)
{
    int ink = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x)
            ink += image.pixelColor(x, y).lightness() < 180 ? 1 : 0;
    }
    return ink;
}

class GraphLabels : public GraphStrip, public ::testing::WithParamInterface<CrowdCase> { };

TEST_P(GraphLabels, NoLabelCoversAnotherOrCrossesTheAxis)
{
    const CrowdCase &c = GetParam();
    for (size_t i = 0; i < c.runs.size(); ++i)
        add(1, 1, c.runs[i], int(c.runs.size() - i) * 40);
    const StripData data = collect(1, 1);
    const double top = 0.05 * 600;
    const std::vector<StripLabel> labels = draw(data, top, c.target);
    ASSERT_GE(labels.size(), 5u);

    const double axisY = top + 0.8 * 195;
    const double axisX = 0.2 * 400;
    const double halfPen = 2.5;
    for (size_t i = 0; i < labels.size(); ++i) {
        const StripLabel &a = labels[i];
        const std::string text = a.text.toStdString();
        for (size_t j = i + 1; j < labels.size(); ++j)
            EXPECT_FALSE(a.box.intersects(labels[j].box)) << text << " and " << labels[j].text.toStdString();
        if (a.box.right() <= axisX - halfPen) {
            // The time axis' labels, left of it.
        } else {
            EXPECT_TRUE(a.box.bottom() <= axisY - halfPen || a.box.top() >= axisY + halfPen)
                << text << " on the x axis: " << a.box.top() << ".." << a.box.bottom();
        }
        EXPECT_LE(a.box.bottom(), top + 0.3 * 600) << text << " reaches the next strip";
        EXPECT_GE(a.box.top(), top + 0.09 * 195) << text << " in the title band";
        // Each label can still be read: its text is there, not covered.
        EXPECT_GT(inkPixels(image, a.box.toAlignedRect()), 10) << text;
    }
}

INSTANTIATE_TEST_SUITE_P(Crowded, GraphLabels,
    ::testing::Values(CrowdCase { "the first run sets the axis top", { 57, 40 }, 0 },
        CrowdCase { "a first best near 0 s", { 1, 50 }, 0 }, CrowdCase { "a large improvement", { 120, 8 }, 0 },
        CrowdCase { "bests near the axis", { 600, 20, 15, 12, 10, 9, 8 }, 0 },
        CrowdCase { "the target beside the last best", { 70, 60 }, 60 }));

} // namespace
