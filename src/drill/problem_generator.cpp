// SPDX-License-Identifier: MIT
#include "drill/problem_generator.h"
#include "platform/random.h"

#include <algorithm>
#include <cmath>

namespace {
// Int(r x n + offset): the draws all have this shape.
int drawInt(const FractionSource &next, int n, int offset)
{
    return int(std::floor(next() * n + offset));
}

FractionSource from(RandomSource &random)
{
    return [&random] { return random.fraction(); };
}

const QChar kPlus(0xFF0B); // ＋
const QChar kTimes(0x00D7); // ×
const QChar kMinus(0xFF0D); // －
const QChar kDivide(0x00F7); // ÷
const QChar kEquals(0xFF1D); // ＝
} // namespace

DigitDraw drawDigitString(int currentLevel, const FractionSource &next)
{
    DigitDraw draw;
    // The table has 20 digit slots; a level beyond 17 cannot lengthen it.
    draw.DigitCount = std::min(currentLevel + 3, 20);
    for (int i = 1; i <= draw.DigitCount; ++i) {
        draw.Digits[size_t(i)] = drawInt(next, 10, 0);
        draw.DigitString += QChar(u'0' + draw.Digits[size_t(i)]);
    }
    return draw;
}

DigitDraw drawDigitString(int currentLevel, RandomSource &random)
{
    return drawDigitString(currentLevel, from(random));
}

QString problemText(int firstOperand, QChar op, int secondOperand)
{
    return QLatin1Char(' ') + QString::number(firstOperand) + op + QLatin1Char(' ') + QString::number(secondOperand)
        + kEquals;
}

Calculation drawCalculation(const FractionSource &next)
{
    Calculation c;
    c.kind = drawInt(next, 4, 1);
    switch (c.kind) {
    case calc::Addition: {
        const int a = drawInt(next, 10, 1);
        const int b = drawInt(next, 10, 1);
        c.firstOperand = a;
        c.secondOperand = b;
        c.ProblemAnswer = a + b;
        c.ProblemText = problemText(a, kPlus, b);
        break;
    }
    case calc::Multiplication: {
        const int a = drawInt(next, 10, 1);
        const int b = drawInt(next, 10, 1);
        c.firstOperand = a;
        c.secondOperand = b;
        c.ProblemAnswer = a * b;
        c.ProblemText = problemText(a, kTimes, b);
        break;
    }
    case calc::Subtraction: {
        const int b = drawInt(next, 9, 2);
        const int answer = drawInt(next, 10, 1);
        c.firstOperand = b + answer;
        c.secondOperand = b;
        c.ProblemAnswer = answer;
        c.ProblemText = problemText(b + answer, kMinus, b);
        break;
    }
    default: {
        const int b = drawInt(next, 9, 2);
        const int answer = drawInt(next, 9, 2);
        c.kind = calc::Division;
        c.firstOperand = b * answer;
        c.secondOperand = b;
        c.ProblemAnswer = answer;
        c.ProblemText = problemText(b * answer, kDivide, b);
        break;
    }
    }
    return c;
}

Calculation drawCalculation(RandomSource &random)
{
    return drawCalculation(from(random));
}
