// SPDX-License-Identifier: MIT
#include "hub/grade_marks.h"
#include "hub/listings.h"
#include "hub_state.h"
#include "platform/number_text.h"

#include <gtest/gtest.h>

using namespace hubtest;

namespace {

class HubListTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        addPupil(*state, 1, QStringLiteral("やまだ"), 3);
        addPupil(*state, 2, QStringLiteral("さとう"), 8);
        addPupil(*state, 3, QStringLiteral("すずき はなこ"), 5);
        addPupil(*state, 4, QStringLiteral("たかはしみどり"), 1);
        state->PupilNumber = 3;
    }

    ListRequest request(ListView view = ListView::Time, int period = 3, const QDate &today = kWednesday) const
    {
        return ListRequest { today, QStringLiteral("全学年"), view, period };
    }

    std::unique_ptr<SharedState> state = makeState();
};

// --- row texts ------------------------------------------------------------

struct RowCase {
    int pupil;
    int seconds;
    QTime time;
    const char16_t *expected;
};

class TodayRowTest : public HubListTest, public ::testing::WithParamInterface<RowCase> { };

TEST_P(TodayRowTest, RowTextOfOneRunAtLevelOne)
{
    const RowCase c = GetParam();
    const std::vector<ResultRecord> records { run(kWednesday, c.time, c.pupil, 1, c.seconds) };
    const RunListing listing = buildTodayList(*state, records, 1, request());
    ASSERT_EQ(listing.rows[1].size(), 1);
    EXPECT_EQ(listing.rows[1][0], QString::fromUtf16(c.expected));
}

INSTANTIATE_TEST_SUITE_P(TimesMarkersAndCuts, TodayRowTest,
    ::testing::Values(RowCase { 1, 45, QTime(9, 5, 12), u"  45秒 09:05③やまだ　　③5" },
        RowCase { 3, 30, QTime(13, 40, 0), u"  30秒 13:40●すずき は●11" },
        RowCase { 2, 600, QTime(0, 0, 0), u" 600秒 00:00Ⅱさとう　　Ⅱ0" },
        RowCase { 4, 0, QTime(23, 59, 59), u"   0秒 23:59①たかはしみ①55" },
        RowCase { 4, 89999, QTime(7, 0, 0), u"9999秒 07:00①たかはしみ①0" },
        RowCase { 1, 90000, QTime(9, 5, 12), u"　　× 09:05③やまだ　　③" },
        RowCase { 3, 99999, QTime(9, 5, 12), u"　　× 09:05●すずき は●" },
        // A time of day is whole seconds: a fraction an older writer left
        // stays in its own minute and day.
        RowCase { 1, 59, QTime(9, 59, 59, 600), u"  59秒 09:59③やまだ　　③5" },
        RowCase { 1, 59, QTime(23, 59, 59, 900), u"  59秒 23:59③やまだ　　③5" }));

struct PeriodRowCase {
    ListView view;
    int seconds;
    QDate day;
    const char16_t *expected;
};

class PeriodRowTest : public HubListTest, public ::testing::WithParamInterface<PeriodRowCase> { };

TEST_P(PeriodRowTest, RowTextInEachView)
{
    const PeriodRowCase c = GetParam();
    const std::vector<ResultRecord> records { run(c.day, QTime(10, 0), 1, 2, c.seconds) };
    const RunListing listing = buildPeriodList(*state, records, 1, request(c.view, 5));
    ASSERT_EQ(listing.rows[2].size(), 1);
    EXPECT_EQ(listing.rows[2][0], QString::fromUtf16(c.expected));
}

INSTANTIATE_TEST_SUITE_P(TimeAndPointsViews, PeriodRowTest,
    ::testing::Values(PeriodRowCase { ListView::Time, 45, kWednesday, u"  45秒 12/09③やまだ　　③5" },
        PeriodRowCase { ListView::Points, 45, kWednesday, u"    5 12/09③やまだ　　③45秒" },
        PeriodRowCase { ListView::Points, 0, QDate(2026, 1, 5), u"   55 01/05③やまだ　　③0秒" },
        PeriodRowCase { ListView::Time, 1234, QDate(2019, 7, 31), u"1234秒 07/31③やまだ　　③0" },
        PeriodRowCase { ListView::Time, 99999, kWednesday, u"　　× 12/09③やまだ　　③" },
        PeriodRowCase { ListView::Points, 90000, kWednesday, u"　　× 12/09③やまだ　　③" }));

