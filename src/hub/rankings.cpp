// SPDX-License-Identifier: MIT
#include "hub/rankings.h"
#include "hub/grade_marks.h"
#include "platform/blank_trim.h"
#include "platform/number_text.h"
#include "results/result_record.h"
#include "state/level_table.h"
#include "state/shared_state.h"

#include <algorithm>

namespace {

struct MergeWork {
    PupilTable<std::int64_t> &keys;
    PupilTable<std::int16_t> &companions;
    std::vector<std::int64_t> leftKeys;
    std::vector<std::int16_t> leftCompanions;

    void sort(int a, int b)
    {
        if (a >= b)
            return;
        const int m = (a + b) / 2;
        sort(a, m);
        sort(m + 1, b);
        const int leftCount = m - a + 1;
        for (int i = 0; i < leftCount; ++i) {
            leftKeys[size_t(i)] = keys[a + i];
            leftCompanions[size_t(i)] = companions[a + i];
        }
        int left = 0;
        int right = m + 1;
        int out = a;
        while (left < leftCount && right <= b) {
            // Only a strictly smaller key overtakes: equal keys stay in order.
            if (keys[right] < leftKeys[size_t(left)]) {
                keys[out] = keys[right];
                companions[out] = companions[right];
                ++right;
            } else {
                keys[out] = leftKeys[size_t(left)];
                companions[out] = leftCompanions[size_t(left)];
                ++left;
            }
            ++out;
        }
        for (; left < leftCount; ++left, ++out) {
            keys[out] = leftKeys[size_t(left)];
            companions[out] = leftCompanions[size_t(left)];
        }
    }
};

QString rankName(const QString &rosterName)
{
    return numtext::firstChars(trimTrailingBlanks(rosterName) + QStringLiteral("　　　　　　"), 5);
}

// What a pupil's row shows whatever the level: worked out once for all
// levels of a build.
struct PupilFace {
    QString name;
    QString leadMarker;
    bool own = false;
    bool passes = false;
};

std::vector<PupilFace> pupilFaces(const SharedState &state, const QString &gradeFilter)
{
    std::vector<PupilFace> faces(kPupilSlots);
    const int count = std::clamp(state.ListedPupilCount, 0, kMaxPupil);
    for (int k = 1; k <= count; ++k) {
        const int p = state.ListedPupils[k];
        PupilFace &face = faces[size_t(p)];
        const int grade = hubPupilGrade(state, p);
        face.own = p == state.PupilNumber;
        face.name = rankName(state.RosterName[p]);
        face.leadMarker = face.own ? QStringLiteral("●") : GradeSymbol(grade);
        face.passes = PassesGradeFilter(gradeFilter, grade);
    }
    return faces;
}

LevelRanking rankLevel(SharedState &state, int level, RankingOrder order, const std::vector<PupilFace> &faces);

} // namespace

void MergeSortByKey(int count, PupilTable<std::int64_t> &keys, PupilTable<std::int16_t> &companions)
{
    count = std::clamp(count, 0, kMaxPupil);
    MergeWork work { keys, companions, std::vector<std::int64_t>(size_t(count / 2 + 1)),
        std::vector<std::int16_t>(size_t(count / 2 + 1)) };
    work.sort(1, count);
}

LevelRanking buildLevelRanking(SharedState &state, int level, RankingOrder order, const QString &gradeFilter)
{
    return rankLevel(state, level, order, pupilFaces(state, gradeFilter));
}

