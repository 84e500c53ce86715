// SPDX-License-Identifier: MIT
#include "hub/graph_statistics.h"
#include "results/result_record.h"

#include <cmath>

namespace {

const QString kTwelveIdeographicSpaces = QString(12, QChar(0x3000));

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
