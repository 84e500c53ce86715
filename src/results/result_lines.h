// SPDX-License-Identifier: MIT
// What the end-of-drill result screen says, worked out without the window:
// the time and points lines, the message with its sound, and whether another
// run at the same level is offered.
#pragma once

#include <QString>
#include <cstdint>

struct SharedState;

// "今の成績：" + seconds + "秒", or "記録なし" for a time-up or worse.
QString resultTimeLine(std::int32_t recordedTime);
// "獲得ポイント：11点×1.5→16点"
QString resultPointsLine(std::int32_t basePoints, float multiplier, std::int32_t earnedPoints);
// " (このレベル　" + count + "回目)"
QString resultLevelRunLine(float todayRunCount);
// "（" + total + "回目)"
QString resultTodayTotalLine(int todayRunTotal);

// The message and sound after a run, in their order of precedence.
enum class ResultMessage {
    TimeUp, // "時間切れ", silent
    OwnRecord, // "新記録おめでとう", own-record sound
    TopRecord, // "！！！最高新記録！！！", top-record sound
    NoRecordSound, // no message; the no-record sound (at or under the pass line)
    Silent, // no message, no sound
};
ResultMessage resultMessage(const SharedState &state, std::int32_t recordedTime, std::int32_t passLineTime);
QString resultMessageText(ResultMessage message);

// The goal banner is shown for the goal level only when every level 1..35
// has a clear criterion (kNoClearCriterion).
bool goalBannerAllowed(const SharedState &state);

// "もう一度" is withheld from a pupil who has passed and over-practised a
// level below the goal while the goal is not yet cleared.
bool againWithheld(bool overPractised, bool passed, int level, int goalLevel, int goalCleared);
