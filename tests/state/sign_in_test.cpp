// SPDX-License-Identifier: MIT
#include "state/sign_in.h"

#include <gtest/gtest.h>

namespace {

struct MinutesCase {
    double now;
    qint32 signIn;
    int minutes;
};
class MinutesSinceSignIn : public ::testing::TestWithParam<MinutesCase> { };

TEST_P(MinutesSinceSignIn, WholeMinutesAlsoAcrossMidnight)
{
    EXPECT_EQ(minutesSinceSignIn(GetParam().now, GetParam().signIn), GetParam().minutes);
}

INSTANTIATE_TEST_SUITE_P(Clock, MinutesSinceSignIn,
    ::testing::Values(MinutesCase { 36000.0, 36000, 0 }, MinutesCase { 36059.9, 36000, 0 },
        MinutesCase { 36060.0, 36000, 1 }, MinutesCase { 39600.5, 36000, 60 },
        // Signed in at 23:59:00, now 00:01:30.
        MinutesCase { 90.0, 86340, 2 },
        // Signed in at 10:00:00.6 (rounded up to 36001), read at 10:00:00.8.
        MinutesCase { 36000.8, 36001, 0 }));

} // namespace
