// SPDX-License-Identifier: MIT
// Numbers written as text and read back from text, the way the screens and
// files expect them.
#pragma once

#include <QString>

namespace numtext {

// Shortest decimal form: 1.5 -> "1.5", 2 -> "2", -3 -> "-3".
QString formatNumber(double value);
// A single-precision value written with single precision (1.1f -> "1.1").
QString formatSingle(float value);

// The number at the start of a text: leading blanks skipped, an optional
// sign, digits and one decimal point with more digits; reading stops at the
// first character that cannot continue the number. Empty or non-numeric
// text is 0. Full-width digits are not digits.
double leadingNumber(const QString &text);

// Whether the whole (blank-trimmed) text is a decimal number; sets `value`.
bool parseWholeNumber(const QString &text, double *value);

// Rounded to nearest, halves to even.
double roundHalfEven(double value);

// The last n characters of a text (the whole text when shorter).
inline QString lastChars(const QString &text, int n)
{
    return text.right(n);
}
// The first n characters of a text (the whole text when shorter).
inline QString firstChars(const QString &text, int n)
{
    return text.left(n);
}

} // namespace numtext