TEST_F(HubListTest, OnePupilListShowsDateTimeAndTimeOfTheSignedInPupilOnly)
{
    const std::vector<ResultRecord> records {
        run(kWednesday, QTime(9, 5, 12), 3, 2, 45),
        run(kWednesday, QTime(9, 6, 0), 1, 2, 40),
        run(kWednesday, QTime(13, 40, 0), 3, 2, 99999),
        run(QDate(2025, 4, 1), QTime(8, 0, 0), 3, 1, 123),
    };
    const RunListing listing = buildOnePupilList(*state, records, 1, request());
    EXPECT_EQ(listing.title, QStringLiteral("個人別ﾀｲﾑ"));
    EXPECT_EQ(listing.hubOrderOption, 3);
    EXPECT_EQ(listing.rows[1], QStringList { QStringLiteral("2025/04/01 8:00:00 123秒") });
    EXPECT_EQ(listing.rows[2],
        (QStringList { QStringLiteral("2026/12/09 9:05:12  45秒"), QStringLiteral("2026/12/09 13:40:00    ×") }));
    EXPECT_FALSE(listing.background[2].has_value());
}

TEST_F(HubListTest, OnePupilListReachesBackTenYearsLessADay)
{
    const std::vector<ResultRecord> records {
        run(kWednesday.addDays(-3650), QTime(8, 0), 3, 1, 50),
        run(kWednesday.addDays(-3649), QTime(8, 0), 3, 1, 51),
    };
    const RunListing listing = buildOnePupilList(*state, records, 1, request());
    ASSERT_EQ(listing.rows[1].size(), 1);
    EXPECT_TRUE(listing.rows[1][0].endsWith(QStringLiteral("51秒")));
}

TEST_F(HubListTest, RunsOfOldestFirstGoToTheirLevelsList)
{
    const std::vector<ResultRecord> records {
        run(kWednesday, QTime(9, 0), 1, 1, 50),
        run(kWednesday, QTime(9, 1), 2, 4, 70),
        run(kWednesday, QTime(9, 2), 2, 1, 40),
        run(kWednesday.addDays(-1), QTime(9, 3), 2, 1, 30),
    };
    const RunListing listing = buildTodayList(*state, records, 1, request());
    EXPECT_EQ(listing.title, QStringLiteral("本日の成績"));
    EXPECT_EQ(listing.hubOrderOption, 2);
    ASSERT_EQ(listing.rows.size(), 5u);
    ASSERT_EQ(listing.rows[1].size(), 2);
    EXPECT_TRUE(listing.rows[1][0].contains(QStringLiteral("09:00")));
    EXPECT_TRUE(listing.rows[1][1].contains(QStringLiteral("09:02")));
    EXPECT_TRUE(listing.rows[2].isEmpty());
    EXPECT_EQ(listing.rows[4].size(), 1);
}

TEST_F(HubListTest, RecordsOfNoPupilOrOutsideTheLevelsGiveNoRow)
{
    const QTime t(9, 0);
    const std::vector<ResultRecord> records {
        run(kWednesday, t, 0, 1, 50),
        run(kWednesday, t, 1, 0, 50),
        run(kWednesday, t, 1, 5, 50),
        run(kWednesday, t, 1, -1, 50),
        run(kWednesday, t, -3, 1, 50),
        run(kWednesday, t, 5001, 1, 50),
        ResultRecord {},
    };
    for (const RunListing &listing : { buildTodayList(*state, records, 1, request()),
             buildPeriodList(*state, records, 1, request()), buildOnePupilList(*state, records, 1, request()) }) {
        for (const QStringList &rows : listing.rows)
            EXPECT_TRUE(rows.isEmpty()) << rows.join(u'|').toStdString();
    }
}

// --- which records are read ------------------------------------------------

