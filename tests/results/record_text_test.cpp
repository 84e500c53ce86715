// SPDX-License-Identifier: MIT
#include "platform/clock.h"
#include "results/record_text.h"

#include <QTime>
#include <cmath>
#include <gtest/gtest.h>

namespace {

TEST(TimeOfDayText, ShowsTheWholeSecondOfEveryStoredTime)
{
    // Every whole second of a day, stored as the writer stores it, reads
    // back as itself: the fraction's binary error never drops a second.
    for (int s = 0; s < 86400; s += 7) {
        const QTime t = QTime::fromMSecsSinceStartOfDay(s * 1000);
        ASSERT_EQ(timeOfDayText(oledate::timeFraction(t)), t.toString(QStringLiteral("H:mm:ss"))) << s;
    }
    EXPECT_EQ(timeOfDayText(oledate::timeFraction(QTime(23, 59, 59, 999))), QStringLiteral("23:59:59"));
}

struct TextCase {
    const char *name;
    double timeOfDay;
    const char *asNeeded;
    const char *twoDigits;
};

class TimeOfDayDigits : public ::testing::TestWithParam<TextCase> { };

TEST_P(TimeOfDayDigits, TheSameSecondWithOrWithoutTheLeadingZero)
{
    const TextCase &c = GetParam();
    EXPECT_EQ(timeOfDayText(c.timeOfDay), QString::fromLatin1(c.asNeeded));
    EXPECT_EQ(timeOfDayText(c.timeOfDay, HourDigits::Two), QString::fromLatin1(c.twoDigits));
}

INSTANTIATE_TEST_SUITE_P(Times, TimeOfDayDigits,
    ::testing::Values(TextCase { "Midnight", 0.0, "0:00:00", "00:00:00" },
        TextCase { "Morning", (9 * 3600 + 5 * 60 + 7) / 86400.0, "9:05:07", "09:05:07" },
        // A fraction an older writer left is cut, never rounded up.
        TextCase { "FractionBeforeTen", (9 * 3600 + 59 * 60 + 59.6) / 86400.0, "9:59:59", "09:59:59" },
        TextCase { "Evening", (23 * 3600 + 59 * 60 + 59.9) / 86400.0, "23:59:59", "23:59:59" },
        // A date with its time of day reads the fraction's time; a value
        // that is no number at all reads as midnight.
        TextCase { "WithTheDay", 46365 + 0.75, "18:00:00", "18:00:00" },
        TextCase { "NotANumber", std::nan(""), "0:00:00", "00:00:00" }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(RunDateText, DayOfTheStoredDateWithTheSeparatorAsked)
{
    EXPECT_EQ(runDateText(46365), QStringLiteral("2026/12/09"));
    EXPECT_EQ(runDateText(46365.99), QStringLiteral("2026/12/09"));
    EXPECT_EQ(runDateText(46365, QLatin1Char('-')), QStringLiteral("2026-12-09"));
    EXPECT_EQ(runDateText(oledate::fromDate(QDate(2000, 1, 1))), QStringLiteral("2000/01/01"));
    EXPECT_TRUE(runDateText(std::nan("")).isEmpty());
}

} // namespace
