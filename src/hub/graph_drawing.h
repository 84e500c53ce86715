// SPDX-License-Identifier: MIT
// The progress graphs of one pupil: what a strip shows for a level (the
// pupil's runs in the order they were run, the personal bests and the
// school's figures) and the painter that draws it. Every position is a
// fraction of the target's width W and height H (W2 and H2 are their
// halves; heights inside a strip are fractions of U = 0.65 H2), so the same
// drawing goes on the screen and on paper; fonts are given in points and
// line widths in pixels of the 96 dpi design screen and scaled to the
// target's resolution.
#pragma once

#include "results/result_record.h"

#include <QDate>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <vector>

class QFont;
class QPainter;
struct SharedState;

// Runs of this time or more (failed runs too) are not plotted and do not
// count towards the pupil's runs.
inline constexpr int kGraphUnplottedTime = 1800;
// The base font size of the graphs, in points.
inline constexpr double kGraphFontSize = 6;

// Top of the time axis for the slowest plotted run: the next multiple of
// ten above it, at most 1000 seconds.
int graphTimeMax(int largestTime);

struct GraphRun {
    int k = 0; // 1 for the pupil's first plotted run at the level
    int seconds = 0;
    double date = 0;
    bool personalBest = false;
};

// One level of one pupil, gathered from the records of the one-pupil window
// (the last 20000 records, levels of the program, the last ten years).
struct StripData {
    int runCount = 0; // the pupil's runs under 1800 s
    std::int64_t runTimeSum = 0;
    int largestTime = 0;
    int timeMax = 10;
    std::vector<GraphRun> plotted; // record order
    std::vector<size_t> personalBests; // indexes into plotted, in order
    std::int64_t schoolRunCount = 0;
    std::int64_t schoolTimeSum = 0;
    std::optional<int> schoolBest;
};

// `records[0]` is record number `firstRecordNumber`; the file's newest
// record is the last one. The pupil's runs are plotted only where the grade
// filter lets the pupil through. `progress` is told the record number now
// and then, for a progress bar.
StripData collectStrip(const SharedState &state, std::span<const ResultRecord> records, int firstRecordNumber,
    const QDate &today, int level, int pupil, const QString &gradeFilter,
    const std::function<void(int recordNumber)> &progress = {});

// The target drawn on: its size in device pixels, its resolution, and
// whether it is paper (the title is larger there).
struct GraphSurface {
    QSizeF size;
    double dpi = 96;
    bool paper = false;

    double width() const { return size.width(); }
    double height() const { return size.height(); }
};

// Where a strip goes: three to a screen or page, with tops at 0.05 H,
// 0.35 H and 0.65 H; a fourth starts a new page (or clears the screen).
struct StripPlace {
    bool newPageFirst = false;
    double top = 0;
};
std::vector<StripPlace> stripPlaces(int strips, double height);

// Point of the k-th plotted run. A time above the axis top (a run between
// 1000 and 1800 seconds) sits on the top of the axis rather than in the
// strip above.
QPointF graphRunPosition(const GraphSurface &surface, double stripTop, int k, int runCount, int seconds, int timeMax);

// The graph's face at a size in points on the target.
QFont graphFont(const GraphSurface &surface, double points);

struct StripPicture {
    QString title; // level name and program name
    QString pupilName; // the header, drawn on the first strip of a page
    StripData data;
    QStringList statistics;
    int targetTime = 0; // the level's target time in seconds; 0 or less: none
    // On paper, beside the name on the first strip of a page: who the pupil
    // is beyond the name, and when the page was printed.
    QString pageHeader;
};

// How a level's target time shows on a strip: a dashed line at its height
// when it lies on the time axis; above the axis top only its value, at the
// top of the plot with an arrow; nothing without a target or a plotted run
// (there is no axis to measure it against).
enum class TargetMark { None, Line, AboveAxis };
TargetMark targetMark(int targetTime, const StripData &data);
QString targetLabel(int targetTime, TargetMark mark);

// A text label as drawn: what it says and the box it covers.
struct StripLabel {
    QString text;
    QRectF box;
};

// Draws the strip and returns its labels (the axis ends, the dates, the
// personal bests' times and dates, the target), which never overlap one
// another: a label that would stand on one placed before it moves by whole
// text lines. Labels inside the plot stay above the x axis line, the dates
// under it stay above the next strip; every label has a white backing, so
// no line runs through its text.
std::vector<StripLabel> drawGraphStrip(
    QPainter &painter, const GraphSurface &surface, double stripTop, const StripPicture &picture);

// Label texts of the personal bests: a date loses its year ("12/09") when
// the personal best before it was run in the same year.
QString personalBestDate(const StripData &data, size_t bestIndex);
