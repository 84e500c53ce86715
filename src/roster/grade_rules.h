// SPDX-License-Identifier: MIT
// The one grade rule of the program: the school year, the grade number of a
// birth year, the two grade-label tables and the grade filter of the name
// list.
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>
#include <optional>

// The school year a date belongs to: its calendar year, or the year before
// while the month is still before the month the school year starts in.
int SchoolYearOf(const QDate &today, double schoolYearStartMonth);

// G = school year - birth year - 6: 1 is the first year of elementary
// school, 0 the last year of kindergarten.
int GradeNumber(int schoolYear, int birthYear);

// Label of the name list (half-width digits) with its stage year; the stage
// year is below 1 exactly for kindergarten.
struct ListGrade {
    QString label;
    int stageYear = 0;
};
ListGrade ListGradeLabel(int grade);

// Label kept per pupil and shown by the hub (full-width digits); none for
// grades outside kindergarten's last year .. first year of high school.
std::optional<QString> PupilGradeLabelOf(int grade);

// The filter texts in the order the grade filter offers them.
const QStringList &GradeFilterTexts();
inline const QString kAllGrades = QStringLiteral("全学年");

// Whether the filter text lets a pupil of this grade into the list. An
// unknown text lets nobody through.
bool FilterAdmits(const QString &filterText, int grade);
