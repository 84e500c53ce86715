// SPDX-License-Identifier: MIT
// The class overview's figures: the week's runs and the "休み" mark at the
// edge of the week, the order of every column both ways, and the figures
// of a whole generated school against the hub's own counts and rankings.
#include "../../bench/school.h"
#include "hub/class_overview_model.h"
#include "hub/hub_state.h"
#include "hub/rankings.h"
#include "results/counts.h"
#include "roster/roster_file.h"
#include "state/level_table.h"

#include <QDateTime>
#include <gtest/gtest.h>
#include <map>

namespace {

using hubtest::kWednesday;

void addRecord(SharedState &state, int pupil, int level, const QDate &day, int seconds)
{
    const int r = ++state.LoadedRecordCount;
    state.RecDate[size_t(r)] = oledate::fromDate(day);
    state.RecPupil[size_t(r)] = std::int16_t(pupil);
    state.RecLevel[size_t(r)] = std::int16_t(level);
    state.RecTime[size_t(r)] = seconds;
}

QString cell(const ClassOverviewModel &model, int row, OverviewColumn column)
{
    return model.data(model.index(row, int(column))).toString();
}

struct WeekEdge {
    int daysAgo;
    QTime now;
    bool absent;
};

void PrintTo(const WeekEdge &edge, std::ostream *out)
{
    *out << edge.daysAgo << " days ago at " << edge.now.toString().toStdString();
}

class OverviewWeek : public ::testing::TestWithParam<WeekEdge> { };

// Dates carry no time of day: a run six days ago is within the week at any
// hour, one seven days ago never is.
TEST_P(OverviewWeek, CountsTheRunAndMarksThePupilAtTheEdgeOfTheWeek)
{
    const WeekEdge edge = GetParam();
    auto state = hubtest::makeState();
    hubtest::addPupil(*state, 4, QStringLiteral("上田"), 3);
    const QDate day = kWednesday.addDays(-edge.daysAgo);
    addRecord(*state, 4, 2, day, 50);
    const double now = oledate::fromDateTime(QDateTime(kWednesday, edge.now));
    countLoadedRecords(*state, now);

    ClassOverviewModel model;
    model.setRows(buildOverviewRows(*state, 2, QStringLiteral("全学年"), now));
    ASSERT_EQ(model.rowCount(), 1);
    EXPECT_EQ(cell(model, 0, OverviewColumn::Absent), edge.absent ? QStringLiteral("休み") : QString());
    EXPECT_EQ(cell(model, 0, OverviewColumn::RecentRuns), edge.absent ? QStringLiteral("0") : QStringLiteral("1"));
    EXPECT_EQ(model.data(model.index(0, 0), ClassOverviewModel::kAbsentRole).toBool(), edge.absent);
    EXPECT_EQ(cell(model, 0, OverviewColumn::LastRun), day.toString(QStringLiteral("yyyy/MM/dd")));
    EXPECT_EQ(cell(model, 0, OverviewColumn::Runs), QStringLiteral("1"));
}

INSTANTIATE_TEST_SUITE_P(Days, OverviewWeek,
    ::testing::Values(WeekEdge { 0, QTime(0, 0, 0), false }, WeekEdge { 6, QTime(0, 0, 1), false },
        WeekEdge { 6, QTime(23, 59, 59), false }, WeekEdge { 7, QTime(0, 0, 0), true },
        WeekEdge { 7, QTime(23, 59, 59), true }, WeekEdge { 30, QTime(10, 0), true },
        // A PC whose clock was wrong wrote a day still to come.
        WeekEdge { -2, QTime(10, 0), false }));

TEST(OverviewRows, ATimeUpIsAVisitButNotARunAndAnotherLevelKeepsThePupilPresent)
{
    auto state = hubtest::makeState();
    hubtest::addPupil(*state, 1, QStringLiteral("青木"), 2);
    hubtest::addPupil(*state, 2, QStringLiteral("石井"), 2);
    hubtest::addPupil(*state, 3, QStringLiteral("江藤"), 2);
    addRecord(*state, 1, 1, kWednesday.addDays(-1), 99999); // time-up at the level
    addRecord(*state, 2, 3, kWednesday, 40); // came, at another level
    addRecord(*state, 3, 1, kWednesday.addDays(-3), 6000); // not a valid run either
    addRecord(*state, 3, 1, kWednesday.addDays(-20), 70);
    const double now = oledate::fromDateTime(QDateTime(kWednesday, QTime(10, 0)));
    countLoadedRecords(*state, now);

    ClassOverviewModel model;
    model.setRows(buildOverviewRows(*state, 1, QStringLiteral("全学年"), now));
    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(cell(model, 0, OverviewColumn::RecentRuns), QStringLiteral("0"));
    EXPECT_EQ(cell(model, 0, OverviewColumn::Runs), QStringLiteral("0"));
    EXPECT_EQ(cell(model, 0, OverviewColumn::Absent), QString());
    EXPECT_EQ(cell(model, 0, OverviewColumn::LastRun), kWednesday.addDays(-1).toString(QStringLiteral("yyyy/MM/dd")));
    EXPECT_EQ(cell(model, 1, OverviewColumn::LastRun), QStringLiteral("なし"));
    EXPECT_EQ(cell(model, 1, OverviewColumn::Absent), QString());
    EXPECT_EQ(cell(model, 1, OverviewColumn::BestTime), QStringLiteral("なし"));
    // The newest record, not the last valid one, is the last day.
    EXPECT_EQ(cell(model, 2, OverviewColumn::LastRun), kWednesday.addDays(-3).toString(QStringLiteral("yyyy/MM/dd")));
    EXPECT_EQ(cell(model, 2, OverviewColumn::RecentRuns), QStringLiteral("0"));
    EXPECT_EQ(cell(model, 2, OverviewColumn::Runs), QStringLiteral("1"));
}

TEST(OverviewRows, RecordsTheCountsPassOverGiveNoFigureAndALevelOutOfRangeNoRows)
{
    auto state = hubtest::makeState();
    hubtest::addPupil(*state, 1, QStringLiteral("青木"), 2);
    addRecord(*state, 1, 0, kWednesday, 40);
    addRecord(*state, 1, 36, kWednesday, 40);
    addRecord(*state, 5001, 1, kWednesday, 40);
    const double now = oledate::fromDate(kWednesday) + 0.5;
    countLoadedRecords(*state, now);
    const auto rows = buildOverviewRows(*state, 1, QStringLiteral("全学年"), now);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_TRUE(rows[0].absent);
    EXPECT_EQ(rows[0].lastRun, 0);
    EXPECT_TRUE(buildOverviewRows(*state, 0, QStringLiteral("全学年"), now).empty());
    EXPECT_TRUE(buildOverviewRows(*state, 36, QStringLiteral("全学年"), now).empty());
}

class NoGoal : public ::testing::TestWithParam<std::pair<int, int>> { };

// A level without a goal shows so, whatever the pass rule's answer.
TEST_P(NoGoal, ShowsNoGoalInsteadOfNotYet)
{
    auto state = hubtest::makeState();
    hubtest::addPupil(*state, 1, QStringLiteral("青木"), 2);
    state->ClearCount[1] = std::int16_t(GetParam().first);
    state->ClearPoints[1] = GetParam().second;
    const double now = oledate::fromDate(kWednesday);
    countLoadedRecords(*state, now);
    ClassOverviewModel model;
    model.setRows(buildOverviewRows(*state, 1, QStringLiteral("全学年"), now));
    const bool noGoal = GetParam().first == 9999 || GetParam().second == 9999;
    EXPECT_EQ(cell(model, 0, OverviewColumn::Passed), noGoal ? QStringLiteral("目標なし") : QStringLiteral("まだ"));
}

INSTANTIATE_TEST_SUITE_P(Criteria, NoGoal,
    ::testing::Values(std::pair { 9999, 100 }, std::pair { 5, 9999 }, std::pair { 5, 100 }, std::pair { 9998, 100 }));

TEST(OverviewRows, FollowTheHubsGradeFilterAndRosterOrder)
{
    auto state = hubtest::makeState();
    hubtest::addPupil(*state, 8, QStringLiteral("三年　一"), 3);
    hubtest::addPupil(*state, 3, QStringLiteral("中一　二"), 7);
    hubtest::addPupil(*state, 5, QStringLiteral("三年　三"), 3);
    const double now = oledate::fromDate(kWednesday);
    const auto pupils = [&](const QString &filter) {
        std::vector<int> numbers;
        for (const OverviewRow &row : buildOverviewRows(*state, 1, filter, now))
            numbers.push_back(row.pupil);
        return numbers;
    };
    EXPECT_EQ(pupils(QStringLiteral("全学年")), (std::vector<int> { 8, 3, 5 }));
    EXPECT_EQ(pupils(QStringLiteral("小３")), (std::vector<int> { 8, 5 }));
    EXPECT_EQ(pupils(QStringLiteral("中学生全体")), (std::vector<int> { 3 }));
    EXPECT_EQ(pupils(QStringLiteral("家族")), (std::vector<int> { 8, 3, 5 }));
    EXPECT_TRUE(pupils(QStringLiteral("手で書いた")).empty());
    // Names lose the roster's padding but keep an ideographic space.
    EXPECT_EQ(buildOverviewRows(*state, 1, QStringLiteral("全学年"), now)[0].name, QStringLiteral("三年　一"));
}

// Four pupils in roster order 5, 2, 9, 7 with ties in several columns.
std::vector<OverviewRow> sortRows()
{
    const double today = oledate::fromDate(kWednesday);
    const auto row = [](int pupil, int grade, const char16_t *name, bool passed, int runs, int points, int recent,
                         int best, double last, bool absent) {
        OverviewRow r;
        r.pupil = pupil;
        r.grade = grade;
        r.name = QString::fromUtf16(name);
        r.passed = passed;
        r.runs = runs;
        r.points = points;
        r.recentRuns = recent;
        r.bestTime = best;
        r.lastRun = last;
        r.absent = absent;
        return r;
    };
    return { row(5, 3, u"上田", false, 4, 30, 2, 95, today - 1, false),
        row(2, 1, u"青木", true, 9, 80, 0, 60, today - 10, true), row(9, 3, u"石井", true, 4, 30, 2, 99999, 0, true),
        row(7, 2, u"江藤", false, 0, 0, 0, 99998, today - 3, false) };
}

struct SortCase {
    int column;
    Qt::SortOrder order;
    std::vector<int> pupils;
};

void PrintTo(const SortCase &c, std::ostream *out)
{
    *out << "column " << c.column << (c.order == Qt::AscendingOrder ? " ascending" : " descending");
}

class OverviewSort : public ::testing::TestWithParam<SortCase> { };

TEST_P(OverviewSort, OrdersByTheColumnAndKeepsRosterOrderInTies)
{
    ClassOverviewModel model;
    model.setRows(sortRows());
    // Sorted once the other way first: ties must not keep that order.
    model.sort(GetParam().column, GetParam().order == Qt::AscendingOrder ? Qt::DescendingOrder : Qt::AscendingOrder);
    model.sort(GetParam().column, GetParam().order);
    std::vector<int> shown;
    for (int r = 0; r < model.rowCount(); ++r)
        shown.push_back(model.data(model.index(r, int(OverviewColumn::Number))).toInt());
    EXPECT_EQ(shown, GetParam().pupils);
}

constexpr auto kUp = Qt::AscendingOrder;
constexpr auto kDown = Qt::DescendingOrder;

INSTANTIATE_TEST_SUITE_P(Columns, OverviewSort,
    ::testing::Values(SortCase { -1, kUp, { 5, 2, 9, 7 } }, SortCase { 0, kUp, { 2, 5, 7, 9 } },
        SortCase { 0, kDown, { 9, 7, 5, 2 } }, SortCase { 1, kUp, { 2, 7, 5, 9 } },
        SortCase { 1, kDown, { 5, 9, 7, 2 } }, SortCase { 2, kUp, { 5, 7, 9, 2 } }, SortCase { 3, kUp, { 5, 7, 2, 9 } },
        SortCase { 3, kDown, { 2, 9, 5, 7 } }, SortCase { 4, kUp, { 7, 5, 9, 2 } },
        SortCase { 4, kDown, { 2, 5, 9, 7 } }, SortCase { 5, kDown, { 2, 5, 9, 7 } },
        SortCase { 6, kUp, { 2, 7, 5, 9 } }, SortCase { 6, kDown, { 5, 9, 2, 7 } }, SortCase { 7, kUp, { 2, 5, 7, 9 } },
        SortCase { 7, kDown, { 9, 7, 5, 2 } }, SortCase { 8, kUp, { 9, 2, 7, 5 } },
        SortCase { 8, kDown, { 5, 7, 2, 9 } }, SortCase { 9, kUp, { 5, 7, 2, 9 } },
        SortCase { 9, kDown, { 2, 9, 5, 7 } }));

TEST(OverviewModel, NewRowsKeepTheChosenOrderAndEveryCellIsText)
{
    ClassOverviewModel model;
    model.sort(int(OverviewColumn::Points), Qt::DescendingOrder);
    model.setRows(sortRows());
    EXPECT_EQ(model.rowAt(0).pupil, 2);
    EXPECT_EQ(model.sortColumn(), int(OverviewColumn::Points));
    for (int r = 0; r < model.rowCount(); ++r)
        for (int c = 0; c < model.columnCount(); ++c)
            EXPECT_EQ(model.data(model.index(r, c), Qt::AccessibleTextRole).toString(),
                model.data(model.index(r, c)).toString());
    EXPECT_EQ(model.headerData(int(OverviewColumn::Absent), Qt::Horizontal).toString(), QStringLiteral("7日以上休み"));
    EXPECT_EQ(cell(model, 0, OverviewColumn::BestTime), QStringLiteral("60秒"));
    const int failed = 3; // pupil 7, fourth by points
    EXPECT_EQ(model.rowAt(failed).pupil, 7);
    EXPECT_EQ(cell(model, failed, OverviewColumn::BestTime), QStringLiteral("失敗"));
    EXPECT_EQ(cell(model, failed, OverviewColumn::Passed), QStringLiteral("まだ"));
    EXPECT_EQ(cell(model, 0, OverviewColumn::Passed), QStringLiteral("合格"));
}

// The whole school as the hub sees it: every figure of the overview, read
// from the model, against the hub's count tables, pass rule and rankings.
class OverviewAgainstHub : public ::testing::TestWithParam<int> { };

TEST_P(OverviewAgainstHub, ShowsTheHubsFiguresForEveryListedPupil)
{
    const int level = GetParam();
    bench_school::School school;
    SharedState &state = *school.state;
    ASSERT_TRUE(LoadRoster(
        state, school.fakes.clock.today(), [](const RosterRecord &, int, const ListGrade &) {}, nullptr));
    fillLevelTable(state);
    // With a judgment period of a week the counts' period runs are the
    // overview's runs of the week: two homes would have to agree.
    state.JudgePeriodDays[size_t(level)] = ItemValue::fromNumber(kRecentDays);
    // One run in the week passes, so both answers of the pass rule occur.
    state.ClearCount[size_t(level)] = 1;
    state.ClearPoints[size_t(level)] = 0;
    ASSERT_TRUE(回数求(state, school.fakes.platform));
    ASSERT_EQ(state.ListedPupilCount, bench_school::kPupils);
    const double now = school.fakes.clock.nowOle();

    int passed = 0;
    int recent = 0;
    int absent = 0;
    for (const QString &filter : { QStringLiteral("全学年"), QStringLiteral("小３"), QStringLiteral("中学生全体") }) {
        ClassOverviewModel model;
        model.setRows(buildOverviewRows(state, level, filter, now));
        const LevelRanking byTime = buildLevelRanking(state, level, RankingOrder::BestTime, filter);
        const LevelRanking byPoints = buildLevelRanking(state, level, RankingOrder::TotalPoints, filter);
        std::map<int, std::int64_t> best;
        std::map<int, std::int64_t> points;
        for (const RankedRow &entry : byTime.entries)
            best[entry.pupil] = entry.value;
        for (const RankedRow &entry : byPoints.entries)
            points[entry.pupil] = entry.value;
        ASSERT_EQ(size_t(model.rowCount()), best.size()) << filter.toStdString();
        ASSERT_GT(model.rowCount(), 0);

        for (int r = 0; r < model.rowCount(); ++r) {
            const int p = model.data(model.index(r, int(OverviewColumn::Number))).toInt();
            ASSERT_TRUE(best.count(p)) << p;
            const std::int64_t b = best[p];
            const QString bestText = b == 99999 ? QStringLiteral("なし")
                : b == 99998                    ? QStringLiteral("失敗")
                                                : QStringLiteral("%1秒").arg(b);
            EXPECT_EQ(cell(model, r, OverviewColumn::BestTime), bestText) << p;
            EXPECT_EQ(cell(model, r, OverviewColumn::Points), QString::number(points[p])) << p;
            EXPECT_EQ(cell(model, r, OverviewColumn::Runs), QString::number(state.TotalRunCount(level, p))) << p;
            EXPECT_EQ(cell(model, r, OverviewColumn::Passed),
                LevelPassed(state, level, p) ? QStringLiteral("合格") : QStringLiteral("まだ"))
                << p;
            EXPECT_EQ(cell(model, r, OverviewColumn::RecentRuns), QString::number(state.PeriodRunCount(level, p))) << p;
            passed += LevelPassed(state, level, p) ? 1 : 0;
            recent += state.PeriodRunCount(level, p) > 0 ? 1 : 0;
            absent += model.rowAt(r).absent ? 1 : 0;
        }
    }
    // The comparison must have met each kind of pupil.
    EXPECT_GT(recent, 0);
    EXPECT_GT(absent, 0);
    EXPECT_GT(passed, 0);
}

INSTANTIATE_TEST_SUITE_P(Levels, OverviewAgainstHub, ::testing::Values(1, 2, 4));

} // namespace
