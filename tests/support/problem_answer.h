// SPDX-License-Identifier: MIT
// The answer of an arithmetic problem as a pupil reads it off the display
// (" 7＋ 3＝"), for tests that play runs through the widgets. -1 when the
// text is not a problem.
#pragma once

#include <QRegularExpression>
#include <QString>

inline int answerOfProblemText(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^ (\\d+)([＋×－÷]) (\\d+)＝$"));
    const auto m = form.match(text);
    if (!m.hasMatch())
        return -1;
    const int a = m.captured(1).toInt();
    const int b = m.captured(3).toInt();
    switch (m.captured(2).at(0).unicode()) {
    case 0xFF0B:
        return a + b;
    case 0x00D7:
        return a * b;
    case 0xFF0D:
        return a - b;
    default:
        return b != 0 && a % b == 0 ? a / b : -1;
    }
}
