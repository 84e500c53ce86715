// SPDX-License-Identifier: MIT
#include "platform/program_log.h"
#include "platform/clock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

ProgramLog::ProgramLog(QString path, const Clock &clock, qint64 limitBytes)
    : path_(std::move(path))
    , clock_(clock)
    , limit_(limitBytes)
{
}

QString ProgramLog::defaultPath()
{
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/state");
    return QDir::cleanPath(base) + QStringLiteral("/rukamina/rukamina.log");
}

bool ProgramLog::write(const QString &kind, const QString &text)
{
    QString body = text;
    body.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    body.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    while (body.endsWith(QLatin1Char('\n')))
        body.chop(1);
    body.replace(QLatin1Char('\n'), QStringLiteral("\n  "));
    const QByteArray entry = (clock_.now().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
        + QStringLiteral(" [%1] %2: %3\n").arg(QCoreApplication::applicationPid()).arg(kind, body))
                                 .toUtf8();

    if (!QDir().mkpath(QFileInfo(path_).absolutePath()))
        return false;
    const QByteArray name = QFile::encodeName(path_);
    const QFileInfo info(path_);
    if (info.exists() && info.size() > 0 && info.size() + entry.size() > limit_)
        ::rename(name.constData(), QFile::encodeName(path_ + QStringLiteral(".1")).constData());
    // Appended in one write, so entries of two copies of the program (two
    // windows of one user) never interleave within a line.
    const int fd = ::open(name.constData(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    ssize_t written;
    do {
        written = ::write(fd, entry.constData(), size_t(entry.size()));
    } while (written < 0 && errno == EINTR);
    ::close(fd);
    return written == entry.size();
}

LoggedFatalErrors::LoggedFatalErrors(FatalErrors &inner, ProgramLog &log)
    : inner_(inner)
    , log_(log)
{
}

void LoggedFatalErrors::fatal(const QString &title, const QString &message)
{
    log_.write(QStringLiteral("終了（%1）").arg(title), message);
    inner_.fatal(title, message);
}

LoggedWaitNotice::LoggedWaitNotice(WaitNotice *inner, ProgramLog &log)
    : inner_(inner)
    , log_(log)
{
}

void LoggedWaitNotice::show(const QString &text)
{
    if (text != shown_) {
        log_.write(QStringLiteral("待っています"), text);
        shown_ = text;
    }
    if (inner_)
        inner_->show(text);
}

void LoggedWaitNotice::clear()
{
    if (!shown_.isEmpty()) {
        log_.write(QStringLiteral("待ち終わり"), shown_.section(QLatin1Char('\n'), 0, 0));
        shown_.clear();
    }
    if (inner_)
        inner_->clear();
}
