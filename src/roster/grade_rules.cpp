// SPDX-License-Identifier: MIT
#include "roster/grade_rules.h"

int SchoolYearOf(const QDate &today, double schoolYearStartMonth)
{
    return today.month() < schoolYearStartMonth ? today.year() - 1 : today.year();
}

int GradeNumber(int schoolYear, int birthYear)
{
    return schoolYear - birthYear - 6;
}

ListGrade ListGradeLabel(int grade)
{
    if (grade <= -3)
        return { QStringLiteral("幼-"), grade - 6 };
    if (grade <= 0)
        return { QStringLiteral("幼%1").arg(grade + 3), grade - 6 };
    if (grade <= 6)
        return { QStringLiteral("小%1").arg(grade), grade };
    if (grade <= 9)
        return { QStringLiteral("中%1").arg(grade - 6), grade - 6 };
    if (grade <= 12)
        return { QStringLiteral("高%1").arg(grade - 9), grade - 9 };
    return { QStringLiteral("大+"), grade - 9 };
}

std::optional<QString> PupilGradeLabelOf(int grade)
{
    static const char16_t *const labels[] = {
        u"幼３",
        u"小１",
        u"小２",
        u"小３",
        u"小４",
        u"小５",
        u"小６",
        u"中１",
        u"中２",
        u"中３",
        u"高１",
    };
    if (grade < 0 || grade > 10)
        return std::nullopt;
    return QString::fromUtf16(labels[grade]);
}

const QStringList &GradeFilterTexts()
{
    static const QStringList texts = {
        QStringLiteral("全学年"),
        QStringLiteral("中学生全体"),
        QStringLiteral("小学生全体"),
        QStringLiteral("中３"),
        QStringLiteral("中２"),
        QStringLiteral("中１"),
        QStringLiteral("小６"),
        QStringLiteral("小５"),
        QStringLiteral("小４"),
        QStringLiteral("小３"),
        QStringLiteral("小２"),
        QStringLiteral("小１"),
    };
    return texts;
}

bool FilterAdmits(const QString &filterText, int grade)
{
    const QStringList &texts = GradeFilterTexts();
    const auto index = texts.indexOf(filterText);
    switch (index) {
    case 0:
        return true;
    case 1:
        return grade >= 7 && grade <= 9;
    case 2:
        return grade >= 1 && grade <= 6;
    case -1:
        return false;
    default:
        // "中３" .. "小１" stand for the single grades 9 down to 1.
        return grade == 12 - int(index);
    }
}
