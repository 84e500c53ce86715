// SPDX-License-Identifier: MIT
#include "roster/grade_rules.h"

#include <gtest/gtest.h>

namespace {

struct SchoolYearCase {
    QDate today;
    double startMonth;
    int schoolYear;
};

class SchoolYearRule : public ::testing::TestWithParam<SchoolYearCase> { };

TEST_P(SchoolYearRule, StartsInTheStartMonth)
{
    EXPECT_EQ(SchoolYearOf(GetParam().today, GetParam().startMonth), GetParam().schoolYear);
}

INSTANTIATE_TEST_SUITE_P(Boundaries, SchoolYearRule,
    ::testing::Values(SchoolYearCase { QDate(2005, 3, 31), 4, 2004 }, SchoolYearCase { QDate(2005, 4, 1), 4, 2005 },
        SchoolYearCase { QDate(2005, 1, 1), 4, 2004 }, SchoolYearCase { QDate(2004, 12, 31), 4, 2004 },
        SchoolYearCase { QDate(2005, 1, 1), 1, 2005 }, SchoolYearCase { QDate(2005, 8, 31), 9, 2004 },
        SchoolYearCase { QDate(2005, 9, 1), 9, 2005 }));

// A pupil of school birth year 1997 enters elementary school in April 2004
// and moves up a grade every April.
TEST(GradeRule, MovesUpOnTheFirstDayOfTheSchoolYear)
{
    auto gradeOn = [](QDate day) { return GradeNumber(SchoolYearOf(day, 4), 1997); };
    EXPECT_EQ(gradeOn(QDate(2004, 3, 31)), 0);
    EXPECT_EQ(gradeOn(QDate(2004, 4, 1)), 1);
    EXPECT_EQ(gradeOn(QDate(2005, 3, 31)), 1);
    EXPECT_EQ(gradeOn(QDate(2005, 4, 1)), 2);
    EXPECT_EQ(ListGradeLabel(gradeOn(QDate(2005, 3, 31))).label, QStringLiteral("小1"));
    EXPECT_EQ(PupilGradeLabelOf(gradeOn(QDate(2005, 3, 31))), QStringLiteral("小１"));
    EXPECT_EQ(ListGradeLabel(gradeOn(QDate(2005, 4, 1))).label, QStringLiteral("小2"));
}

struct LabelCase {
    int grade;
    const char16_t *listLabel;
    int stageYear;
    const char16_t *pupilLabel; // nullptr: none
};

class GradeLabels : public ::testing::TestWithParam<LabelCase> { };

TEST_P(GradeLabels, BothTablesAndTheStageYear)
{
    const LabelCase &c = GetParam();
    const ListGrade list = ListGradeLabel(c.grade);
    EXPECT_EQ(list.label, QString::fromUtf16(c.listLabel));
    EXPECT_EQ(list.stageYear, c.stageYear);
    const auto pupil = PupilGradeLabelOf(c.grade);
    if (c.pupilLabel)
        EXPECT_EQ(pupil, QString::fromUtf16(c.pupilLabel));
    else
        EXPECT_FALSE(pupil.has_value());
    // Kindergarten, and nothing else, has a stage year below 1.
    EXPECT_EQ(list.stageYear < 1, c.grade <= 0);
}

INSTANTIATE_TEST_SUITE_P(EveryBand, GradeLabels,
    ::testing::Values(LabelCase { -7, u"幼-", -13, nullptr }, LabelCase { -3, u"幼-", -9, nullptr },
        LabelCase { -2, u"幼1", -8, nullptr }, LabelCase { -1, u"幼2", -7, nullptr },
        LabelCase { 0, u"幼3", -6, u"幼３" }, LabelCase { 1, u"小1", 1, u"小１" }, LabelCase { 6, u"小6", 6, u"小６" },
        LabelCase { 7, u"中1", 1, u"中１" }, LabelCase { 9, u"中3", 3, u"中３" }, LabelCase { 10, u"高1", 1, u"高１" },
        LabelCase { 11, u"高2", 2, nullptr }, LabelCase { 12, u"高3", 3, nullptr },
        LabelCase { 13, u"大+", 4, nullptr }, LabelCase { 40, u"大+", 31, nullptr }));

// Which grades (-4..14) each filter lets through.
struct FilterCase {
    const char16_t *text;
    std::vector<int> admitted;
};

class GradeFilter : public ::testing::TestWithParam<FilterCase> { };

TEST_P(GradeFilter, AdmitsExactlyItsGrades)
{
    const QString text = QString::fromUtf16(GetParam().text);
    std::vector<int> admitted;
    for (int g = -4; g <= 14; ++g)
        if (FilterAdmits(text, g))
            admitted.push_back(g);
    EXPECT_EQ(admitted, GetParam().admitted) << text.toStdString();
}

INSTANTIATE_TEST_SUITE_P(EveryText, GradeFilter,
    ::testing::Values(FilterCase { u"全学年", { -4, -3, -2, -1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14 } },
        FilterCase { u"中学生全体", { 7, 8, 9 } }, FilterCase { u"小学生全体", { 1, 2, 3, 4, 5, 6 } },
        FilterCase { u"中３", { 9 } }, FilterCase { u"中２", { 8 } }, FilterCase { u"中１", { 7 } },
        FilterCase { u"小６", { 6 } }, FilterCase { u"小５", { 5 } }, FilterCase { u"小４", { 4 } },
        FilterCase { u"小３", { 3 } }, FilterCase { u"小２", { 2 } }, FilterCase { u"小１", { 1 } },
        FilterCase { u"小3", {} }, FilterCase { u"", {} }, FilterCase { u"高１", {} }));

TEST(GradeFilterTexts, TwelveInTheOfferedOrder)
{
    const QStringList &texts = GradeFilterTexts();
    ASSERT_EQ(texts.size(), 12);
    EXPECT_EQ(texts.front(), kAllGrades);
    EXPECT_EQ(texts[2], QStringLiteral("小学生全体"));
    EXPECT_EQ(texts[3], QStringLiteral("中３"));
    EXPECT_EQ(texts.back(), QStringLiteral("小１"));
    EXPECT_EQ(QSet<QString>(texts.begin(), texts.end()).size(), 12);
}

} // namespace
