// SPDX-License-Identifier: MIT
// Starting a run and the small rules of the run clock that need no window:
// elapsed seconds, the countdown cells, the time bar.
#pragma once

#include <QString>
#include <QtGlobal>

struct SharedState;
class Navigator;

// Starts a run at CurrentLevel: clears the run flags, lets pending events run
// and asks for a new drill window.
void StartDrill(SharedState &state, Navigator &navigator);

// Whole seconds between two readings of the monotonic tick counter, rounded
// to nearest with halves to even. The wall clock is not used because it
// jumps back to 0 at midnight.
qint32 elapsedSecondsBetween(qint64 startTickMs, qint64 nowTickMs);

// Seconds since midnight as RunStartTime keeps it.
float runStartTimeOf(double secondsSinceMidnight);

// Countdown towards a mark: the number of cells, counted from the left, that
// are hidden at `elapsed` seconds (0 while the mark is more than 9 s away or
// already passed). A mark of 0 is no mark, so its row stays complete.
int countdownCellsHidden(int mark, int elapsed);

// The Pass cell (1..10) hidden when `elapsed` is within the last ten seconds
// before the pass-line time, else 0.
int passLineCellHidden(int passLineTime, int elapsed);

// Length of a bar of `seconds` in twips of the time bar.
int timeBarTwips(double seconds, double timeBarScale);
