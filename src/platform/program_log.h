// SPDX-License-Identifier: MIT
// The program's own log for the administrator: errors that end the
// program, notices of waits only a person can end, and what start-up did
// about sound and the daily copy. Started from a menu, the program has no
// terminal, so without it nobody sees why a PC stopped in the morning.
//
// One file per user, $XDG_STATE_HOME/rukamina/rukamina.log
// (~/.local/state/rukamina/ when unset), UTF-8, one timestamped entry per
// line (continuation lines indented). When an entry would take the file
// past its limit the file becomes rukamina.log.1 (an older .1 goes) and a
// new one starts, so the log never holds more than about twice the limit.
// Writing never stops the program: a log that cannot be written is skipped.
#pragma once

#include "platform/fatal_error.h"
#include "platform/wait_notice.h"

#include <QString>

class Clock;

class ProgramLog {
public:
    static constexpr qint64 kDefaultLimit = 1024 * 1024;

    ProgramLog(QString path, const Clock &clock, qint64 limitBytes = kDefaultLimit);

    // $XDG_STATE_HOME/rukamina/rukamina.log; a relative XDG_STATE_HOME is
    // ignored, as the XDG rules say.
    static QString defaultPath();

    // Appends "yyyy-MM-dd HH:mm:ss [pid] kind: text". False when the file
    // could not be written.
    bool write(const QString &kind, const QString &text);

    const QString &path() const { return path_; }

private:
    QString path_;
    const Clock &clock_;
    qint64 limit_;
};

// The fatal-error path with every message written to the log first (the
// real reporter does not return).
class LoggedFatalErrors final : public FatalErrors {
public:
    LoggedFatalErrors(FatalErrors &inner, ProgramLog &log);
    void fatal(const QString &title, const QString &message) override;

private:
    FatalErrors &inner_;
    ProgramLog &log_;
};

// Wait notices with their start and end in the log. A wait repeats its
// notice every second; only a new text is written, and the end once.
class LoggedWaitNotice final : public WaitNotice {
public:
    LoggedWaitNotice(WaitNotice *inner, ProgramLog &log);
    void show(const QString &text) override;
    void clear() override;

private:
    WaitNotice *inner_;
    ProgramLog &log_;
    QString shown_;
};