class TodayWindowTest : public HubListTest, public ::testing::WithParamInterface<int> {
protected:
    std::vector<ResultRecord> recordsNumberedBySeconds(int count) const
    {
        std::vector<ResultRecord> records;
        for (int n = 1; n <= count; ++n)
            records.push_back(run(kWednesday, QTime(12, 0), 1, 1, n));
        return records;
    }
};

TEST_P(TodayWindowTest, ReadsTheLastThousandRecords)
{
    const int count = GetParam();
    const std::vector<ResultRecord> records = recordsNumberedBySeconds(count);
    const int first = count > 1000 ? count - 999 : 1;
    EXPECT_EQ(firstRecordToRead(RunList::Today, count), first);

    std::vector<int> progress;
    const RunListing whole = buildTodayList(*state, records, 1, request(), [&](int n) { progress.push_back(n); });
    ASSERT_EQ(whole.rows[1].size(), count - first + 1);
    EXPECT_TRUE(whole.rows[1].front().startsWith(numtext::lastChars(QStringLiteral("    %1秒").arg(first), 5)));
    EXPECT_TRUE(whole.rows[1].back().startsWith(numtext::lastChars(QStringLiteral("    %1秒").arg(count), 5)));
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.front(), first);
    EXPECT_EQ(progress.back(), count);

    // Handing in only the window gives the same rows.
    const std::span<const ResultRecord> window(records.data() + first - 1, records.size() - size_t(first - 1));
    EXPECT_EQ(buildTodayList(*state, window, first, request()).rows, whole.rows);
}

INSTANTIATE_TEST_SUITE_P(FileSizes, TodayWindowTest, ::testing::Values(1, 999, 1000, 1001, 1500));

TEST(ListWindowTest, LongListsReadTheLastTwentyThousandRecords)
{
    EXPECT_EQ(firstRecordToRead(RunList::Period, 0), 1);
    EXPECT_EQ(firstRecordToRead(RunList::Period, 20000), 1);
    EXPECT_EQ(firstRecordToRead(RunList::Period, 20001), 2);
    EXPECT_EQ(firstRecordToRead(RunList::OnePupil, 25000), 5001);
    EXPECT_EQ(listProgressMaximum(25000), 27501);
    // Above the 16-bit range of the old progress bar.
    EXPECT_EQ(listProgressMaximum(40000), 44001);
}

struct PeriodCase {
    QDate today;
    int period;
    int days;
};

class PeriodDaysTest : public ::testing::TestWithParam<PeriodCase> { };

TEST_P(PeriodDaysTest, DaysBackFollowTheWeekFromSunday)
{
    const PeriodCase c = GetParam();
    EXPECT_EQ(periodDays(c.period, c.today), c.days);
}

INSTANTIATE_TEST_SUITE_P(SundayMondayAndLonger, PeriodDaysTest,
    ::testing::Values(PeriodCase { QDate(2026, 12, 13), 1, 0 }, PeriodCase { QDate(2026, 12, 14), 1, 1 },
        PeriodCase { QDate(2026, 12, 12), 1, 6 }, PeriodCase { QDate(2026, 12, 13), 2, 7 },
        PeriodCase { QDate(2026, 12, 14), 2, 8 }, PeriodCase { kWednesday, 3, 30 }, PeriodCase { kWednesday, 4, 365 },
        PeriodCase { kWednesday, 5, 3650 }, PeriodCase { kWednesday, 0, 0 }));

// Days back from today (0 = today) of the runs a period list shows.
std::vector<int> listedDaysBack(const SharedState &state, const QDate &today, int period, int maxBack)
{
    std::vector<ResultRecord> records;
    for (int back = maxBack; back >= 0; --back)
        records.push_back(run(today.addDays(-back), QTime(8, 0), 1, 1, back + 1));
    const RunListing listing
        = buildPeriodList(state, records, 1, ListRequest { today, QStringLiteral("全学年"), ListView::Time, period });
    std::vector<int> days;
    for (const QString &row : listing.rows[1])
        days.push_back(int(numtext::leadingNumber(row)) - 1);
    return days;
}

