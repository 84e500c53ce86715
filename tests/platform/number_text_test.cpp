// SPDX-License-Identifier: MIT
#include "platform/clock.h"
#include "platform/folder_path.h"
#include "platform/number_text.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

TEST(NumberText, ShortestDecimalForm)
{
    EXPECT_EQ(numtext::formatNumber(1.5), QStringLiteral("1.5"));
    EXPECT_EQ(numtext::formatNumber(2), QStringLiteral("2"));
    EXPECT_EQ(numtext::formatNumber(-3), QStringLiteral("-3"));
    EXPECT_EQ(numtext::formatNumber(99999), QStringLiteral("99999"));
    EXPECT_EQ(numtext::formatNumber(1234567), QStringLiteral("1234567"));
    EXPECT_EQ(numtext::formatSingle(1.1f), QStringLiteral("1.1"));
    EXPECT_EQ(numtext::formatSingle(3.0f), QStringLiteral("3"));
}

TEST(NumberText, LeadingNumberReadsLikeTheAnswerBox)
{
    EXPECT_EQ(numtext::leadingNumber(QStringLiteral("12")), 12);
    EXPECT_EQ(numtext::leadingNumber(QStringLiteral("  12.0")), 12);
    EXPECT_EQ(numtext::leadingNumber(QStringLiteral("12abc")), 12);
    EXPECT_EQ(numtext::leadingNumber(QStringLiteral("-7")), -7);
    EXPECT_EQ(numtext::leadingNumber(QStringLiteral("3.5.1")), 3.5);
    EXPECT_EQ(numtext::leadingNumber(QStringLiteral("")), 0);
    EXPECT_EQ(numtext::leadingNumber(QStringLiteral("abc")), 0);
    EXPECT_EQ(numtext::leadingNumber(QStringLiteral("１２")), 0) << "full-width digits are not digits";
    EXPECT_EQ(numtext::leadingNumber(QStringLiteral("12.")), 12);
}

TEST(NumberText, HalvesRoundToEven)
{
    EXPECT_EQ(numtext::roundHalfEven(0.5), 0);
    EXPECT_EQ(numtext::roundHalfEven(1.5), 2);
    EXPECT_EQ(numtext::roundHalfEven(2.5), 2);
    EXPECT_EQ(numtext::roundHalfEven(2.51), 3);
    EXPECT_EQ(numtext::roundHalfEven(-1.5), -2);
}

TEST(OleDate, DaysSinceTheEpochAndTimeFraction)
{
    EXPECT_EQ(oledate::fromDate(QDate(1899, 12, 30)), 0);
    EXPECT_EQ(oledate::fromDate(QDate(2026, 12, 9)), 46365);
    EXPECT_EQ(oledate::toDate(46365.75), QDate(2026, 12, 9));
    EXPECT_DOUBLE_EQ(oledate::timeFraction(QTime(18, 0)), 0.75);
    EXPECT_EQ(oledate::toTime(46365.75), QTime(18, 0));
    EXPECT_FALSE(oledate::toDate(std::nan("")).isValid());
    EXPECT_FALSE(oledate::toDate(1e300).isValid());
    EXPECT_EQ(oledate::toDate(-1), QDate(1899, 12, 29));
}

TEST(FolderPath, BackslashesBecomeSlashesAndATrailingSlashIsAdded)
{
    EXPECT_EQ(folderpath::normalise(QStringLiteral("D:\\学校\\data\\")), QStringLiteral("D:/学校/data/"));
    EXPECT_EQ(folderpath::normalise(QStringLiteral("/srv/data")), QStringLiteral("/srv/data/"));
    EXPECT_EQ(folderpath::lastComponent(QStringLiteral("/a/suite/prog/")), QStringLiteral("prog"));
    EXPECT_EQ(folderpath::lastComponent(QStringLiteral("/a/suite/prog")), QStringLiteral("prog"));
}

} // namespace
