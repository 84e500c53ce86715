// SPDX-License-Identifier: MIT
#include "results/points.h"
#include "results/result_record.h"

#include <cmath>
#include <limits>

namespace {

std::int32_t clampToInt32(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= double(std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    if (value <= double(std::numeric_limits<std::int32_t>::min()))
        return std::numeric_limits<std::int32_t>::min();
    return std::int32_t(value);
}

// The graded scale: up to 55 for a run far under the target, 5 at the
// target, then 4, 1 and 0 for runs under twice, under ten times and beyond
// ten times the target. `x` is the time the cube is taken of, which not
// every caller takes as the time itself.
std::int32_t gradedPoints(std::int32_t seconds, std::int32_t x, std::int32_t target)
{
    const std::int64_t t = seconds;
    const std::int64_t tt = target;
    if (t <= tt) {
        // A level without a target time has no scale to grade on: even a
        // 0-second run earns nothing rather than 0/0.
        if (target == 0)
            return 0;
        const double ratio = double(tt - x) / double(tt);
        return clampToInt32(std::floor(ratio * ratio * ratio * 50.0 + 5.0));
    }
    if (t < 2 * tt)
        return 4;
    if (t < 10 * tt)
        return 1;
    return 0;
}

} // namespace

std::int32_t firstThreeCharsValue(std::int32_t seconds)
{
    std::int64_t v = seconds;
    if (v >= 0) {
        while (v >= 1000)
            v /= 10;
        return std::int32_t(v);
    }
    // "-" takes one of the three characters.
    v = -v;
    while (v >= 100)
        v /= 10;
    return std::int32_t(-v);
}

std::int32_t countedBasePoints(std::int32_t seconds, std::int32_t targetTime)
{
    if (seconds >= kFailedRunSeconds)
        return 0;
    return gradedPoints(seconds, firstThreeCharsValue(seconds), targetTime);
}

std::int32_t countedRunPoints(std::int32_t seconds, std::int32_t targetTime, float multiplier)
{
    return resultEarnedPoints(countedBasePoints(seconds, targetTime), multiplier);
}

std::int32_t resultBasePoints(std::int32_t recordedTime, std::int32_t targetTime)
{
    if (recordedTime >= kFailedRunSeconds)
        return 0;
    return gradedPoints(recordedTime, recordedTime, targetTime);
}

std::int32_t resultEarnedPoints(std::int32_t basePoints, float multiplier)
{
    // The multiplier is single precision and so is the product: 10 x 1.3f
    // rounds to 13.0f, where the double product 12.9999995 would floor to 12.
    const float product = float(basePoints) * multiplier;
    return clampToInt32(std::floor(double(product)));
}

std::int32_t listRunPoints(std::int32_t seconds, std::int32_t targetTime)
{
    return gradedPoints(seconds, firstThreeCharsValue(seconds), targetTime);
}