TEST_F(HubListTest, ThisWeekOnSundayListsNothingAndOnMondayOnlyMonday)
{
    EXPECT_EQ(listedDaysBack(*state, QDate(2026, 12, 13), 1, 10), std::vector<int> {});
    EXPECT_EQ(listedDaysBack(*state, QDate(2026, 12, 14), 1, 10), std::vector<int> { 0 });
    // Since last week, on a Monday: back to the Monday before, not the Sunday.
    EXPECT_EQ(listedDaysBack(*state, QDate(2026, 12, 14), 2, 10), (std::vector<int> { 7, 6, 5, 4, 3, 2, 1, 0 }));
    const std::vector<int> month = listedDaysBack(*state, kWednesday, 3, 40);
    ASSERT_EQ(month.size(), 30u);
    EXPECT_EQ(month.front(), 29);
}

TEST_F(HubListTest, PeriodListShowsThePeriodSelectorAndTodayListDoesNot)
{
    EXPECT_TRUE(buildPeriodList(*state, {}, 1, request()).showsPeriodSelector);
    EXPECT_EQ(buildPeriodList(*state, {}, 1, request()).hubOrderOption, 3);
    EXPECT_FALSE(buildTodayList(*state, {}, 1, request()).showsPeriodSelector);
    EXPECT_FALSE(buildOnePupilList(*state, {}, 1, request()).showsPeriodSelector);
}

// --- grade marks and the filter --------------------------------------------

class GradeSymbolTest : public ::testing::TestWithParam<std::pair<int, const char16_t *>> { };

TEST_P(GradeSymbolTest, SymbolOfGrade)
{
    EXPECT_EQ(GradeSymbol(GetParam().first), QString::fromUtf16(GetParam().second));
}

INSTANTIATE_TEST_SUITE_P(AllGrades, GradeSymbolTest,
    ::testing::Values(std::pair { -1, u"　" }, std::pair { 0, u"　" }, std::pair { 1, u"①" }, std::pair { 2, u"②" },
        std::pair { 3, u"③" }, std::pair { 4, u"④" }, std::pair { 5, u"⑤" }, std::pair { 6, u"⑥" },
        std::pair { 7, u"Ⅰ" }, std::pair { 8, u"Ⅱ" }, std::pair { 9, u"Ⅲ" }, std::pair { 10, u"　" }));

struct FilterCase {
    const char16_t *filter;
    std::vector<int> admitted; // grades -1..12 let through
};

class GradeFilterTest : public ::testing::TestWithParam<FilterCase> { };

TEST_P(GradeFilterTest, GradesLetThrough)
{
    const FilterCase c = GetParam();
    std::vector<int> admitted;
    for (int grade = -1; grade <= 12; ++grade) {
        if (PassesGradeFilter(QString::fromUtf16(c.filter), grade))
            admitted.push_back(grade);
    }
    EXPECT_EQ(admitted, c.admitted);
}

const std::vector<int> kEveryGrade { -1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12 };

INSTANTIATE_TEST_SUITE_P(FilterTexts, GradeFilterTest,
    ::testing::Values(FilterCase { u"全学年", kEveryGrade }, FilterCase { u"家族", kEveryGrade },
        FilterCase { u"小学生全体", { 1, 2, 3, 4, 5, 6 } }, FilterCase { u"中学生全体", { 7, 8, 9 } },
        FilterCase { u"小１", { 1 } }, FilterCase { u"小３", { 3 } }, FilterCase { u"小６", { 6 } },
        FilterCase { u"中１", { 7 } }, FilterCase { u"中２", { 8 } }, FilterCase { u"中３", { 9 } },
        FilterCase { u"高１", {} }, FilterCase { u"小3", {} }, FilterCase { u"", {} }));

TEST_F(HubListTest, GradeFilterDropsRowsOfOtherGrades)
{
    const std::vector<ResultRecord> records { run(kWednesday, QTime(9, 0), 1, 1, 50),
        run(kWednesday, QTime(9, 1), 2, 1, 51) };
    ListRequest juniorHigh = request();
    juniorHigh.gradeFilter = QStringLiteral("中学生全体");
    const RunListing listing = buildTodayList(*state, records, 1, juniorHigh);
    ASSERT_EQ(listing.rows[1].size(), 1);
    EXPECT_TRUE(listing.rows[1][0].contains(QStringLiteral("Ⅱさとう")));

    ListRequest unknown = request();
    unknown.gradeFilter = QStringLiteral("高１");
    EXPECT_TRUE(buildPeriodList(*state, records, 1, unknown).rows[1].isEmpty());
}

