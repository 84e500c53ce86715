// SPDX-License-Identifier: MIT
#include "hub/grade_marks.h"
#include "startup/shared_state.h"

int hubPupilGrade(const SharedState &state, int pupil)
{
    return state.SchoolYear - state.RosterBirthYear[pupil] - 6;
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
    struct Range {
        const char16_t *text;
        int low;
        int high;
    };
    static const Range ranges[] = {
        { u"小学生全体", 1, 6 },
        { u"中学生全体", 7, 9 },
        { u"小１", 1, 1 },
        { u"小２", 2, 2 },
        { u"小３", 3, 3 },
        { u"小４", 4, 4 },
        { u"小５", 5, 5 },
        { u"小６", 6, 6 },
        { u"中１", 7, 7 },
        { u"中２", 8, 8 },
        { u"中３", 9, 9 },
    };
    if (filterText == u"全学年" || filterText == u"家族")
        return true;
    for (const Range &range : ranges) {
        if (filterText == range.text)
            return grade >= range.low && grade <= range.high;
    }
    return false;
}
