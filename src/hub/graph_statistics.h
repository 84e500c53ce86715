// SPDX-License-Identifier: MIT
// The block of figures beside each graph strip: how a pupil's runs at a
// level compare with the whole school (time rank, best and average time,
// points rank, points earned, the school's average points). The lines are
// laid out for a fixed-pitch face: numbers are right-aligned by taking the
// last characters of a blank-padded text.
#pragma once

#include "hub/graph_drawing.h"
#include "hub/rankings.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

// A number as the graphs write it: a whole number without leading zeros,
// rounded to nearest with halves away from zero.
QString graphWholeNumber(double value);

// The last n characters of six blanks followed by the text.
QString graphRightAligned(const QString &text, int n);

// Where a pupil stands in the two rankings of a level (the time ranking and
// the cumulative-points ranking), found by pupil number.
struct LevelStanding {
    QString timeRank; // "--" without a run or without a row
    QString pointsRank; // "--" without a row
    std::int64_t pupilPoints = 0; // the pupil's cumulative points
    int pointPupils = 0; // rows with points above 0
    std::int64_t pointSum = 0; // and their points
};

LevelStanding levelStanding(const LevelRanking &timeRanking, const LevelRanking &pointsRanking, int pupil);

// The figures of one strip.
struct StripFigures {
    int runCount = 0; // the pupil's runs under 1800 s
    std::int64_t runTimeSum = 0;
    std::optional<int> bestTime; // the last personal best plotted
    std::optional<int> schoolBest; // the school's smallest successful time
    std::int64_t schoolRunCount = 0; // all pupils' runs under 1800 s
    std::int64_t schoolTimeSum = 0;
    LevelStanding standing;
};

// The lines of the block, top to bottom: ten at most; the average line is
// left out without runs, the school's average points (two lines) when no
// pupil holds points.
QStringList graphStatisticsLines(const StripFigures &figures);

// Whether a pupil's runs at a level are getting faster: the mean time of the
// last five plotted runs against the mean of the five before them (with
// fewer than ten runs, the last half against the half before it; a single
// run has no trend). A change within 5 % of the earlier mean counts as
// staying the same.
enum class Trend { Unknown, Faster, Same, Slower };
struct StripTrend {
    Trend trend = Trend::Unknown;
    int runs = 0; // runs in each of the two means
    double recentMean = 0;
    double earlierMean = 0;
};
StripTrend stripTrend(const StripData &data);

// What a strip shows, as one text for a screen reader: the level, the runs,
// the best and the last time, the target and the trend.
QString stripSummary(const QString &title, const StripData &data, int targetTime);
