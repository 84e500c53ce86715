// SPDX-License-Identifier: MIT
#include "state/sign_in.h"

#include <cmath>

int minutesSinceSignIn(double secondsSinceMidnight, qint32 signInTime)
{
    qint64 seconds = qint64(std::floor(secondsSinceMidnight)) - signInTime;
    // The sign-in time was rounded to the nearest second, so just after
    // signing in the clock may still read one second less; only a larger
    // step back means the day has turned.
    if (seconds < -1)
        seconds += 86400;
    else if (seconds < 0)
        seconds = 0;
    return int(seconds / 60);
}
