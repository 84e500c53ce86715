// SPDX-License-Identifier: MIT
#include "hub/graph_statistics.h"
#include "results/result_record.h"

#include <algorithm>
#include <cmath>

namespace {

const QString kTwelveIdeographicSpaces = QString(12, QChar(0x3000));

constexpr int kTrendRuns = 5;
constexpr double kSameShare = 0.05;

double meanSeconds(const std::vector<GraphRun> &runs, size_t from, size_t count)
{
    double sum = 0;
    for (size_t i = from; i < from + count; ++i)
        sum += runs[i].seconds;
    return sum / double(count);
}

} // namespace

QString graphWholeNumber(double value)
{
    if (!std::isfinite(value))
        return QString();
    return QString::number(std::llround(value));
}

QString graphRightAligned(const QString &text, int n)
{
    return (QStringLiteral("      ") + text).right(n);
}

LevelStanding levelStanding(const LevelRanking &timeRanking, const LevelRanking &pointsRanking, int pupil)
{
    LevelStanding standing;
    standing.timeRank = QStringLiteral("--");
    standing.pointsRank = QStringLiteral("--");
    for (const RankedRow &row : timeRanking.entries) {
        if (row.pupil != pupil)
            continue;
        if (row.value != kNoBestTime)
            standing.timeRank = QString::number(row.rank);
        break;
    }
    bool found = false;
    for (const RankedRow &row : pointsRanking.entries) {
        if (row.value > 0) {
            ++standing.pointPupils;
            standing.pointSum += row.value;
        }
        if (!found && row.pupil == pupil) {
            found = true;
            standing.pointsRank = QString::number(row.rank);
            standing.pupilPoints = row.value;
        }
    }
    return standing;
}

QStringList graphStatisticsLines(const StripFigures &f)
{
    const auto n = [](double value, int width) { return graphRightAligned(graphWholeNumber(value), width); };
    QStringList lines;
    lines << QStringLiteral("回数　　　　　　　") + n(f.runCount, 3) + QStringLiteral("回");
    lines << QStringLiteral("タイム  　　 　    本人 / 塾全体");
    lines << QStringLiteral("　　順位　　　　") + graphRightAligned(f.standing.timeRank, 5) + QStringLiteral("位");
    const QString best = f.bestTime ? QString::number(*f.bestTime) + QStringLiteral("秒") : QString();
    const QString schoolBest = f.schoolBest ? graphWholeNumber(*f.schoolBest) : QString();
    lines << QStringLiteral("　　最高　　　　") + graphRightAligned(best, 6) + QStringLiteral(" /")
            + graphRightAligned(schoolBest, 5) + QStringLiteral("秒");
    if (f.runCount != 0) {
        // The pupil's average is cut down to whole seconds, the school's is
        // rounded: the two sides are worked out differently on purpose.
        const double own = std::floor(double(f.runTimeSum) / f.runCount);
        const QString school
            = f.schoolRunCount > 0 ? graphWholeNumber(double(f.schoolTimeSum) / double(f.schoolRunCount)) : QString();
        lines << QStringLiteral("　　平均　　　　") + n(own, 5) + QStringLiteral("秒") + QStringLiteral(" /")
                + graphRightAligned(school, 5) + QStringLiteral("秒");
    }
    lines << QStringLiteral("ポイント  　　　");
    lines << QStringLiteral("　　順位　　　　") + graphRightAligned(f.standing.pointsRank, 5) + QStringLiteral("位");
    lines << QStringLiteral("　　獲得ポイント") + n(double(f.standing.pupilPoints), 5) + QStringLiteral("点");
    if (f.standing.pointPupils != 0) {
        lines << kTwelveIdeographicSpaces + QStringLiteral("/")
                + n(double(f.standing.pointSum) / f.standing.pointPupils, 5) + QStringLiteral("点");
        lines << kTwelveIdeographicSpaces + QStringLiteral(" (塾平均)");
    }
    return lines;
}

StripTrend stripTrend(const StripData &data)
{
    StripTrend t;
    const size_t n = data.plotted.size();
    const size_t m = std::min<size_t>(kTrendRuns, n / 2);
    if (m == 0)
        return t;
    t.runs = int(m);
    t.recentMean = meanSeconds(data.plotted, n - m, m);
    t.earlierMean = meanSeconds(data.plotted, n - 2 * m, m);
    if (std::abs(t.recentMean - t.earlierMean) <= kSameShare * t.earlierMean)
        t.trend = Trend::Same;
    else
        t.trend = t.recentMean < t.earlierMean ? Trend::Faster : Trend::Slower;
    return t;
}

QString stripSummary(const QString &title, const StripData &data, int targetTime)
{
    QString text = title + QStringLiteral("。回数 %1回").arg(data.runCount);
    if (data.plotted.empty()) {
        text += QStringLiteral("、グラフに記録なし。");
    } else {
        const auto best = std::min_element(data.plotted.begin(), data.plotted.end(),
            [](const GraphRun &a, const GraphRun &b) { return a.seconds < b.seconds; });
        text += QStringLiteral("、最高 %1秒、最後 %2秒。").arg(best->seconds).arg(data.plotted.back().seconds);
    }
    if (targetTime > 0)
        text += QStringLiteral("目標 %1秒。").arg(targetTime);
    const StripTrend t = stripTrend(data);
    const QString means = QStringLiteral("（最近%1回の平均 %2秒、その前の%1回の平均 %3秒）")
                              .arg(t.runs)
                              .arg(graphWholeNumber(t.recentMean), graphWholeNumber(t.earlierMean));
    switch (t.trend) {
    case Trend::Faster:
        text += QStringLiteral("速くなっています") + means + QStringLiteral("。");
        break;
    case Trend::Slower:
        text += QStringLiteral("遅くなっています") + means + QStringLiteral("。");
        break;
    case Trend::Same:
        text += QStringLiteral("ほぼ同じです") + means + QStringLiteral("。");
        break;
    case Trend::Unknown:
        if (!data.plotted.empty())
            text += QStringLiteral("変化はまだ分かりません。");
        break;
    }
    return text;
}
