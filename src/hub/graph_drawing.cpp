// SPDX-License-Identifier: MIT
#include "hub/graph_drawing.h"
#include "hub/grade_marks.h"
#include "hub/listings.h"
#include "platform/clock.h"
#include "platform/layout.h"
#include "results/record_text.h"
#include "state/shared_state.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

constexpr int kGraphDays = 3650;

// Line widths of the design screen, in its pixels.
constexpr double kPointWidth = 5;
constexpr double kFrameWidth = 2;
constexpr double kBestLineWidth = 3;

// Heights inside a strip are measured in this share of H2. In whole H2 a
// strip reached 0.4 H below its top, while strips stand 0.3 H apart: each
// plot ran through the next strip and the third one's axis fell off the
// page. At 0.65 H2 the date row under the axis ends above the next strip.
constexpr double kStripUnit = 0.65;
// The figures start under the title band, where a title printed at three
// times the base size cannot run into them, and step by this share of H2,
// so ten lines end above the next strip on screen and on paper.
constexpr double kFiguresTop = 0.1;
constexpr double kFiguresStep = 0.05;

// The target line: a colour of its own beside the black lines, dashed, so
// it reads as a mark and not as runs.
const QColor kTargetColour(0, 128, 0);
constexpr double kTargetWidth = 2;

const QColor kBestColour(255, 0, 0); // &H000000FF
const QColor kRunColour(0, 0, 255); // &H00FF0000

double screenPixels(const GraphSurface &surface, double pixels)
{
    return pixels * surface.dpi / 96.0;
}

// Text placed by its top-left corner, as the drawing positions give it.
void textAt(QPainter &painter, double x, double y, const QString &text)
{
    painter.drawText(QPointF(x, y + QFontMetricsF(painter.font()).ascent()), text);
}

double lineHeight(const QPainter &painter)
{
    return QFontMetricsF(painter.font()).height();
}

QPen pen(const GraphSurface &surface, double width, const QColor &colour = Qt::black)
{
    QPen p(colour);
    p.setWidthF(screenPixels(surface, width));
    p.setCapStyle(Qt::RoundCap);
    return p;
}

// Places the labels of one strip so that none stands on another: a label
// keeps the place the drawing rules give it unless a label placed before it
// is there; then it moves by whole lines, down first, to the nearest free
// place between its limits. Each label is written on a white backing, so
// the best line and the target line never run through its text.
class LabelPlacer {
public:
    explicit LabelPlacer(QPainter &painter)
        : painter_(painter)
    {
    }

    // Lines written one under the other from (x, y), kept between top and
    // bottom (a block taller than that keeps to top).
    void put(double x, double y, const QStringList &lines, double top, double bottom)
    {
        const QFontMetricsF metrics(painter_.font());
        const double line = metrics.height();
        double width = 0;
        for (const QString &text : lines)
            width = std::max(width, metrics.horizontalAdvance(text));
        const double height = line * double(lines.size());
        const auto at = [&](double wantedY) {
            return QRectF(x, std::max(top, std::min(wantedY, bottom - height)), width, height);
        };
        QRectF box = at(y);
        if (!isFree(box)) {
            for (int step = 1; step <= kTries; ++step) {
                if (const QRectF down = at(y + step * line); isFree(down)) {
                    box = down;
                    break;
                }
                if (const QRectF up = at(y - step * line); isFree(up)) {
                    box = up;
                    break;
                }
            }
        }
        painter_.fillRect(box, Qt::white);
        for (qsizetype i = 0; i < lines.size(); ++i)
            painter_.drawText(QPointF(box.x(), box.y() + double(i) * line + metrics.ascent()), lines[i]);
        labels_.push_back(StripLabel { lines.join(QLatin1Char(' ')), box });
    }

    // Where the rules put the label whatever else is there.
    void putFixed(double x, double y, const QString &text)
    {
        constexpr double kAnywhere = 1e12;
        put(x, y, { text }, -kAnywhere, kAnywhere);
    }

    std::vector<StripLabel> take() { return std::move(labels_); }

private:
    // Enough to step past every label of a crowded strip; a label that
    // finds no free place keeps its own.
    static constexpr int kTries = 8;

