// SPDX-License-Identifier: MIT
// How long the signed-in pupil has been at it: the "起動後" minutes the hub
// and the drill show.
#pragma once

#include <QtGlobal>

// Whole minutes since sign-in (SignInTime, seconds since midnight). A pupil
// signed in before midnight still gets the minutes since then, not a
// negative count.
int minutesSinceSignIn(double secondsSinceMidnight, qint32 signInTime);
