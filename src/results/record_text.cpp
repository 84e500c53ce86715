// SPDX-License-Identifier: MIT
#include "results/record_text.h"
#include "platform/clock.h"

#include <algorithm>
#include <cmath>

namespace {

void appendTwoDigits(QString &out, int value)
{
    out += QLatin1Char(char('0' + value / 10));
    out += QLatin1Char(char('0' + value % 10));
}

} // namespace

int wholeSecondOfDay(double timeOfDay)
{
    const double fraction = std::fabs(timeOfDay) - std::floor(std::fabs(timeOfDay));
    if (!std::isfinite(fraction))
        return 0;
    return std::min(int(std::floor(fraction * 86400.0 + 1e-6)), 86399);
}

QString timeOfDayText(double timeOfDay, HourDigits hours)
{
    const int total = wholeSecondOfDay(timeOfDay);
    QString text;
    text.reserve(8);
    if (hours == HourDigits::Two)
        appendTwoDigits(text, total / 3600);
    else
        text += QString::number(total / 3600);
    text += QLatin1Char(':');
    appendTwoDigits(text, total / 60 % 60);
    text += QLatin1Char(':');
    appendTwoDigits(text, total % 60);
    return text;
}

QString runDateText(double date, QChar separator)
{
    const QDate day = oledate::toDate(date);
    if (!day.isValid())
        return QString();
    QString text = QString::number(day.year()).rightJustified(4, QLatin1Char('0'));
    text += separator;
    appendTwoDigits(text, day.month());
    text += separator;
    appendTwoDigits(text, day.day());
    return text;
}