    bool isFree(const QRectF &box) const
    {
        return std::none_of(
            labels_.begin(), labels_.end(), [&](const StripLabel &label) { return label.box.intersects(box); });
    }

    QPainter &painter_;
    std::vector<StripLabel> labels_;
};

} // namespace

int graphTimeMax(int largestTime)
{
    return std::min(10 * (std::max(largestTime, 0) / 10 + 1), 1000);
}

StripData collectStrip(const SharedState &state, std::span<const ResultRecord> records, int firstRecordNumber,
    const QDate &today, int level, int pupil, const QString &gradeFilter,
    const std::function<void(int recordNumber)> &progress)
{
    StripData data;
    const int levelCount = std::clamp(int(state.LevelCount), 0, kMaxLevel);
    if (level < 1 || level > levelCount)
        return data;
    const int recordCount = firstRecordNumber + int(records.size()) - 1;
    const int first = std::max(firstRecordToRead(RunList::OnePupil, recordCount), firstRecordNumber);
    const double since = oledate::fromDate(today) - kGraphDays;
    const bool plotsPupil
        = pupil >= 1 && pupil <= kMaxPupil && PassesGradeFilter(gradeFilter, hubPupilGrade(state, pupil));

    // One pass gathers what the strip needs: the pupil's runs and the
    // school's figures of the level. The axis top is only needed when the
    // points are placed.
    int best = 0;
    for (int number = first; number <= recordCount; ++number) {
        if (progress && number % 256 == 0)
            progress(number);
        const ResultRecord &r = records[size_t(number - firstRecordNumber)];
        if (r.level != level || r.pupilNumber < 1 || r.pupilNumber > kMaxPupil || !(r.date > since))
            continue;
        if (r.seconds < kListedAsFailedSeconds && (!data.schoolBest || r.seconds < *data.schoolBest))
            data.schoolBest = r.seconds;
        if (r.seconds >= kGraphUnplottedTime)
            continue;
        ++data.schoolRunCount;
        data.schoolTimeSum += r.seconds;
        if (r.pupilNumber != pupil)
            continue;
        ++data.runCount;
        data.runTimeSum += r.seconds;
        data.largestTime = std::max(data.largestTime, int(r.seconds));
        if (!plotsPupil)
            continue;
        GraphRun run;
        run.k = data.runCount;
        run.seconds = r.seconds;
        run.date = r.date;
        // Only a strictly faster run is a new best: a run equal to the best
        // so far stays blue.
        run.personalBest = data.personalBests.empty() || r.seconds < best;
        if (run.personalBest) {
            best = r.seconds;
            data.personalBests.push_back(data.plotted.size());
        }
        data.plotted.push_back(run);
    }
    data.timeMax = graphTimeMax(data.largestTime);
    if (progress)
        progress(recordCount);
    return data;
}

std::vector<StripPlace> stripPlaces(int strips, double height)
{
    std::vector<StripPlace> places;
    double top = 0.05 * height - 0.3 * height;
    for (int i = 0; i < strips; ++i) {
        StripPlace place;
        top += 0.3 * height;
        if (top > 0.9 * height) {
            place.newPageFirst = true;
            top = 0.05 * height;
        }
        place.top = top;
        places.push_back(place);
    }
    return places;
}

QPointF graphRunPosition(const GraphSurface &surface, double stripTop, int k, int runCount, int seconds, int timeMax)
{
    const double w2 = surface.width() / 2;
    const double u = kStripUnit * surface.height() / 2;
    const double x = runCount > 0 ? w2 * (0.2 + 0.7 * k / runCount) : w2 * 0.2;
    const double shown = timeMax > 0 ? std::min(seconds, timeMax) / double(timeMax) : 0.0;
    return QPointF(x, stripTop + u * (0.8 - 0.7 * shown));
}

QFont graphFont(const GraphSurface &surface, double points)
{
    QFont font(kGothicFixed);
    font.setPixelSize(std::max(1, int(std::lround(points * surface.dpi / 72.0))));
    return font;
}