namespace {

LevelRanking rankLevel(SharedState &state, int level, RankingOrder order, const std::vector<PupilFace> &faces)
{
    const int count = std::clamp(state.ListedPupilCount, 0, kMaxPupil);
    state.RankCount = count;
    for (int k = 1; k <= count; ++k) {
        const int p = state.ListedPupils[k];
        state.RankKey[k] = state.BestTime(level, p);
        state.RankPupils[k] = std::int16_t(p);
    }

    // Points are ordered by the first points, then the second, then roster
    // order: sorting by the second and then, stably, by the first gives
    // that for any points, where one composite key would need bounds.
    const auto sortByPoints = [&](const LevelPupilTable<std::int32_t> &points) {
        for (int k = 1; k <= count; ++k)
            state.RankKey[k] = -std::int64_t(points(level, state.RankPupils[k]));
        MergeSortByKey(count, state.RankKey, state.RankPupils);
    };
    if (order == RankingOrder::TotalPoints) {
        sortByPoints(state.TodayPoints);
        sortByPoints(state.TotalPoints);
    } else if (order == RankingOrder::TodayPoints) {
        sortByPoints(state.TotalPoints);
        sortByPoints(state.TodayPoints);
    } else {
        MergeSortByKey(count, state.RankKey, state.RankPupils);
    }

    const auto rankingValue = [&](int k) -> std::int64_t {
        const int p = state.RankPupils[k];
        switch (order) {
        case RankingOrder::TotalPoints:
            return state.TotalPoints(level, p);
        case RankingOrder::TodayPoints:
            return state.TodayPoints(level, p);
        case RankingOrder::BestTime:
            break;
        }
        return state.RankKey[k];
    };

    LevelRanking ranking;
    int rank = 0;
    std::int64_t previousValue = 0;
    int lastOwnRow = -1;
    for (int k = 1; k <= count; ++k) {
        const int p = state.RankPupils[k];
        const std::int64_t value = rankingValue(k);
        if (k == 1 || value != previousValue)
            rank = k;
        previousValue = value;

        const PupilFace &face = faces[size_t(p)];
        if (!face.passes)
            continue;
        if (order == RankingOrder::TodayPoints && state.TodayPoints(level, p) == 0)
            continue;

        const bool own = face.own;
        // Two characters wide, " 9" like "10", so the names stand in one
        // column below and above rank 10.
        const QString rankText = numtext::lastChars(QStringLiteral("  ") + QString::number(rank), 2);
        QString row;
        row.reserve(24);
        if (order == RankingOrder::BestTime) {
            const QString tail = own ? QStringLiteral("●") : QStringLiteral("　");
            row += value == kNoBestTime ? QStringLiteral("--") : rankText;
            row += face.leadMarker;
            row += face.name;
            if (value == kFailedRunSeconds)
                row += QStringLiteral("*失敗*");
            else if (value == kNoBestTime)
                row += QStringLiteral("------");
            else
                row += numtext::lastChars(QStringLiteral("    ") + QString::number(value), 6);
            row += QLatin1Char(' ');
            row += tail;
        } else {
            row += rankText;
            row += face.leadMarker;
            row += face.name;
            row += numtext::lastChars(QStringLiteral("    ") + QString::number(state.TodayPoints(level, p)), 3);
            row += QLatin1Char('/');
            row += numtext::lastChars(QStringLiteral("    ") + QString::number(state.TotalPoints(level, p)), 5);
        }
        if (row.contains(QStringLiteral("●")))
            lastOwnRow = int(ranking.rows.size());
        ranking.rows.append(row);
        ranking.entries.push_back(RankedRow { rank, p, value });
    }
    ranking.scrollRow = lastOwnRow >= 1 ? lastOwnRow - 1 : -1;
    return ranking;
}

} // namespace

RankingListing buildRankings(
    SharedState &state, RankingOrder order, const QString &gradeFilter, const LevelProgress &progress)
{
    RankingListing listing;
    switch (order) {
    case RankingOrder::BestTime:
        listing.title = QStringLiteral("ベスト成績");
        listing.hubOrderOption = 1;
        break;
    case RankingOrder::TotalPoints:
        listing.title = QStringLiteral("獲得ポイント（今まで順位）");
        break;
    case RankingOrder::TodayPoints:
        listing.title = QStringLiteral("獲得ポイント（今日の順位）");
        break;
    }
    const int levelCount = std::clamp(int(state.LevelCount), 0, kMaxLevel);
    listing.levels.resize(size_t(levelCount) + 1);
    const std::vector<PupilFace> faces = pupilFaces(state, gradeFilter);
    for (int level = 1; level <= levelCount; ++level) {
        if (order != RankingOrder::BestTime || !isPracticeLevelName(state.LevelName[size_t(level)]))
            listing.levels[size_t(level)] = rankLevel(state, level, order, faces);
        if (progress)
            progress(level);
    }
    return listing;
}
