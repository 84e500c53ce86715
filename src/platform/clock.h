// SPDX-License-Identifier: MIT
// The system clock as the program reads it. Behind an interface so that a
// test can set the time to 23:59, to a Sunday or to five minutes later.
#pragma once

#include <QDate>
#include <QDateTime>

class Clock {
public:
    virtual ~Clock() = default;
    // Local date and time now.
    virtual QDateTime now() const = 0;
    // Milliseconds on a monotonic counter (the tick counter): never jumps
    // with the wall clock and goes on across midnight.
    virtual qint64 tickMs() const = 0;
    // Waits the given time while the window stays responsive (pending
    // events run meanwhile).
    virtual void waitResponsive(int ms) = 0;

    QDate today() const { return now().date(); }
    // Seconds since midnight, with the fraction.
    double secondsSinceMidnight() const;
    // OLE automation date of now: days since 1899-12-30, time as fraction.
    double nowOle() const;
};

class SystemClock final : public Clock {
public:
    QDateTime now() const override;
    qint64 tickMs() const override;
    void waitResponsive(int ms) override;
};

// OLE automation dates (days since 1899-12-30; the time of day is the
// fraction).
namespace oledate {
double fromDate(const QDate &date);
double fromDateTime(const QDateTime &dateTime);
double timeFraction(const QTime &time);
// The calendar date of a whole-day value; invalid for NaN or out of range.
QDate toDate(double ole);
// The time of day of the fraction.
QTime toTime(double ole);
} // namespace oledate
