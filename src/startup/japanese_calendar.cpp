// SPDX-License-Identifier: MIT
#include "startup/japanese_calendar.h"

namespace {

struct Era {
    QDate start;
    const char16_t *name;
};

// First days of the eras as Windows dates them.
const Era kEras[] = {
    { QDate(2019, 5, 1), u"令和" },
    { QDate(1989, 1, 8), u"平成" },
    { QDate(1926, 12, 25), u"昭和" },
    { QDate(1912, 7, 30), u"大正" },
    { QDate(1868, 9, 8), u"明治" },
};

const char16_t *const kWeekdays[7] = { u"月", u"火", u"水", u"木", u"金", u"土", u"日" };

} // namespace

EraYear japaneseEra(const QDate &date)
{
    for (const Era &era : kEras) {
        if (date >= era.start)
            return { QString::fromUtf16(era.name), date.year() - era.start.year() + 1 };
    }
    return { QString(), date.year() };
}

QString japaneseDateLine(const QDate &date)
{
    const EraYear era = japaneseEra(date);
    return QStringLiteral("%1%2年 %3月 %4日（%5）")
        .arg(era.era)
        .arg(era.year)
        .arg(date.month())
        .arg(date.day(), 2, 10, QLatin1Char('0'))
        .arg(QString::fromUtf16(kWeekdays[date.dayOfWeek() - 1]));
}

Rgb seasonColourForMonth(int month)
{
    switch (month) {
    case 1:
    case 2:
        return Rgb { 255, 128, 0 };
    case 3:
    case 4:
    case 5:
    case 12:
        return Rgb { 192, 255, 192 };
    case 6:
    case 7:
    case 8:
        return Rgb { 0, 192, 192 };
    default:
        return Rgb { 192, 64, 0 };
    }
}
