// SPDX-License-Identifier: MIT
// A shared state with a small roster and four levels, and hand-built
// results records, for the tests of the hub's lists and rankings.
#pragma once

#include "platform/clock.h"
#include "results/result_record.h"
#include "state/shared_state.h"

#include <QDate>
#include <QTime>
#include <memory>
#include <ostream>

// Failure messages show texts as text.
inline void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace hubtest {

inline const QDate kWednesday(2026, 12, 9);

// Four timed levels: targets 60, 60, 90, 120 seconds, pass lines half again.
inline std::unique_ptr<SharedState> makeState()
{
    auto state = std::make_unique<SharedState>();
    state->LevelCount = 4;
    const int targets[] = { 60, 60, 90, 120 };
    for (int level = 1; level <= 4; ++level) {
        state->TargetTime[size_t(level)] = targets[level - 1];
        state->PassLineTime[size_t(level)] = targets[level - 1] * 3 / 2;
        state->LevelName[size_t(level)] = QStringLiteral("レベル%1").arg(level);
    }
    state->SchoolYear = 2026;
    state->BestTime.fill(99999);
    return state;
}

// Adds a listed pupil of the grade (1..6 elementary, 7..9 junior high) with
// a blank-padded roster name, as the roster load leaves it.
inline void addPupil(SharedState &state, int number, const QString &name, int grade)
{
    state.RosterName[number] = name.leftJustified(20, QLatin1Char(' '));
    state.RosterBirthYear[number] = std::int16_t(state.SchoolYear - grade - 6);
    state.ListedPupils[++state.ListedPupilCount] = std::int16_t(number);
}

inline ResultRecord run(const QDate &day, const QTime &time, int pupil, int level, int seconds)
{
    ResultRecord r;
    r.date = oledate::fromDate(day);
    r.timeOfDay = oledate::timeFraction(time);
    r.pupilNumber = std::int16_t(pupil);
    r.level = std::int16_t(level);
    r.seconds = seconds;
    return r;
}

} // namespace hubtest
