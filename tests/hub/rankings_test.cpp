// SPDX-License-Identifier: MIT
#include "hub/rankings.h"
#include "hub_state.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>

using namespace hubtest;

namespace {

// --- the sort ------------------------------------------------------------------

class MergeSortTest : public ::testing::TestWithParam<int> { };

TEST_P(MergeSortTest, SortsAscendingAndKeepsEqualKeysInOrder)
{
    const int count = GetParam();
    std::mt19937 random(unsigned(count) * 7919u + 1u);
    auto keys = std::make_unique<PupilTable<std::int64_t>>();
    auto companions = std::make_unique<PupilTable<std::int16_t>>();
    std::vector<std::pair<std::int64_t, std::int16_t>> expected;
    for (int k = 1; k <= count; ++k) {
        // Few distinct keys, so most have equals; negative keys too.
        (*keys)[k] = std::int64_t(random() % 7) - 3;
        (*companions)[k] = std::int16_t(k);
        expected.emplace_back((*keys)[k], std::int16_t(k));
    }
    (*keys)[0] = 1234;
    if (count < kMaxPupil)
        (*keys)[count + 1] = -999;
    std::stable_sort(expected.begin(), expected.end(), [](const auto &a, const auto &b) { return a.first < b.first; });

    MergeSortByKey(count, *keys, *companions);

    for (int k = 1; k <= count; ++k) {
        ASSERT_EQ((*keys)[k], expected[size_t(k - 1)].first) << "position " << k;
        ASSERT_EQ((*companions)[k], expected[size_t(k - 1)].second) << "position " << k;
    }
    EXPECT_EQ((*keys)[0], 1234);
    if (count < kMaxPupil) {
        EXPECT_EQ((*keys)[count + 1], -999);
    }
}

INSTANTIATE_TEST_SUITE_P(Sizes, MergeSortTest, ::testing::Values(0, 1, 2, 3, 7, 64, 101, 2001, 5000));

TEST(MergeSortLimitTest, CountBeyondTheTablesIsClamped)
{
    auto keys = std::make_unique<PupilTable<std::int64_t>>();
    auto companions = std::make_unique<PupilTable<std::int16_t>>();
    for (int k = 1; k <= kMaxPupil; ++k)
        (*keys)[k] = kMaxPupil - k;
    MergeSortByKey(kMaxPupil + 100, *keys, *companions);
    EXPECT_EQ((*keys)[1], 0);
    EXPECT_EQ((*keys)[kMaxPupil], kMaxPupil - 1);
}

// --- rankings ----------------------------------------------------------------

class RankingTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        addPupil(*state, 1, QStringLiteral("やまだ"), 3);
        addPupil(*state, 2, QStringLiteral("さとう"), 8);
        addPupil(*state, 3, QStringLiteral("すずき はなこ"), 5);
        addPupil(*state, 4, QStringLiteral("たかはしみどり"), 1);
        state->PupilNumber = 3;
    }

    void points(int pupil, int total, int today, int level = 1)
    {
        state->TotalPoints(level, pupil) = total;
        state->TodayPoints(level, pupil) = today;
    }

    LevelRanking rank(RankingOrder order, const QString &filter = QStringLiteral("全学年"), int level = 1)
    {
        return buildLevelRanking(*state, level, order, filter);
    }

    std::vector<int> rankedPupils() const
    {
        std::vector<int> pupils;
        for (int k = 1; k <= state->RankCount; ++k)
            pupils.push_back(state->RankPupils[k]);
        return pupils;
    }

    std::unique_ptr<SharedState> state = makeState();
};

TEST_F(RankingTest, BestTimeRowsWithFailedAndMissingRuns)
{
    state->BestTime(1, 1) = 50;
    state->BestTime(1, 2) = 45;
    state->BestTime(1, 3) = 99998;
    const LevelRanking ranking = rank(RankingOrder::BestTime);
    EXPECT_EQ(ranking.rows,
        (QStringList { QStringLiteral(" 1Ⅱさとう　　    45 　"), QStringLiteral(" 2③やまだ　　    50 　"),
            QStringLiteral(" 3●すずき は*失敗* ●"), QStringLiteral("--①たかはしみ------ 　") }));
    EXPECT_EQ(ranking.scrollRow, 1);
    EXPECT_EQ(state->RankCount, 4);
    EXPECT_EQ(rankedPupils(), (std::vector<int> { 2, 1, 3, 4 }));
}

TEST_F(RankingTest, EqualBestTimesShareTheRank)
{
    state->BestTime(1, 1) = 50;
    state->BestTime(1, 2) = 50;
    state->BestTime(1, 3) = 7;
    state->BestTime(1, 4) = 50;
    const QStringList rows = rank(RankingOrder::BestTime).rows;
    ASSERT_EQ(rows.size(), 4);
    EXPECT_EQ(rows[0], QStringLiteral(" 1●すずき は    7 ●"));
    EXPECT_TRUE(rows[1].startsWith(QStringLiteral(" 2③やまだ")));
    EXPECT_TRUE(rows[2].startsWith(QStringLiteral(" 2Ⅱさとう")));
    EXPECT_TRUE(rows[3].startsWith(QStringLiteral(" 2①たかはしみ")));
}

