// SPDX-License-Identifier: MIT
#include "hub/grade_marks.h"
#include "roster/grade_rules.h"
#include "state/shared_state.h"

int hubPupilGrade(const SharedState &state, int pupil)
{
    return GradeNumber(state.SchoolYear, state.RosterBirthYear[pupil]);
}

QString GradeSymbol(int grade)
{
    static const char16_t *const symbols[] = { u"①", u"②", u"③", u"④", u"⑤", u"⑥", u"Ⅰ", u"Ⅱ", u"Ⅲ" };
    if (grade >= 1 && grade <= 9)
        return QString::fromUtf16(symbols[grade - 1]);
    return QStringLiteral("　");
}

bool PassesGradeFilter(const QString &filterText, int grade)
{
    // The hub's filter is name selection's, plus "家族" for everyone.
    return filterText == u"家族" || FilterAdmits(filterText, grade);
}
