// SPDX-License-Identifier: MIT
// The points a run earns from its time and the level's target time. Three
// places compute them, each in its own way, and the differences are visible
// to pupils (a 1234-second run, a time-up, the multiplier), so each way has
// its own function here:
//  - the counts behind pass and over-practice judgment (countedRunPoints);
//  - the result screen after a run (resultBasePoints, resultEarnedPoints);
//  - the hub's lists of runs (listRunPoints).
#pragma once

#include <cstdint>

// The number formed by the first three characters of the time written in
// decimal: the time itself below 1000 s, 123 for 1234 s, -12 for -1234 s.
std::int32_t firstThreeCharsValue(std::int32_t seconds);

// Points a record contributes to the counts: the first-three-characters
// rule for the graded branch, nothing from kFailedRunSeconds on (a
// time-up), then the level's multiplier, rounded down.
std::int32_t countedRunPoints(std::int32_t seconds, std::int32_t targetTime, float multiplier);
// The same before the multiplier.
std::int32_t countedBasePoints(std::int32_t seconds, std::int32_t targetTime);
// The most base points a run can earn with a sound time (0 s at a target).
inline constexpr std::int32_t kMaxGradedPoints = 55;

// The result screen's base points: the graded formula on the recorded time
// itself, nothing from kFailedRunSeconds on.
std::int32_t resultBasePoints(std::int32_t recordedTime, std::int32_t targetTime);
// Earned points, for the result screen and the counts alike: base points
// times the multiplier in single precision, rounded down.
std::int32_t resultEarnedPoints(std::int32_t basePoints, float multiplier);

// Points shown in the hub's lists: the first-three-characters rule, no
// multiplier and no time-up cut-off (those rows show no points anyway).
std::int32_t listRunPoints(std::int32_t seconds, std::int32_t targetTime);
