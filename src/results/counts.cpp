// SPDX-License-Identifier: MIT
#include "results/counts.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "results/points.h"
#include "results/results_loader.h"
#include "state/shared_state.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

bool inTables(int level, int pupil)
{
    return level >= 0 && level <= kMaxLevel && pupil >= 0 && pupil <= kMaxPupil;
}

// Point sums are 32-bit; a teacher's absurd multiplier must not wrap them
// into negative points.
void addPoints(std::int32_t &sum, std::int32_t points)
{
    const std::int64_t v = std::int64_t(sum) + points;
    sum = std::int32_t(std::clamp<std::int64_t>(
        v, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

void addRun(std::int16_t &count)
{
    if (count < std::numeric_limits<std::int16_t>::max())
        ++count;
}

} // namespace

void clearCounts(SharedState &state)
{
    state.TotalRunCount.fill(0);
    state.TotalPoints.fill(0);
    state.TodayRunCount.fill(0);
    state.TodayPoints.fill(0);
    state.PeriodRunCount.fill(0);
    state.PeriodPoints.fill(0);
    state.OverPracticeRunCount.fill(0);
    state.OverPracticeEarned.fill(0);
}

void countLoadedRecords(SharedState &state, double nowOle)
{
    clearCounts(state);

    // Record dates are whole days, so "today" is one day-long interval and
    // each period one cut-off, all worked out once per level.
    const double todayStart = std::floor(nowOle);
    const double todayEnd = todayStart + 1;
    std::array<double, kLevelSlots> judgeCut {};
    std::array<double, kLevelSlots> overCut {};
    // Base points of sound records are 0..55; their multiplied values are
    // looked up rather than worked out again for every record.
    std::array<std::array<std::int32_t, kMaxGradedPoints + 1>, kLevelSlots> multiplied {};
    for (size_t l = 1; l < kLevelSlots; ++l) {
        judgeCut[l] = periodCutOff(nowOle, state.JudgePeriodDays[l].toNumber());
        overCut[l] = periodCutOff(nowOle, state.OverPracticePeriodDays[l].toNumber());
        for (std::int32_t base = 0; base <= kMaxGradedPoints; ++base)
            multiplied[l][size_t(base)] = resultEarnedPoints(base, state.PointMultiplier[l]);
    }

    const int loaded = std::clamp<int>(state.LoadedRecordCount, 0, kLoadedRecordSlots - 1);
    // The cells of consecutive records lie far apart in tables larger than
    // the cache; asking for them a few records ahead hides most of the wait.
    constexpr int kAhead = 12;
    auto prefetchCell = [&](int r) {
        const int level = state.RecLevel[size_t(r)];
        const int pupil = state.RecPupil[size_t(r)];
        if (level >= 1 && level <= kMaxLevel && pupil >= 0 && pupil <= kMaxPupil) {
            const int cell = LevelPupilTable<int>::index(level, pupil);
            __builtin_prefetch(state.TotalRunCount.data() + cell, 1);
            __builtin_prefetch(state.TotalPoints.data() + cell, 1);
        }
    };
    for (int r = 1; r <= std::min(loaded, kAhead); ++r)
        prefetchCell(r);
    for (int r = 1; r <= loaded; ++r) {
        if (r + kAhead <= loaded)
            prefetchCell(r + kAhead);
        const int level = state.RecLevel[size_t(r)];
        const int pupil = state.RecPupil[size_t(r)];
        if (level < 1 || level > kMaxLevel || pupil < 0 || pupil > kMaxPupil)
            continue;
        const std::int32_t t = state.RecTime[size_t(r)];
        const double d = state.RecDate[size_t(r)];
        const size_t l = size_t(level);
        const bool valid = isValidRun(t);
        const std::int32_t base = countedBasePoints(t, state.TargetTime[l]);
        const std::int32_t p = (base >= 0 && base <= kMaxGradedPoints)
            ? multiplied[l][size_t(base)]
            : resultEarnedPoints(base, state.PointMultiplier[l]);
        const int cell = LevelPupilTable<int>::index(level, pupil);

        if (valid)
            addRun(state.TotalRunCount.data()[cell]);
        if (d > judgeCut[l]) {
            if (valid)
                addRun(state.PeriodRunCount.data()[cell]);
            addPoints(state.PeriodPoints.data()[cell], p);
        }
        if (d > overCut[l]) {
            if (valid)
                addRun(state.OverPracticeRunCount.data()[cell]);
            addPoints(state.OverPracticeEarned.data()[cell], p);
        }
        addPoints(state.TotalPoints.data()[cell], p);
        if (d >= todayStart && d < todayEnd) {
            if (valid)
                state.TodayRunCount.data()[cell] += 1;
            addPoints(state.TodayPoints.data()[cell], p);
        }
    }
}

bool 回数求(SharedState &state, Platform &platform)
{
    if (!成績ランダムファイル表示(state, platform))
        return false;
    countLoadedRecords(state, platform.clock.nowOle());
    return true;
}

bool LevelPassed(const SharedState &state, int level, int pupil)
{
    if (!inTables(level, pupil))
        return false;
    return state.PeriodRunCount(level, pupil) >= state.ClearCount[size_t(level)]
        && state.PeriodPoints(level, pupil) >= state.ClearPoints[size_t(level)];
}

bool LevelOverPractised(const SharedState &state, int level, int pupil)
{
    if (!inTables(level, pupil))
        return false;
    const double countLimit = state.OverPracticeCount[size_t(level)].toNumber();
    const double pointsLimit = state.OverPracticePoints[size_t(level)].toNumber();
    return (countLimit != 0 && state.OverPracticeRunCount(level, pupil) >= countLimit)
        || (pointsLimit != 0 && state.OverPracticeEarned(level, pupil) >= pointsLimit);
}

bool LevelClearedEver(const SharedState &state, int level, int pupil)
{
    if (!inTables(level, pupil))
        return false;
    return state.TotalRunCount(level, pupil) >= state.ClearCount[size_t(level)]
        && state.TotalPoints(level, pupil) >= state.ClearPoints[size_t(level)];
}

RecentPractice recentPractice(const SharedState &state, int level, double nowOle, double days)
{
    RecentPractice recent;
    recent.levelRuns.assign(kPupilSlots, 0);
    recent.levelLastDate.assign(kPupilSlots, 0);
    recent.anyLastDate.assign(kPupilSlots, 0);
    recent.cutOff = periodCutOff(nowOle, days);
    const int loaded = std::clamp<int>(state.LoadedRecordCount, 0, kLoadedRecordSlots - 1);
    for (int r = 1; r <= loaded; ++r) {
        const int recLevel = state.RecLevel[size_t(r)];
        const int pupil = state.RecPupil[size_t(r)];
        // The counts' own bounds: what they skip is no practice here either.
        if (recLevel < 1 || recLevel > kMaxLevel || pupil < 0 || pupil > kMaxPupil)
            continue;
        const double d = state.RecDate[size_t(r)];
        const size_t p = size_t(pupil);
        // A NaN date compares false and so never becomes the newest.
        if (d > recent.anyLastDate[p])
            recent.anyLastDate[p] = d;
        if (recLevel != level)
            continue;
        if (d > recent.levelLastDate[p])
            recent.levelLastDate[p] = d;
        if (d > recent.cutOff && isValidRun(state.RecTime[size_t(r)]))
            addRun(recent.levelRuns[p]);
    }
    return recent;
}

std::int16_t todaysRunTotal(const SharedState &state, int pupil)
{
    if (pupil < 0 || pupil > kMaxPupil)
        return 0;
    // The counts are whole numbers (kCountedRecordCap at the most), so the
    // sum is exact in single precision.
    float total = 0;
    for (int level = 1; level <= kMaxLevel; ++level)
        total += state.TodayRunCount(level, pupil);
    return std::int16_t(total);
}