// --- points and colours ------------------------------------------------------

struct PointsCase {
    int seconds;
    int target;
    int points;
};

class ListRunPointsTest : public ::testing::TestWithParam<PointsCase> { };

TEST_P(ListRunPointsTest, PointsWithoutMultiplier)
{
    EXPECT_EQ(listRunPoints(GetParam().seconds, GetParam().target), GetParam().points);
}

INSTANTIATE_TEST_SUITE_P(FormulaAndSteps, ListRunPointsTest,
    ::testing::Values(PointsCase { 60, 60, 5 }, PointsCase { 30, 60, 11 }, PointsCase { 0, 60, 55 },
        PointsCase { 45, 60, 5 }, PointsCase { 61, 60, 4 }, PointsCase { 90, 60, 4 }, PointsCase { 119, 60, 4 },
        PointsCase { 120, 60, 1 }, PointsCase { 300, 60, 1 }, PointsCase { 599, 60, 1 }, PointsCase { 600, 60, 0 },
        // Four-digit times enter with their first three digits.
        PointsCase { 1500, 2000, 44 }, PointsCase { 1000, 1000, 41 }, PointsCase { 12345, 20000, 54 },
        PointsCase { -123, 60, 91 },
        // A target of 0 has no formula; no run earns points.
        PointsCase { 0, 0, 0 }, PointsCase { 5, 0, 0 }));

struct ColourCase {
    std::vector<int> times; // runs at level 1 (target 60, pass line 90), oldest first
    std::optional<Rgb> colour;
};

class TimeViewColourTest : public HubListTest, public ::testing::WithParamInterface<ColourCase> { };

TEST_P(TimeViewColourTest, NewestSuccessfulRunDecides)
{
    const ColourCase c = GetParam();
    std::vector<ResultRecord> records;
    for (size_t i = 0; i < c.times.size(); ++i)
        records.push_back(run(kWednesday, QTime(9, int(i)), 1, 1, c.times[i]));
    EXPECT_EQ(buildTodayList(*state, records, 1, request()).background[1], c.colour);
    EXPECT_EQ(buildPeriodList(*state, records, 1, request()).background[1], c.colour);
    EXPECT_FALSE(buildPeriodList(*state, records, 1, request(ListView::Points)).background[1].has_value());
}

constexpr Rgb kGreen { 0, 192, 0 };
constexpr Rgb kLightGreen { 192, 255, 192 };
constexpr Rgb kSilver { 192, 192, 192 };

INSTANTIATE_TEST_SUITE_P(LastRows, TimeViewColourTest,
    ::testing::Values(ColourCase { { 100, 50 }, kGreen }, ColourCase { { 50, 60 }, kGreen },
        ColourCase { { 50, 80 }, kLightGreen }, ColourCase { { 50, 90 }, kLightGreen },
        ColourCase { { 50, 95 }, kSilver }, ColourCase { { 95, 50, 99999 }, kGreen },
        ColourCase { { 50, 90000 }, kGreen },
        // A slow run of four digits is slow, not 0 seconds.
        ColourCase { { 50, 1000 }, kSilver }, ColourCase { { 99999 }, std::nullopt }, ColourCase { {}, std::nullopt }));

TEST_F(HubListTest, ColourOfEachLevelUsesItsOwnTarget)
{
    // 100 seconds is slower than level 1's pass line (90), within level 3's
    // pass line (135) and within level 4's target (120).
    const std::vector<ResultRecord> records { run(kWednesday, QTime(9, 0), 1, 1, 100),
        run(kWednesday, QTime(9, 1), 1, 3, 100), run(kWednesday, QTime(9, 2), 1, 4, 100) };
    const RunListing listing = buildTodayList(*state, records, 1, request());
    EXPECT_EQ(listing.background[1], kSilver);
    EXPECT_EQ(listing.background[2], std::nullopt);
    EXPECT_EQ(listing.background[3], kLightGreen);
    EXPECT_EQ(listing.background[4], kGreen);
}

} // namespace
