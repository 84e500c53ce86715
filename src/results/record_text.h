// SPDX-License-Identifier: MIT
// A record's date and time of day as text: one rule for the hub's lists,
// the graphs, the results-data editor and its undo list, the CSV export,
// the check and the loader's messages, so a run reads the same wherever it
// is shown.
#pragma once

#include <QString>

// The whole second of the day a stored time of day falls in, 0..86399.
// Cut, never rounded: a record's time of day is whole seconds, and the
// small allowance only takes in the fraction's binary error, so a stored
// 10:00:00 does not read 9:59:59, while a fraction an older writer left
// (9:59:59.6) stays in its own second, minute and day.
int wholeSecondOfDay(double timeOfDay);

enum class HourDigits {
    AsNeeded, // "9:05:12", as the lists and the editor show it
    Two, // "09:05:12", as the CSV export writes it for spreadsheets
};
// The time of day of the whole second; "0:00:00" for a value that is no
// number at all.
QString timeOfDayText(double timeOfDay, HourDigits hours = HourDigits::AsNeeded);

// The calendar day of a stored date: "2026/12/09", or with another
// separator "2026-12-09" as the CSV export writes it; empty when the value
// is no date at all.
QString runDateText(double date, QChar separator = QLatin1Char('/'));
