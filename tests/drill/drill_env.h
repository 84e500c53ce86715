// SPDX-License-Identifier: MIT
// A complete installation for the drill and result-screen tests: the
// default data root loaded as start-up loads it, a signed-in pupil, a clock
// that stands still until moved, sounds that take the time a test gives
// them, and a navigator that opens the real screens.
#pragma once

#include "platform/clock.h"
#include "platform/platform.h"
#include "platform/sound_output.h"
#include "results/counts.h"
#include "results/result_record.h"
#include "startup/startup_loader.h"
#include "state/level_table.h"
#include "state/shared_state.h"
#include "support/data_root.h"
#include "support/fakes.h"
#include "support/screen_navigator.h"

#include <QFile>
#include <memory>
#include <vector>

namespace drill_test {

// Plays nothing; each sound takes `durationMs` on the fake clock and answers
// with the queued codes (0 when none are queued).
class ClockedSound final : public SoundOutput {
public:
    explicit ClockedSound(FakeClock &clock)
        : clock_(clock)
    {
    }
    int play(const QString &path) override
    {
        played << path;
        clock_.advanceMs(durationMs);
        if (codes.empty())
            return 0;
        const int code = codes.front();
        codes.erase(codes.begin());
        return code;
    }
    QString errorText(int code) const override { return QStringLiteral("error %1").arg(code); }
    int count(const QString &file) const
    {
        int n = 0;
        for (const QString &p : played)
            n += p.endsWith(QLatin1Char('/') + file) ? 1 : 0;
        return n;
    }

    QStringList played;
    int durationMs = 0;
    std::vector<int> codes;

private:
    FakeClock &clock_;
};

struct DrillEnv {
    TestInstall install;
    std::unique_ptr<SharedState> state = std::make_unique<SharedState>();
    FakeClock clock;
    RecordingFatal fatal;
    ClockedSound sound { clock };
    FakeLauncher launcher;
    Platform platform { clock, fatal, sound, launcher };
    ScreenNavigator navigator { *state, platform };

    explicit DrillEnv(const QDateTime &start = QDateTime(QDate(2026, 12, 9), QTime(10, 0, 0)))
    {
        clock.set(start);
        install.writeDefaults();
        if (!LoadPathsAndSettings(*state, platform, install.programFolder()))
            qFatal("the test installation does not load");
        fillLevelTable(*state);
        state->PupilNumber = 7;
        state->PupilName = QStringLiteral("  山田　花子 ");
        state->SignInTime = qint32(clock.secondsSinceMidnight()) - 600;
        state->CurrentLevel = 1;
    }

    QString resultsPath() const { return state->ProgramDataFolder + QStringLiteral("成績累積データ.dat"); }
    double today() const { return oledate::fromDate(clock.today()); }

    void writeRecords(const std::vector<ResultRecord> &records) const
    {
        QByteArray bytes;
        for (const ResultRecord &r : records)
            bytes += encodeRecord(r);
        install.writeBytes(resultsPath(), bytes);
    }
    // A run of `pupil` at `level` today.
    ResultRecord run(int level, int seconds, int pupil = 7) const
    {
        ResultRecord r;
        r.date = today();
        r.timeOfDay = 0.4;
        r.pupilNumber = std::int16_t(pupil);
        r.level = std::int16_t(level);
        r.seconds = seconds;
        return r;
    }
    std::vector<ResultRecord> records() const
    {
        QFile file(resultsPath());
        std::vector<ResultRecord> out;
        if (!file.open(QIODevice::ReadOnly))
            return out;
        const QByteArray bytes = file.readAll();
        for (qsizetype at = 0; at + kRecordLength <= bytes.size(); at += kRecordLength)
            out.push_back(decodeRecord(bytes.constData() + at));
        return out;
    }
    // What the hub does before it starts a run.
    void count()
    {
        if (!回数求(*state, platform))
            qFatal("counting failed");
    }
};

} // namespace drill_test
