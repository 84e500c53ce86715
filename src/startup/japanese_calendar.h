// SPDX-License-Identifier: MIT
// The date line of the splash window and the season colour of the screens.
#pragma once

#include "platform/rgb.h"

#include <QDate>
#include <QString>

// "ggge年 m月 dd日（aaa）": era name and year, month without leading zero,
// two-digit day and the short weekday, e.g. "令和8年 12月 09日（水）".
QString japaneseDateLine(const QDate &date);

// The era name and the year of the era; empty name before Meiji.
struct EraYear {
    QString era;
    int year = 0;
};
EraYear japaneseEra(const QDate &date);

// Background colour of name selection and the hub, by month (1..12).
Rgb seasonColourForMonth(int month);
