// SPDX-License-Identifier: MIT
#include "drill/problem_generator.h"
#include "platform/random.h"

#include <gtest/gtest.h>
#include <map>
#include <vector>

namespace {

// Hands out the given fractions in order and counts what was taken.
struct Script {
    std::vector<double> fractions;
    size_t taken = 0;
    FractionSource source()
    {
        return [this] { return fractions.at(taken++); };
    }
};

struct CalculationCase {
    const char *name;
    std::vector<double> fractions;
    int kind;
    const char16_t *text;
    double answer;
};

class ScriptedCalculation : public ::testing::TestWithParam<CalculationCase> { };

TEST_P(ScriptedCalculation, KindFirstThenTheOperandsInTheirOrder)
{
    Script script { GetParam().fractions };
    const Calculation c = drawCalculation(script.source());
    EXPECT_EQ(c.kind, GetParam().kind);
    EXPECT_EQ(c.ProblemText, QString::fromUtf16(GetParam().text));
    EXPECT_EQ(c.ProblemAnswer, GetParam().answer);
    EXPECT_EQ(script.taken, 3u) << "every problem takes exactly three draws";
}

INSTANTIATE_TEST_SUITE_P(DrawOrder, ScriptedCalculation,
    ::testing::Values(CalculationCase { "AdditionSevenAndThree", { 0.0, 0.6, 0.2 }, 1, u" 7＋ 3＝", 10 },
        CalculationCase { "AdditionSmallest", { 0.2499, 0.0, 0.0 }, 1, u" 1＋ 1＝", 2 },
        CalculationCase { "MultiplicationLargest", { 0.25, 0.9999, 0.9999 }, 2, u" 10× 10＝", 100 },
        CalculationCase { "MultiplicationFirstDrawIsFirstOperand", { 0.3, 0.65, 0.29 }, 2, u" 7× 3＝", 21 },
        // The subtrahend is drawn before the answer.
        CalculationCase { "SubtractionSubtrahendDrawnFirst", { 0.5, 0.0, 0.95 }, 3, u" 12－ 2＝", 10 },
        CalculationCase { "SubtractionSmallest", { 0.5, 0.0, 0.0 }, 3, u" 3－ 2＝", 1 },
        CalculationCase { "SubtractionLargest", { 0.7499, 0.9999, 0.9999 }, 3, u" 20－ 10＝", 10 },
        // The divisor is drawn before the answer: 42 ÷ 6.
        CalculationCase { "DivisionFortyTwoBySix", { 0.75, 0.5, 0.6 }, 4, u" 42÷ 6＝", 7 },
        CalculationCase { "DivisionDivisorDrawnFirst", { 0.75, 0.0, 0.95 }, 4, u" 20÷ 2＝", 10 },
        CalculationCase { "DivisionSmallest", { 0.9999, 0.0, 0.0 }, 4, u" 4÷ 2＝", 2 }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(Calculation, EveryKindStaysInItsRangeAndIsExact)
{
    RandomSource random(20261209);
    std::map<int, std::pair<int, int>> firstRange, answerRange;
    for (int i = 0; i < 20000; ++i) {
        const Calculation c = drawCalculation(random);
        ASSERT_GE(c.kind, 1);
        ASSERT_LE(c.kind, 4);
        const int answer = int(c.ProblemAnswer);
        ASSERT_EQ(double(answer), c.ProblemAnswer);
        switch (c.kind) {
        case 1:
            ASSERT_EQ(answer, c.firstOperand + c.secondOperand);
            break;
        case 2:
            ASSERT_EQ(answer, c.firstOperand * c.secondOperand);
            break;
        case 3:
            ASSERT_EQ(c.firstOperand - c.secondOperand, answer);
            ASSERT_GE(c.secondOperand, 2);
            ASSERT_LE(c.secondOperand, 10);
            break;
        case 4:
            ASSERT_EQ(c.firstOperand, c.secondOperand * answer) << "a division is always exact";
            ASSERT_GE(c.secondOperand, 2);
            ASSERT_LE(c.secondOperand, 10);
            break;
        }
        auto widen = [](std::map<int, std::pair<int, int>> &m, int kind, int v) {
            auto [it, fresh] = m.try_emplace(kind, v, v);
            it->second.first = std::min(it->second.first, v);
            it->second.second = std::max(it->second.second, v);
        };
        widen(firstRange, c.kind, c.firstOperand);
        widen(answerRange, c.kind, answer);
    }
    // Over 20000 draws every bound is reached and none is passed.
    EXPECT_EQ(firstRange[1], std::make_pair(1, 10));
    EXPECT_EQ(answerRange[1], std::make_pair(2, 20));
    EXPECT_EQ(firstRange[2], std::make_pair(1, 10));
    EXPECT_EQ(answerRange[2], std::make_pair(1, 100));
    EXPECT_EQ(firstRange[3], std::make_pair(3, 20));
    EXPECT_EQ(answerRange[3], std::make_pair(1, 10));
    EXPECT_EQ(firstRange[4], std::make_pair(4, 100));
    EXPECT_EQ(answerRange[4], std::make_pair(2, 10));
}

// Pearson's statistic against equal expected counts.
double chiSquare(const std::vector<int> &counts)
{
    double total = 0;
    for (int c : counts)
        total += c;
    const double expected = total / double(counts.size());
    double chi = 0;
    for (int c : counts)
        chi += (c - expected) * (c - expected) / expected;
    return chi;
}

TEST(Calculation, TheFourKindsComeWithEqualChance)
{
    RandomSource random(7);
    std::vector<int> kinds(4);
    for (int i = 0; i < 40000; ++i)
        ++kinds[size_t(drawCalculation(random).kind - 1)];
    // 3 degrees of freedom: 16.27 is the 0.1 % point.
    EXPECT_LT(chiSquare(kinds), 16.27) << kinds[0] << " " << kinds[1] << " " << kinds[2] << " " << kinds[3];
}

TEST(DigitString, DigitsAreUniformAtEveryPosition)
{
    RandomSource random(11);
    std::vector<std::vector<int>> counts(7, std::vector<int>(10));
    for (int i = 0; i < 20000; ++i) {
        const DigitDraw d = drawDigitString(4, random);
        for (int p = 0; p < 7; ++p)
            ++counts[size_t(p)][size_t(d.DigitString[p].digitValue())];
    }
    // 9 degrees of freedom: 27.88 is the 0.1 % point.
    for (int p = 0; p < 7; ++p)
        EXPECT_LT(chiSquare(counts[size_t(p)]), 27.88) << "position " << p + 1;
}

struct LengthCase {
    int level;
    int digits;
};
class DigitStringLength : public ::testing::TestWithParam<LengthCase> { };

TEST_P(DigitStringLength, IsTheLevelPlusThree)
{
    RandomSource random(3);
    const DigitDraw d = drawDigitString(GetParam().level, random);
    EXPECT_EQ(d.DigitCount, GetParam().digits);
    EXPECT_EQ(d.DigitString.size(), GetParam().digits);
    for (int i = 1; i <= d.DigitCount; ++i)
        EXPECT_EQ(d.DigitString[i - 1], QChar(u'0' + d.Digits[size_t(i)]));
}

INSTANTIATE_TEST_SUITE_P(Levels, DigitStringLength,
    ::testing::Values(LengthCase { 1, 4 }, LengthCase { 2, 5 }, LengthCase { 3, 6 }, LengthCase { 4, 7 }));

TEST(DigitString, LeadingZeroStaysAndTheTopFractionIsNine)
{
    Script script { { 0.0, 0.39, 0.75, 0.5 } };
    EXPECT_EQ(drawDigitString(1, script.source()).DigitString, QStringLiteral("0375"));
    Script top { { 0.99999999, 0.99999999, 0.99999999, 0.99999999 } };
    EXPECT_EQ(drawDigitString(1, top.source()).DigitString, QStringLiteral("9999"));
}

} // namespace