QString personalBestDate(const StripData &data, size_t bestIndex)
{
    const QString date = runDateText(data.plotted[data.personalBests[bestIndex]].date);
    if (bestIndex == 0)
        return date;
    const QString before = runDateText(data.plotted[data.personalBests[bestIndex - 1]].date);
    return date.left(5) == before.left(5) ? date.right(5) : date;
}

TargetMark targetMark(int targetTime, const StripData &data)
{
    if (targetTime <= 0 || data.plotted.empty())
        return TargetMark::None;
    return targetTime > data.timeMax ? TargetMark::AboveAxis : TargetMark::Line;
}

QString targetLabel(int targetTime, TargetMark mark)
{
    switch (mark) {
    case TargetMark::Line:
        return QStringLiteral("目標 %1秒").arg(targetTime);
    case TargetMark::AboveAxis:
        return QStringLiteral("目標 %1秒↑").arg(targetTime);
    case TargetMark::None:
        break;
    }
    return QString();
}

std::vector<StripLabel> drawGraphStrip(
    QPainter &painter, const GraphSurface &surface, double stripTop, const StripPicture &picture)
{
    const double w = surface.width();
    const double h = surface.height();
    const double w2 = w / 2;
    const double h2 = h / 2;
    const double u = kStripUnit * h2;
    const StripData &data = picture.data;

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, surface.paper);
    painter.setPen(Qt::black);

    // The name heads the first strip of each screen or page; on paper the
    // grade, number, school and print date stand beside it, at the right
    // edge, or under it when a long name reaches that far.
    if (stripTop < 0.08 * h && !picture.pupilName.isEmpty()) {
        painter.setFont(graphFont(surface, 3 * kGraphFontSize));
        textAt(painter, 0.01 * w2, 0.02 * h2, picture.pupilName);
        const QFontMetricsF nameMetrics(painter.font());
        const double nameRight = 0.01 * w2 + nameMetrics.horizontalAdvance(picture.pupilName);
        const double nameBottom = 0.02 * h2 + nameMetrics.height();
        if (surface.paper && !picture.pageHeader.isEmpty()) {
            painter.setFont(graphFont(surface, 1.5 * kGraphFontSize));
            const QFontMetricsF metrics(painter.font());
            const double x = w - 0.01 * w2 - metrics.horizontalAdvance(picture.pageHeader);
            const double under = std::min(nameBottom, stripTop - metrics.height() - screenPixels(surface, kFrameWidth));
            textAt(painter, x, x > nameRight + 0.02 * w2 ? 0.02 * h2 : under, picture.pageHeader);
        }
    }

    painter.setPen(pen(surface, kFrameWidth));
    painter.drawLine(QPointF(0, stripTop), QPointF(w, stripTop));
    painter.drawLine(QPointF(0, stripTop + 0.09 * u), QPointF(w, stripTop + 0.09 * u));
    painter.setPen(Qt::black);
    painter.setFont(graphFont(surface, (surface.paper ? 3 : 2) * kGraphFontSize));
    textAt(painter, 0.7 * w2, stripTop + 0.01 * u, picture.title);

    const double axisY = stripTop + 0.8 * u;
    painter.setPen(pen(surface, kPointWidth));
    painter.drawLine(QPointF(0.2 * w2, axisY), QPointF(0.9 * w2, axisY));
    painter.drawLine(QPointF(0.2 * w2, axisY), QPointF(0.2 * w2, stripTop + 0.1 * u));

    const auto position = [&](const GraphRun &run) {
        return graphRunPosition(surface, stripTop, run.k, data.runCount, run.seconds, data.timeMax);
    };

    const TargetMark mark = targetMark(picture.targetTime, data);
    const double targetY = graphRunPosition(surface, stripTop, 0, data.runCount, picture.targetTime, data.timeMax).y();
    if (mark == TargetMark::Line) {
        QPen dashed = pen(surface, kTargetWidth, kTargetColour);
        dashed.setCapStyle(Qt::FlatCap);
        dashed.setDashPattern({ 4, 3 });
        painter.setPen(dashed);
        painter.drawLine(QPointF(0.2 * w2, targetY), QPointF(0.9 * w2, targetY));
    }

    // The line joining the personal bests goes under the points, so every
    // point keeps its colour where the line passes through it.
    if (data.personalBests.size() > 1) {
        painter.setPen(pen(surface, kBestLineWidth));
        for (size_t i = 1; i < data.personalBests.size(); ++i)
            painter.drawLine(
                position(data.plotted[data.personalBests[i - 1]]), position(data.plotted[data.personalBests[i]]));
    }
    painter.setPen(Qt::black);

    // Statistics beside the graph.
    painter.setFont(graphFont(surface, 1.5 * kGraphFontSize));
    for (int i = 0; i < picture.statistics.size(); ++i)
        textAt(painter, 1.05 * w2, stripTop + kFiguresTop * u + i * kFiguresStep * h2, picture.statistics[i]);

    const double dot = screenPixels(surface, kPointWidth);
    LabelPlacer labels(painter);
    if (!data.personalBests.empty()) {
        painter.setFont(graphFont(surface, kGraphFontSize));
        const double line = lineHeight(painter);
        // Labels inside the plot stay under the title band and above the x
        // axis line; the dates under the axis stay above the next strip.
        const double plotTop = stripTop + 0.09 * u + screenPixels(surface, kFrameWidth) / 2;
        const double plotBottom = axisY - dot / 2;
        const double datesTop = axisY + dot / 2;
        const double datesBottom = stripTop + 0.3 * h;

        const QPointF last = position(data.plotted.back());
        labels.putFixed(last.x() - 0.025 * w2, stripTop + 0.815 * u, runDateText(data.plotted.back().date));
        labels.putFixed(0.12 * w2, stripTop + 0.79 * u, QStringLiteral("0秒"));
        labels.putFixed(0.12 * w2, stripTop + 0.1 * u, QString::number(data.timeMax) + QStringLiteral("秒"));

        const size_t bests = data.personalBests.size();
        const auto timeText = [&](size_t i) {
            return QString::number(data.plotted[data.personalBests[i]].seconds) + QStringLiteral("秒");
        };
        const auto at = [&](size_t i) { return position(data.plotted[data.personalBests[i]]); };

        // The first: its time on the time axis, its date on a row of its
        // own under the axis (the newest run's date takes the first row).
        labels.put(0.12 * w2, at(0).y() - line / 2, { timeText(0) }, plotTop, plotBottom);
        labels.put(at(0).x(), stripTop + 0.815 * u + line, { personalBestDate(data, 0) }, datesTop, datesBottom);
        // Every third from the second to the third-last, under the point.
        if (bests > 5) {
            for (size_t i = 1; i + 2 < bests; i += 3) {
                const QPointF p = at(i);
                labels.put(p.x(), p.y() + dot, { timeText(i), personalBestDate(data, i) }, plotTop, plotBottom);
            }
        }
        // The last, beside the point.
        const QPointF p = at(bests - 1);
        labels.put(
            p.x() + dot, p.y() - line, { timeText(bests - 1), personalBestDate(data, bests - 1) }, plotTop, plotBottom);

        // The target's value at the right end of its line; a target above
        // the axis top is said inside the plot, at its top right corner (the
        // longer text would run into the figures beside the plot).
        if (mark == TargetMark::Line) {
            labels.put(
                0.9 * w2 + dot, targetY - line / 2, { targetLabel(picture.targetTime, mark) }, plotTop, plotBottom);
        } else if (mark == TargetMark::AboveAxis) {
            const QString text = targetLabel(picture.targetTime, mark);
            const double width = QFontMetricsF(painter.font()).horizontalAdvance(text);
            labels.put(0.9 * w2 - width, stripTop + 0.1 * u, { text }, plotTop, plotBottom);
        }
    }

    // The points go over the labels' backings: a label never hides a run.
    painter.setPen(Qt::NoPen);
    for (const GraphRun &run : data.plotted) {
        painter.setBrush(run.personalBest ? kBestColour : kRunColour);
        painter.drawEllipse(position(run), dot / 2, dot / 2);
    }
    painter.setBrush(Qt::NoBrush);
    painter.restore();
    return labels.take();
}
