// SPDX-License-Identifier: MIT
#include "results/points.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

struct PointsCase {
    std::int32_t seconds;
    std::int32_t target;
    std::int32_t expected;
};

class CountedPointsAtTarget60 : public ::testing::TestWithParam<PointsCase> { };

TEST_P(CountedPointsAtTarget60, FollowsTheGradedScale)
{
    const PointsCase c = GetParam();
    EXPECT_EQ(countedRunPoints(c.seconds, c.target, 1.0f), c.expected) << "t=" << c.seconds;
}

INSTANTIATE_TEST_SUITE_P(Scale, CountedPointsAtTarget60,
    ::testing::Values(PointsCase { 30, 60, 11 }, PointsCase { 60, 60, 5 }, PointsCase { 0, 60, 55 },
        PointsCase { 59, 60, 5 }, PointsCase { 1, 60, 52 }, PointsCase { 61, 60, 4 }, PointsCase { 119, 60, 4 },
        PointsCase { 120, 60, 1 }, PointsCase { 599, 60, 1 }, PointsCase { 600, 60, 0 }, PointsCase { 5999, 60, 0 },
        PointsCase { 99999, 60, 0 }, PointsCase { 99998, 60, 0 }));

TEST(PointsFirstThreeChars, TakesTheLeadingDigitsOfLongTimes)
{
    EXPECT_EQ(firstThreeCharsValue(0), 0);
    EXPECT_EQ(firstThreeCharsValue(999), 999);
    EXPECT_EQ(firstThreeCharsValue(1000), 100);
    EXPECT_EQ(firstThreeCharsValue(1234), 123);
    EXPECT_EQ(firstThreeCharsValue(99997), 999);
    EXPECT_EQ(firstThreeCharsValue(2147483647), 214);
    EXPECT_EQ(firstThreeCharsValue(-5), -5);
    EXPECT_EQ(firstThreeCharsValue(-1234), -12);
    EXPECT_EQ(firstThreeCharsValue(-2147483647 - 1), -21);
}

// Where the three variants part: a slow level (target 2000 s) and a run of
// 1234 s, a time-up on a level whose target is beyond it, the multiplier.
TEST(PointsVariants, DifferWhereEachRuleSaysSo)
{
    // Counting and lists grade 1234 s as if it were 123 s.
    const std::int32_t as123 = std::int32_t(std::floor(std::pow((2000.0 - 123) / 2000, 3) * 50 + 5));
    const std::int32_t as1234 = std::int32_t(std::floor(std::pow((2000.0 - 1234) / 2000, 3) * 50 + 5));
    ASSERT_NE(as123, as1234);
    EXPECT_EQ(countedRunPoints(1234, 2000, 1.0f), as123);
    EXPECT_EQ(listRunPoints(1234, 2000), as123);
    EXPECT_EQ(resultBasePoints(1234, 2000), as1234);

    // A time-up under a huge target: counts and result give nothing, the
    // list variant has no cut-off.
    EXPECT_EQ(countedRunPoints(99999, 200000, 1.0f), 0);
    EXPECT_EQ(resultBasePoints(99999, 200000), 0);
    EXPECT_EQ(listRunPoints(99999, 200000), listRunPoints(999, 200000));
    EXPECT_GT(listRunPoints(99999, 200000), 0);

    // Only the counts apply the multiplier; lists never do.
    EXPECT_EQ(countedRunPoints(30, 60, 1.5f), 16);
    EXPECT_EQ(listRunPoints(30, 60), 11);
}

struct MultiplierCase {
    std::int32_t seconds;
    float multiplier;
    std::int32_t expected;
};

class PointsMultiplier : public ::testing::TestWithParam<MultiplierCase> { };

