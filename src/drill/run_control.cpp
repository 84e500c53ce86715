// SPDX-License-Identifier: MIT
#include "drill/run_control.h"
#include "platform/events.h"
#include "platform/number_text.h"
#include "state/navigator.h"
#include "state/shared_state.h"

#include <cmath>

void StartDrill(SharedState &state, Navigator &navigator)
{
    state.RunComplete = 0;
    state.RunEnding = 0;
    state.ProblemsDone = 0;
    state.TimeUp = 0;
    letEventsRun();
    navigator.openDrill();
}

qint32 elapsedSecondsBetween(qint64 startTickMs, qint64 nowTickMs)
{
    return qint32(numtext::roundHalfEven(double(nowTickMs - startTickMs) / 1000.0));
}

float runStartTimeOf(double secondsSinceMidnight)
{
    return float(secondsSinceMidnight);
}

int countdownCellsHidden(int mark, int elapsed)
{
    if (mark <= 0 || mark < elapsed)
        return 0;
    const int remaining = mark - elapsed;
    return remaining > 9 ? 0 : 10 - remaining;
}

int passLineCellHidden(int passLineTime, int elapsed)
{
    const int k = passLineTime - elapsed;
    return k >= 0 && k <= 9 ? 10 - k : 0;
}

int timeBarTwips(double seconds, double timeBarScale)
{
    return int(std::lround(seconds * timeBarScale));
}
