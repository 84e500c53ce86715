// SPDX-License-Identifier: MIT
// Helpers for the results tests: a shared state pointing at a temporary
// data folder, records built and written as raw bytes, and a clock whose
// waits can change the world (free a lock, create a folder).
#pragma once

#include "platform/clock.h"
#include "results/result_record.h"
#include "state/shared_state.h"
#include "support/fakes.h"

#include <QByteArray>
#include <QFile>
#include <QTemporaryDir>
#include <functional>
#include <memory>
#include <vector>

namespace results_test {

inline ResultRecord makeRecord(double date, int pupil, int level, int seconds)
{
    ResultRecord r;
    r.date = date;
    r.timeOfDay = 0.5;
    r.pupilNumber = std::int16_t(pupil);
    r.level = std::int16_t(level);
    r.seconds = seconds;
    return r;
}

inline QByteArray bytesOf(const std::vector<ResultRecord> &records)
{
    QByteArray out;
    for (const ResultRecord &r : records)
        out += encodeRecord(r);
    return out;
}

inline void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    f.write(bytes);
}

inline QByteArray readFile(const QString &path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

// A clock standing at a fixed time whose waits run a hook (after being
// recorded), so a test can end a busy or missing-file condition mid-wait.
class HookClock final : public Clock {
public:
    QDateTime now() const override { return now_; }
    qint64 tickMs() const override { return tick_; }
    void waitResponsive(int ms) override
    {
        waits.push_back(ms);
        tick_ += ms;
        if (onWait)
            onWait(int(waits.size()));
    }
    QDateTime now_ = QDateTime(QDate(2026, 12, 9), QTime(10, 0, 0));
    qint64 tick_ = 0;
    std::vector<int> waits;
    std::function<void(int)> onWait; // argument: how many waits so far
};

// A shared state whose program data folder is a fresh temporary folder,
// with the four default criteria rows.
struct ResultsEnv {
    QTemporaryDir dir;
    std::unique_ptr<SharedState> state = std::make_unique<SharedState>();
    FakePlatform fakes;

    ResultsEnv()
    {
        state->ProgramDataFolder = dir.path() + QStringLiteral("/");
        state->ProgramName = QStringLiteral("ルカミナ");
        for (size_t l = 1; l <= 4; ++l) {
            state->TargetTime[l] = 60;
            state->PassLineTime[l] = 120;
            state->ClearPoints[l] = 100;
            state->ClearCount[l] = 5;
            state->PointMultiplier[l] = 1;
            state->OverPracticeCount[l] = ItemValue::fromNumber(20);
            state->OverPracticePoints[l] = ItemValue::fromNumber(300);
            state->JudgePeriodDays[l] = ItemValue::fromNumber(7);
            state->OverPracticePeriodDays[l] = ItemValue::fromNumber(1);
        }
    }
    QString resultsPath() const { return state->ProgramDataFolder + QStringLiteral("成績累積データ.dat"); }
    double today() const { return oledate::fromDate(fakes.clock.today()); }
    void writeRecords(const std::vector<ResultRecord> &records) const { writeFile(resultsPath(), bytesOf(records)); }
};

} // namespace results_test