TEST_F(RankingTest, CumulativeTiesRankOneOneThreeOrderedByTodayThenRoster)
{
    points(1, 50, 0);
    points(2, 50, 5);
    points(3, 40, 0);
    points(4, 50, 0);
    const LevelRanking ranking = rank(RankingOrder::TotalPoints);
    EXPECT_EQ(ranking.rows,
        (QStringList { QStringLiteral(" 1Ⅱさとう　　  5/   50"), QStringLiteral(" 1③やまだ　　  0/   50"),
            QStringLiteral(" 1①たかはしみ  0/   50"), QStringLiteral(" 4●すずき は  0/   40") }));
    EXPECT_EQ(ranking.scrollRow, 2);
}

TEST_F(RankingTest, TodaysOrderLeavesOutPupilsWithoutPointsToday)
{
    points(1, 10, 10);
    points(2, 900, 0);
    points(3, 5, 7);
    points(4, 20, 10);
    const LevelRanking ranking = rank(RankingOrder::TodayPoints);
    EXPECT_EQ(ranking.rows,
        (QStringList { QStringLiteral(" 1①たかはしみ 10/   20"), QStringLiteral(" 1③やまだ　　 10/   10"),
            QStringLiteral(" 3●すずき は  7/    5") }));
    EXPECT_EQ(rankedPupils(), (std::vector<int> { 4, 1, 3, 2 }));
}

TEST_F(RankingTest, PointsAboveAThousandKeepTheOrder)
{
    // Today's order: today's points first, even when the cumulative points
    // are in the thousands.
    points(1, 2000, 5);
    points(2, 0, 6);
    points(3, 1999, 5);
    points(4, 0, 0);
    EXPECT_EQ(rank(RankingOrder::TodayPoints).rows,
        (QStringList { QStringLiteral(" 1Ⅱさとう　　  6/    0"), QStringLiteral(" 2③やまだ　　  5/ 2000"),
            QStringLiteral(" 2●すずき は  5/ 1999") }));

    // Cumulative order with today's points of a thousand and more.
    points(1, 1500, 3);
    points(2, 999, 999);
    points(3, 1000, 0);
    points(4, 999, 1000);
    rank(RankingOrder::TotalPoints);
    EXPECT_EQ(rankedPupils(), (std::vector<int> { 1, 3, 4, 2 }));
}

