// SPDX-License-Identifier: MIT
// Blank trimming as the screens need it: only U+0020 counts as a blank,
// so an ideographic space a name may carry on purpose stays.
#pragma once

#include <QString>

inline QString trimTrailingBlanks(const QString &text)
{
    qsizetype end = text.size();
    while (end > 0 && text[end - 1] == QLatin1Char(' '))
        --end;
    return text.left(end);
}

inline QString trimBlanks(const QString &text)
{
    qsizetype start = 0;
    while (start < text.size() && text[start] == QLatin1Char(' '))
        ++start;
    return trimTrailingBlanks(text.mid(start));
}
