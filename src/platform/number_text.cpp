// SPDX-License-Identifier: MIT
#include "platform/number_text.h"
#include "platform/item_value.h"

#include <QLocale>

#include <cfenv>
#include <cmath>

namespace numtext {

QString formatNumber(double value)
{
    if (value == 0)
        return QStringLiteral("0");
    // 'g' with the round-trip precision gives the shortest text that reads
    // back as the same double, without exponent for the ranges used here.
    QString text = QString::number(value, 'g', QLocale::FloatingPointShortest);
    if (text.contains(QLatin1Char('e'))) {
        text = QString::number(value, 'f', 15);
        while (text.contains(QLatin1Char('.')) && (text.endsWith(QLatin1Char('0')) || text.endsWith(QLatin1Char('.'))))
            text.chop(1);
    }
    return text;
}

QString formatSingle(float value)
{
    return QString::number(double(value), 'g', 7);
}

double leadingNumber(const QString &text)
{
    int i = 0;
    const int n = int(text.size());
    while (i < n && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    QString number;
    if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-')))
        number += text[i++];
    bool digits = false;
    while (i < n && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9')) {
        number += text[i++];
        digits = true;
    }
    if (i + 1 < n && text[i] == QLatin1Char('.') && text[i + 1] >= QLatin1Char('0')
        && text[i + 1] <= QLatin1Char('9')) {
        number += text[i++];
        while (i < n && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9')) {
            number += text[i++];
            digits = true;
        }
    }
    if (!digits)
        return 0;
    return number.toDouble();
}

bool parseWholeNumber(const QString &text, double *value)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    int i = 0;
    const int n = int(t.size());
    if (t[i] == QLatin1Char('+') || t[i] == QLatin1Char('-'))
        ++i;
    bool digits = false;
    bool point = false;
    for (; i < n; ++i) {
        const QChar c = t[i];
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            digits = true;
        else if (c == QLatin1Char('.') && !point)
            point = true;
        else
            return false;
    }
    if (!digits)
        return false;
    if (value)
        *value = t.toDouble();
    return true;
}

double roundHalfEven(double value)
{
    // nearbyint follows the current rounding mode, which is to-nearest-even
    // unless someone changed it; make sure.
    const int saved = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(value);
    std::fesetround(saved);
    return r;
}

} // namespace numtext

QString ItemValue::toText() const
{
    return numeric ? numtext::formatNumber(number) : text;
}

ItemValue ItemValue::fromNumber(double n)
{
    ItemValue v;
    v.numeric = true;
    v.number = n;
    v.text = numtext::formatNumber(n);
    return v;
}

ItemValue ItemValue::fromText(const QString &t)
{
    ItemValue v;
    v.text = t;
    return v;
}
