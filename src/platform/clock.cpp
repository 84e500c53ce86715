// SPDX-License-Identifier: MIT
#include "platform/clock.h"
#include "platform/events.h"

#include <QElapsedTimer>
#include <QThread>
#include <cmath>

namespace {
const QDate kOleEpoch(1899, 12, 30);
}

double Clock::secondsSinceMidnight() const
{
    const QTime t = now().time();
    return t.msecsSinceStartOfDay() / 1000.0;
}

double Clock::nowOle() const
{
    return oledate::fromDateTime(now());
}

QDateTime SystemClock::now() const
{
    return QDateTime::currentDateTime();
}

qint64 SystemClock::tickMs() const
{
    static QElapsedTimer timer = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return timer.elapsed();
}

void SystemClock::waitResponsive(int ms)
{
    const qint64 until = tickMs() + ms;
    while (tickMs() < until) {
        letEventsRun();
        QThread::msleep(10);
    }
}

namespace oledate {

double fromDate(const QDate &date)
{
    return double(kOleEpoch.daysTo(date));
}

double timeFraction(const QTime &time)
{
    return time.msecsSinceStartOfDay() / 86400000.0;
}

double fromDateTime(const QDateTime &dateTime)
{
    return fromDate(dateTime.date()) + timeFraction(dateTime.time());
}

QDate toDate(double ole)
{
    // Dates far outside any school's history are treated as invalid rather
    // than overflowing the day arithmetic.
    if (!std::isfinite(ole) || ole < -700000 || ole > 3000000)
        return {};
    return kOleEpoch.addDays(qint64(std::floor(ole)));
}

QTime toTime(double ole)
{
    if (!std::isfinite(ole))
        return {};
    const double frac = ole - std::floor(ole);
    qint64 ms = qint64(std::llround(frac * 86400000.0));
    if (ms >= 86400000)
        ms = 86399999;
    return QTime::fromMSecsSinceStartOfDay(int(ms));
}

} // namespace oledate
