// SPDX-License-Identifier: MIT
// Test doubles for the platform services.
#pragma once

#include "platform/clock.h"
#include "platform/fatal_error.h"
#include "platform/platform.h"
#include "platform/program_launcher.h"
#include "platform/sound_output.h"
#include "platform/wait_notice.h"

#include <QStringList>
#include <functional>
#include <vector>

// A clock that stands still until a test moves it.
class FakeClock final : public Clock {
public:
    explicit FakeClock(QDateTime start = QDateTime(QDate(2026, 12, 9), QTime(10, 0, 0)))
        : now_(std::move(start))
    {
    }
    QDateTime now() const override { return now_; }
    qint64 tickMs() const override { return tick_; }
    // Waiting moves the clock on at once; the waits are recorded.
    void waitResponsive(int ms) override
    {
        waits.push_back(ms);
        advanceMs(ms);
    }

    void set(const QDateTime &t) { now_ = t; }
    void advanceMs(qint64 ms)
    {
        now_ = now_.addMSecs(ms);
        tick_ += ms;
    }
    void advanceSeconds(double s) { advanceMs(qint64(s * 1000)); }

    std::vector<int> waits;

private:
    QDateTime now_;
    qint64 tick_ = 1000000;
};

// Records "message, then end the program" instead of ending the test.
class RecordingFatal final : public FatalErrors {
public:
    void fatal(const QString &title, const QString &message) override
    {
        titles << title;
        messages << message;
        if (whileShown)
            whileShown();
    }
    bool called() const { return !messages.isEmpty(); }
    QStringList titles;
    QStringList messages;
    // Runs while the message "is on screen", as events do behind a real box.
    std::function<void()> whileShown;
};

// Plays nothing; records each file and answers with the codes queued.
class FakeSound final : public SoundOutput {
public:
    int play(const QString &path) override
    {
        played << path;
        if (results.empty())
            return 0;
        const int code = results.front();
        results.erase(results.begin());
        return code;
    }
    QString errorText(int code) const override { return QStringLiteral("fake error %1").arg(code); }

    QStringList played;
    std::vector<int> results; // codes for the next plays; 0 when empty
};

class FakeLauncher final : public ProgramLauncher {
public:
    bool start(const QString &program, const QStringList &arguments, QString *error) override
    {
        programs << program;
        argumentLists.push_back(arguments);
        if (!succeed && error)
            *error = QStringLiteral("cannot start");
        return succeed;
    }
    QStringList programs;
    std::vector<QStringList> argumentLists;
    bool succeed = true;
};

// Records what the screen would say while the program waits.
class RecordingNotice final : public WaitNotice {
public:
    void show(const QString &text) override
    {
        shown << text;
        showing = true;
    }
    void clear() override { showing = false; }
    QStringList shown;
    bool showing = false;
};

// All fakes together, with the Platform that refers to them.
struct FakePlatform {
    FakeClock clock;
    RecordingFatal fatal;
    FakeSound sound;
    FakeLauncher launcher;
    RecordingNotice notice;
    Platform platform { clock, fatal, sound, launcher, &notice };
};
