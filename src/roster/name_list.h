// SPDX-License-Identifier: MIT
// The lines of the name list: two statistics columns per pupil in a
// fixed-pitch font, the sorted hidden list of every listed pupil and the
// visible lines the grade filter lets through.
#pragma once

#include "roster/grade_rules.h"

#include <QByteArray>
#include <QString>
#include <QStringEncoder>
#include <QStringList>
#include <vector>

struct SharedState;

inline constexpr int kDisplayModes = 4;
inline const QChar kIdeographicSpace = QChar(0x3000);

// The four sums over levels 1..35 the columns show.
struct PupilStats {
    double todayRuns = 0;
    long long totalRuns = 0;
    long long todayPoints = 0;
    long long totalPoints = 0;
};
PupilStats PupilStatsOf(const SharedState &state, int pupil);

// The column texts. A zero sum shows blanks of the same display width as a
// number (an ideographic space and "回" take two columns); a number too long
// for its column loses its leading digits.
QString ColumnC1(double todayRuns);
QString ColumnC2(long long totalRuns);
QString ColumnC3(long long todayPoints);
QString ColumnC4(long long totalPoints);

// Label, blank, trimmed name and ideographic-space filler up to the name
// column's width, then left column "/" right column of the display mode.
QString DisplayText(int displayMode, const ListGrade &grade, const QString &name, const PupilStats &stats);

// The option captions, by display mode.
QString DisplayModeCaption(int displayMode);

// What the chosen-pupil label shows when a line is selected, and when it is
// confirmed by a double-click.
QString SelectedLineLabel(const QString &line);
QString ConfirmedLineLabel(const QString &line);

// The pupil number at the end of a numbered line ("...*123"), -1 if none.
int PupilNumberOfLine(const QString &numberedLine);

// What a name sorts by within its birth year: the CP932 bytes of its
// reading when the roster's first spare text holds one (kana only; katakana
// read as hiragana), else of the name itself. CP932 puts kana in 50-sound
// order and the common kanji by their reading, the order a teacher's class
// list has; character codes put 上田 first and 髙橋 last. One encoder serves
// a whole rebuild, as opening one per name would cost more than the sort.
class NameOrderKeys {
public:
    QByteArray key(const QString &name, const QString &spareText1);
    // The reading a spare text holds, normalised to hiragana, or empty when
    // it holds something else (another program may use the field).
    static QString readingOf(const QString &spareText1);

private:
    QStringEncoder encoder_ { "windows-31j", QStringEncoder::Flag::Stateless };
};

// The hidden lists: every listed pupil as birth year + display text + "*" +
// pupil number, sorted by birth year (oldest school year first), then by the
// name's order key, then by the rest of the line.
class NameList {
public:
    struct Line {
        int birthYear = 0;
        QString numbered; // display text + "*" + pupil number
        QByteArray nameKey; // NameOrderKeys::key of the pupil
        QString text() const { return QString::number(birthYear) + numbered; }
    };
    // The visible lines after line 0 and, for each, its numbered line.
    struct Visible {
        QStringList lines;
        QStringList numbered;
    };

    void clear() { lines_.clear(); }
    void reserve(size_t n) { lines_.reserve(n); }
    void add(int birthYear, const QString &displayText, int pupilNumber, QByteArray nameKey);
    void sort();
    const std::vector<Line> &lines() const { return lines_; }
    // The lines whose grade the filter text admits, in sorted order.
    Visible filtered(const QString &filterText, int schoolYear) const;

private:
    std::vector<Line> lines_;
};
