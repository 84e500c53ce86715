// SPDX-License-Identifier: MIT
#include "roster/name_list.h"
#include "platform/blank_trim.h"
#include "platform/number_text.h"
#include "state/shared_state.h"

#include <algorithm>

namespace {

// The decimal text of n behind the blanks, cut to its last k characters.
QString padded(const QString &blanks, const QString &number, int k)
{
    return numtext::lastChars(blanks + number, k);
}

QString numberText(long long n)
{
    return QString::number(n);
}

// Width of label + blank + name + filler in characters. Kindergarten lines
// are wider in the modes that show runs.
int nameColumnWidth(int displayMode, const ListGrade &grade)
{
    return grade.stageYear < 1 && displayMode != 1 ? 11 : 9;
}

} // namespace

PupilStats PupilStatsOf(const SharedState &state, int pupil)
{
    PupilStats stats;
    for (int level = 1; level <= kMaxLevel; ++level) {
        stats.todayRuns += state.TodayRunCount(level, pupil);
        stats.totalRuns += state.TotalRunCount(level, pupil);
        stats.todayPoints += state.TodayPoints(level, pupil);
        stats.totalPoints += state.TotalPoints(level, pupil);
    }
    return stats;
}

QString ColumnC1(double todayRuns)
{
    if (todayRuns == 0)
        return QStringLiteral("     ");
    return padded(QStringLiteral("  "), numtext::formatNumber(todayRuns), 3) + QStringLiteral("回");
}

QString ColumnC2(long long totalRuns)
{
    if (totalRuns == 0)
        return QStringLiteral("     ") + kIdeographicSpace;
    return padded(QStringLiteral("      "), numberText(totalRuns), 5) + QStringLiteral("回");
}

QString ColumnC3(long long todayPoints)
{
    if (todayPoints == 0)
        return QStringLiteral("  ") + kIdeographicSpace;
    return padded(QStringLiteral("   "), numberText(todayPoints), 4);
}

QString ColumnC4(long long totalPoints)
{
    if (totalPoints == 0)
        return QStringLiteral("       ");
    return padded(QStringLiteral("      "), numberText(totalPoints), 7);
}

QString DisplayText(int displayMode, const ListGrade &grade, const QString &name, const PupilStats &stats)
{
    QString left;
    QString right;
    switch (displayMode) {
    case 0:
        left = ColumnC1(stats.todayRuns);
        right = ColumnC2(stats.totalRuns);
        break;
    case 1:
        left = ColumnC3(stats.todayPoints);
        right = ColumnC4(stats.totalPoints);
        break;
    case 2:
        left = ColumnC3(stats.todayPoints);
        right = ColumnC1(stats.todayRuns);
        break;
    default:
        left = ColumnC4(stats.totalPoints);
        right = ColumnC2(stats.totalRuns);
        break;
    }
    const QString head = grade.label + QLatin1Char(' ') + trimBlanks(name);
    // A name too long for its column gets no filler and pushes the columns
    // to the right rather than being cut.
    const int filler = std::max(0, nameColumnWidth(displayMode, grade) - int(head.size()));
    return head + QString(filler, kIdeographicSpace) + left + QLatin1Char('/') + right;
}

QString DisplayModeCaption(int displayMode)
{
    switch (displayMode) {
    case 0:
        return QStringLiteral("回数(今日／今まで）");
    case 1:
        return QStringLiteral("ポイント（今日／今まで）");
    case 2:
        return QStringLiteral("本日（ポイント／回数）");
    default:
        return QStringLiteral("今まで（ポイント／回数）");
    }
}

QString SelectedLineLabel(const QString &line)
{
    return trimBlanks(trimBlanks(line).left(10));
}

QString ConfirmedLineLabel(const QString &line)
{
    // The column separator is the last "/": a name may hold one too.
    const auto slash = line.lastIndexOf(QLatin1Char('/'));
    return trimBlanks(slash < 0 ? line : line.left(slash));
}

int PupilNumberOfLine(const QString &numberedLine)
{
    // The number is the text after the last "*", so a name with a "*" in it
    // cannot make the line name another pupil.
    const auto star = numberedLine.lastIndexOf(QLatin1Char('*'));
    if (star < 0)
        return -1;
    bool ok = false;
    const int number = numberedLine.mid(star + 1).toInt(&ok);
    return ok ? number : -1;
}

QString NameOrderKeys::readingOf(const QString &spareText1)
{
    // Half-width katakana and the ideographic space become their usual forms.
    QString reading = trimBlanks(spareText1).normalized(QString::NormalizationForm_KC);
    if (reading.isEmpty())
        return QString();
    for (QChar &c : reading) {
        const char16_t u = c.unicode();
        // ァ..ン have hiragana in CP932; ヴ, ヵ, ヶ do not and stay as they are.
        if (u >= 0x30A1 && u <= 0x30F3)
            c = QChar(char16_t(u - 0x60));
        else if (!((u >= 0x3041 && u <= 0x3096) || (u >= 0x30F4 && u <= 0x30FC) || u == 0x309B || u == 0x309C
                     || u == u' '))
            return QString();
    }
    return reading;
}

QByteArray NameOrderKeys::key(const QString &name, const QString &spareText1)
{
    const QString reading = readingOf(spareText1);
    return encoder_(reading.isEmpty() ? trimBlanks(name) : reading);
}

void NameList::add(int birthYear, const QString &displayText, int pupilNumber, QByteArray nameKey)
{
    lines_.push_back({ birthYear, displayText + QLatin1Char('*') + QString::number(pupilNumber), std::move(nameKey) });
}

void NameList::sort()
{
    // Birth year as a number (the grade label that follows it in the line
    // depends on nothing else), then the name's key as unsigned bytes, then
    // the rest of the line by character code, so equal keys keep one order.
    std::stable_sort(lines_.begin(), lines_.end(), [](const Line &a, const Line &b) {
        if (a.birthYear != b.birthYear)
            return a.birthYear < b.birthYear;
        if (const int c = a.nameKey.compare(b.nameKey); c != 0)
            return c < 0;
        return QString::compare(a.numbered, b.numbered, Qt::CaseSensitive) < 0;
    });
}

NameList::Visible NameList::filtered(const QString &filterText, int schoolYear) const
{
    Visible visible;
    for (const Line &line : lines_) {
        if (!FilterAdmits(filterText, GradeNumber(schoolYear, line.birthYear)))
            continue;
        visible.lines << line.numbered.left(line.numbered.lastIndexOf(QLatin1Char('*')));
        visible.numbered << line.numbered;
    }
    return visible;
}
