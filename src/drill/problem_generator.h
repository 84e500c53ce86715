// SPDX-License-Identifier: MIT
// The draws of the drill: the digit string a pupil memorises and the small
// arithmetic problems solved while holding it in mind. Logic only; the
// drill window shows what these return.
#pragma once

#include <QString>
#include <array>
#include <functional>

class RandomSource;

// Uniform fractions 0 <= r < 1, one per call, in the order the draws need.
using FractionSource = std::function<double()>;

struct DigitDraw {
    std::array<int, 21> Digits {}; // slots 1..DigitCount
    int DigitCount = 0;
    QString DigitString; // one ASCII digit per digit, leading zeros kept
};

// The digit string of `問題作成表示`: CurrentLevel + 3 digits, each Int(r x 10).
DigitDraw drawDigitString(int currentLevel, const FractionSource &next);
DigitDraw drawDigitString(int currentLevel, RandomSource &random);

namespace calc {
enum Kind { Addition = 1, Multiplication = 2, Subtraction = 3, Division = 4 };
}

struct Calculation {
    int kind = 0; // calc::Kind
    int firstOperand = 0;
    int secondOperand = 0;
    QString ProblemText; // " 7＋ 3＝"
    double ProblemAnswer = 0;
};

// The problem of `計算出題`: the kind first, then two numbers in the order of
// the kind. Subtraction and division are built backwards from the answer, so
// every result is a whole number of at least 1.
Calculation drawCalculation(const FractionSource &next);
Calculation drawCalculation(RandomSource &random);

// The text of a problem: each operand with one leading space, then the
// operator, and the full-width equals sign at the end.
QString problemText(int firstOperand, QChar op, int secondOperand);