TEST_P(PointsMultiplier, RoundsDownAfterMultiplying)
{
    const MultiplierCase c = GetParam();
    EXPECT_EQ(countedRunPoints(c.seconds, 60, c.multiplier), c.expected);
    EXPECT_EQ(resultEarnedPoints(resultBasePoints(c.seconds, 60), c.multiplier), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Examples, PointsMultiplier,
    ::testing::Values(MultiplierCase { 30, 1.5f, 16 }, MultiplierCase { 90, 1.5f, 6 }, MultiplierCase { 60, 1.5f, 7 },
        MultiplierCase { 0, 2.0f, 110 }, MultiplierCase { 30, 0.0f, 0 }, MultiplierCase { 30, 1.1f, 12 },
        MultiplierCase { 99999, 3.0f, 0 }));

TEST(PointsResultScreen, MatchesTheTarget40Examples)
{
    EXPECT_EQ(resultBasePoints(40, 40), 5);
    EXPECT_EQ(resultBasePoints(20, 40), 11);
    EXPECT_EQ(resultBasePoints(0, 40), 55);
    EXPECT_EQ(resultBasePoints(41, 40), 4);
    EXPECT_EQ(resultBasePoints(80, 40), 1);
    EXPECT_EQ(resultBasePoints(400, 40), 0);
    EXPECT_EQ(resultEarnedPoints(11, 1.5f), 16);
}

TEST(PointsZeroTarget, NeverDividesByZero)
{
    for (std::int32_t t : { 0, 1, 5, 99999, -1, -1234 }) {
        EXPECT_EQ(countedRunPoints(t, 0, 1.0f), 0) << t;
        EXPECT_EQ(resultBasePoints(t, 0), 0) << t;
        EXPECT_EQ(listRunPoints(t, 0), 0) << t;
    }
}

TEST(PointsExtremes, StayWithin32Bits)
{
    EXPECT_EQ(resultEarnedPoints(55, 1e30f), 2147483647);
    EXPECT_EQ(resultEarnedPoints(55, -1e30f), -2147483647 - 1);
    EXPECT_EQ(resultEarnedPoints(55, std::numeric_limits<float>::quiet_NaN()), 0);
    // A corrupt negative time on a one-second target is large but finite;
    // its product, single precision like every other, is the nearest float.
    EXPECT_EQ(countedRunPoints(-99, 1, 1.0f), 50000004);
}

} // namespace

// The stored multiplier is single precision and so is the product: it is
// rounded to the nearest float before its whole part is taken. A double
// product keeps 1.3f's shortfall, and 10 x 1.3 would earn 12 instead of 13.
class EarnedPointsInSinglePrecision : public ::testing::TestWithParam<float> { };

TEST_P(EarnedPointsInSinglePrecision, RoundTheProductToAFloatBeforeTakingItsWholePart)
{
    const float multiplier = GetParam();
    for (std::int32_t base = 0; base <= kMaxGradedPoints; ++base) {
        // The exact product of a small whole number and a float fits a
        // double; converting it to float is the single-precision rounding.
        const double exact = double(base) * double(multiplier);
        const auto expected = std::int32_t(std::floor(double(static_cast<float>(exact))));
        EXPECT_EQ(resultEarnedPoints(base, multiplier), expected) << base << " x " << multiplier;
    }
    // The counts take the same product: a 0-second run at a 1-second target
    // earns the full base points.
    EXPECT_EQ(countedRunPoints(0, 1, multiplier), resultEarnedPoints(kMaxGradedPoints, multiplier));
}

INSTANTIATE_TEST_SUITE_P(Multipliers, EarnedPointsInSinglePrecision,
    ::testing::Values(0.7f, 0.9f, 1.1f, 1.3f, 1.4f, 1.5f, 1.8f, 1.9f, 2.1f, 2.3f, 3.3f));

TEST(EarnedPoints, ShowPupilsTheProductTheyExpect)
{
    EXPECT_EQ(resultEarnedPoints(10, 1.3f), 13);
    EXPECT_EQ(resultEarnedPoints(5, 1.4f), 7);
    EXPECT_EQ(resultEarnedPoints(11, 1.5f), 16);
}