TEST_F(RankingTest, PointsBelowAThousandOrderAsTheCompositeKey)
{
    std::mt19937 random(42);
    for (int p = 5; p <= 300; ++p)
        addPupil(*state, p, QStringLiteral("p%1").arg(p), 4);
    for (int k = 1; k <= state->ListedPupilCount; ++k)
        points(state->ListedPupils[k], int(random() % 40) * 25, int(random() % 4) * 3);

    for (const RankingOrder order : { RankingOrder::TotalPoints, RankingOrder::TodayPoints }) {
        std::vector<std::pair<std::int64_t, int>> expected;
        for (int k = 1; k <= state->ListedPupilCount; ++k) {
            const int p = state->ListedPupils[k];
            const std::int64_t total = state->TotalPoints(1, p);
            const std::int64_t today = state->TodayPoints(1, p);
            expected.emplace_back(
                order == RankingOrder::TotalPoints ? 1000000 - total * 1000 - today : 1000000 - today * 1000 - total,
                p);
        }
        std::stable_sort(
            expected.begin(), expected.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
        std::vector<int> expectedPupils;
        for (const auto &entry : expected)
            expectedPupils.push_back(entry.second);
        rank(order);
        EXPECT_EQ(rankedPupils(), expectedPupils);
    }
}

TEST_F(RankingTest, RanksCountPupilsTheFilterHides)
{
    // Nine pupils by best time; the third-years stand 1st, 4th and 9th.
    auto fresh = makeState();
    state.swap(fresh);
    const int grades[] = { 3, 5, 5, 3, 8, 1, 2, 6, 3 };
    for (int p = 1; p <= 9; ++p) {
        addPupil(*state, p, QStringLiteral("p%1").arg(p), grades[p - 1]);
        state->BestTime(1, p) = 100 + p;
    }
    const QStringList rows = rank(RankingOrder::BestTime, QStringLiteral("小３")).rows;
    ASSERT_EQ(rows.size(), 3);
    EXPECT_TRUE(rows[0].startsWith(QStringLiteral(" 1③")));
    EXPECT_TRUE(rows[1].startsWith(QStringLiteral(" 4③")));
    EXPECT_TRUE(rows[2].startsWith(QStringLiteral(" 9③")));
    EXPECT_TRUE(rank(RankingOrder::BestTime, QStringLiteral("高１")).rows.isEmpty());
}

TEST_F(RankingTest, EveryPupilOfAFullRosterIsRankedAndRanksShowTwoDigits)
{
    auto fresh = makeState();
    state.swap(fresh);
    for (int p = 1; p <= kMaxPupil; ++p) {
        addPupil(*state, p, QStringLiteral("p%1").arg(p), 1 + p % 9);
        state->BestTime(2, p) = 10 + p;
        state->TotalPoints(2, p) = 100000 - p;
    }
    const LevelRanking times = rank(RankingOrder::BestTime, QStringLiteral("全学年"), 2);
    EXPECT_EQ(state->RankCount, kMaxPupil);
    ASSERT_EQ(times.rows.size(), kMaxPupil);
    EXPECT_TRUE(times.rows[8].startsWith(QStringLiteral(" 9")));
    // Ranks 9 and 10 are equally wide, so their names stand in one column.
    EXPECT_EQ(times.rows[8].indexOf(QStringLiteral("p9")), 3);
    EXPECT_EQ(times.rows[9].indexOf(QStringLiteral("p10")), 3);
    EXPECT_TRUE(times.rows[99].startsWith(QStringLiteral("00")));
    EXPECT_TRUE(times.rows[104].startsWith(QStringLiteral("05")));
    EXPECT_EQ(times.rows[4999], QStringLiteral("00⑥p5000  5010 　"));
    EXPECT_EQ(state->RankPupils[kMaxPupil], kMaxPupil);

    const LevelRanking totals = rank(RankingOrder::TotalPoints, QStringLiteral("全学年"), 2);
    EXPECT_EQ(totals.rows[0], QStringLiteral(" 1②p1　　　  0/99999"));
    EXPECT_EQ(totals.rows[8], QStringLiteral(" 9①p9　　　  0/99991"));
    EXPECT_EQ(totals.rows[4999], QStringLiteral("00⑥p5000  0/95000"));
}

struct ScrollCase {
    int ownPlace; // the signed-in pupil's place by best time, 1..10
    const char16_t *filter;
    int scrollRow;
};

class ScrollRowTest : public RankingTest, public ::testing::WithParamInterface<ScrollCase> { };

TEST_P(ScrollRowTest, RowAboveTheSignedInPupil)
{
    const ScrollCase c = GetParam();
    auto fresh = makeState();
    state.swap(fresh);
    // Pupils 1..10, even numbers junior high; pupil 1 is signed in.
    for (int p = 1; p <= 10; ++p)
        addPupil(*state, p, QStringLiteral("p%1").arg(p), p % 2 ? 4 : 8);
    state->PupilNumber = 1;
    int time = 100;
    for (int place = 1, other = 2; place <= 10; ++place)
        state->BestTime(1, place == c.ownPlace ? 1 : other++) = time++;
    EXPECT_EQ(rank(RankingOrder::BestTime, QString::fromUtf16(c.filter)).scrollRow, c.scrollRow);
}

INSTANTIATE_TEST_SUITE_P(Places, ScrollRowTest,
    ::testing::Values(ScrollCase { 1, u"全学年", -1 }, ScrollCase { 2, u"全学年", 0 }, ScrollCase { 8, u"全学年", 6 },
        ScrollCase { 10, u"全学年", 8 },
        // Rows count as shown: three odd-numbered pupils
        // stand before it.
        ScrollCase { 8, u"小４", 2 },
        // Hidden by the filter: nothing to bring into view.
        ScrollCase { 8, u"中２", -1 }));

TEST_F(RankingTest, BestTimesOfAllLevelsLeavePracticeLevelsOut)
{
    state->LevelName[2] = QStringLiteral("レベル２練習");
    std::vector<int> progress;
    const RankingListing times = buildRankings(
        *state, RankingOrder::BestTime, QStringLiteral("全学年"), [&](int l) { progress.push_back(l); });
    EXPECT_EQ(times.title, QStringLiteral("ベスト成績"));
    EXPECT_EQ(times.hubOrderOption, 1);
    ASSERT_EQ(times.levels.size(), 5u);
    EXPECT_EQ(times.levels[1].rows.size(), 4);
    EXPECT_TRUE(times.levels[2].rows.isEmpty());
    EXPECT_EQ(times.levels[4].rows.size(), 4);
    EXPECT_EQ(progress, (std::vector<int> { 1, 2, 3, 4 }));

    const RankingListing totals = buildRankings(*state, RankingOrder::TotalPoints, QStringLiteral("全学年"));
    EXPECT_EQ(totals.title, QStringLiteral("獲得ポイント（今まで順位）"));
    EXPECT_FALSE(totals.hubOrderOption.has_value());
    EXPECT_EQ(totals.levels[2].rows.size(), 4);
    EXPECT_EQ(buildRankings(*state, RankingOrder::TodayPoints, QStringLiteral("全学年")).title,
        QStringLiteral("獲得ポイント（今日の順位）"));
}

} // namespace
