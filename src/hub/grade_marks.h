// SPDX-License-Identifier: MIT
// The grade marks of the hub's lists: the symbol shown beside a pupil's name
// and the grade filter (the hub's grade combo box) that decides whose rows
// are shown at all.
#pragma once

#include <QString>

struct SharedState;

// Grade number of a pupil from the roster tables: school year − birth year
// − 6 (1..6 elementary, 7..9 junior high).
int hubPupilGrade(const SharedState &state, int pupil);

// "①".."⑥" for elementary grades 1..6, "Ⅰ".."Ⅲ" for junior-high grades
// 7..9, one ideographic space for any other grade.
QString GradeSymbol(int grade);

// Whether the filter text of the hub's grade combo box lets a pupil of the
// grade through. "全学年" and "家族" let everyone through; a text the table
// does not know (typed into the combo box) lets nobody through.
bool PassesGradeFilter(const QString &filterText, int grade);
