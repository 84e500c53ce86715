// SPDX-License-Identifier: MIT
#include "results/result_lines.h"
#include "platform/number_text.h"
#include "results/result_record.h"
#include "state/shared_state.h"

QString resultTimeLine(std::int32_t recordedTime)
{
    if (recordedTime >= kFailedRunSeconds)
        return QStringLiteral("記録なし");
    return QStringLiteral("今の成績：%1秒").arg(recordedTime);
}

QString resultPointsLine(std::int32_t basePoints, float multiplier, std::int32_t earnedPoints)
{
    return QStringLiteral("獲得ポイント：%1点×%2→%3点")
        .arg(basePoints)
        .arg(numtext::formatSingle(multiplier))
        .arg(earnedPoints);
}

QString resultLevelRunLine(float todayRunCount)
{
    return QStringLiteral(" (このレベル　%1回目)").arg(numtext::formatSingle(todayRunCount));
}

QString resultTodayTotalLine(int todayRunTotal)
{
    return QStringLiteral("（%1回目)").arg(todayRunTotal);
}

ResultMessage resultMessage(const SharedState &state, std::int32_t recordedTime, std::int32_t passLineTime)
{
    if (state.TimeUp == 1)
        return ResultMessage::TimeUp;
    if (state.NewOwnRecord == 1 && state.NewTopRecord != 1)
        return ResultMessage::OwnRecord;
    if (state.NewTopRecord == 1)
        return ResultMessage::TopRecord;
    return recordedTime <= passLineTime ? ResultMessage::NoRecordSound : ResultMessage::Silent;
}

QString resultMessageText(ResultMessage message)
{
    switch (message) {
    case ResultMessage::TimeUp:
        return QStringLiteral("時間切れ");
    case ResultMessage::OwnRecord:
        return QStringLiteral("新記録おめでとう");
    case ResultMessage::TopRecord:
        return QStringLiteral("！！！最高新記録！！！");
    default:
        return QString();
    }
}

bool goalBannerAllowed(const SharedState &state)
{
    for (int level = 1; level <= kMaxLevel; ++level)
        if (state.ClearCount[size_t(level)] == kNoClearCriterion)
            return false;
    return true;
}

bool againWithheld(bool overPractised, bool passed, int level, int goalLevel, int goalCleared)
{
    return overPractised && passed && level != goalLevel && goalCleared == 0;
}
