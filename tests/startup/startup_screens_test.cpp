// SPDX-License-Identifier: MIT
#include "startup/japanese_calendar.h"
#include "startup/splash_window.h"
#include "startup/version_window.h"
#include "state/shared_state.h"
#include "support/data_root.h"
#include "support/fake_navigator.h"
#include "support/fakes.h"

#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

struct DateLineCase {
    QDate date;
    const char16_t *line;
};

class DateLine : public ::testing::TestWithParam<DateLineCase> { };

TEST_P(DateLine, EraYearMonthWithoutZeroTwoDigitDayAndWeekday)
{
    EXPECT_EQ(japaneseDateLine(GetParam().date), QString::fromUtf16(GetParam().line));
}

INSTANTIATE_TEST_SUITE_P(EraBoundaries, DateLine,
    ::testing::Values(DateLineCase { QDate(2026, 12, 9), u"令和8年 12月 09日（水）" },
        DateLineCase { QDate(2019, 4, 30), u"平成31年 4月 30日（火）" },
        DateLineCase { QDate(2019, 5, 1), u"令和1年 5月 01日（水）" },
        DateLineCase { QDate(1989, 1, 7), u"昭和64年 1月 07日（土）" },
        DateLineCase { QDate(1989, 1, 8), u"平成1年 1月 08日（日）" },
        DateLineCase { QDate(1926, 12, 24), u"大正15年 12月 24日（金）" },
        DateLineCase { QDate(1926, 12, 25), u"昭和1年 12月 25日（土）" },
        DateLineCase { QDate(1912, 7, 29), u"明治45年 7月 29日（月）" },
        DateLineCase { QDate(1912, 7, 30), u"大正1年 7月 30日（火）" }),
    [](const auto &info) { return info.param.date.toString(QStringLiteral("yyyyMMdd")).toStdString(); });

TEST(SeasonColour, ByMonth)
{
    const Rgb orange { 255, 128, 0 }, lightGreen { 192, 255, 192 }, teal { 0, 192, 192 }, brown { 192, 64, 0 };
    const Rgb expected[13] = { Rgb(), orange, orange, lightGreen, lightGreen, lightGreen, teal, teal, teal, brown,
        brown, brown, lightGreen };
    for (int month = 1; month <= 12; ++month)
        EXPECT_EQ(seasonColourForMonth(month), expected[month]) << month;
}

TEST(SplashWindow, ShowsTheDateSetsTheSeasonAndHandsOverOnTheTimerTick)
{
    auto state = std::make_unique<SharedState>();
    FakePlatform fakes;
    fakes.clock.set(QDateTime(QDate(2027, 2, 3), QTime(8, 30)));
    FakeNavigator navigator;
    TestInstall install;
    install.writeDefaults();

    SplashWindow splash(*state, fakes.platform, navigator, install.programFolder());
    splash.start();
    EXPECT_EQ(splash.dateLabel()->text(), QStringLiteral("令和9年 2月 03日（水）"));
    EXPECT_EQ(state->SeasonColour, (Rgb { 255, 128, 0 }));
    EXPECT_TRUE(splash.timer()->isActive());
    EXPECT_EQ(splash.timer()->interval(), 100);
    EXPECT_TRUE(navigator.calls.isEmpty()) << "loading waits for the timer";

    EXPECT_TRUE(QTest::qWaitFor([&] { return !splash.isVisible(); }, 2000));
    EXPECT_TRUE(splash.startedUp());
    EXPECT_FALSE(splash.timer()->isActive());
    EXPECT_EQ(navigator.calls, QStringList { QStringLiteral("showNameSelection") });
    EXPECT_EQ(state->ProgramName, QStringLiteral("ルカミナ"));
}

TEST(VersionWindow, ShowsNameAndBuildVersionAndClosesOnOk)
{
    VersionWindow window(QStringLiteral("ルカミナ"));
    window.show();
    EXPECT_EQ(window.windowTitle(), QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    EXPECT_EQ(window.nameLabel()->text(), QStringLiteral("ルカミナ"));
    EXPECT_EQ(window.versionLabel()->text(),
        QStringLiteral("Version%1.%2.%3").arg(APP_VERSION_MAJOR).arg(APP_VERSION_MINOR).arg(APP_VERSION_PATCH));
    EXPECT_TRUE(window.versionLabel()->text().startsWith(QStringLiteral("Version1.")));
    QTest::keyClick(window.okButton(), Qt::Key_Return);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.result(), QDialog::Accepted);
}

} // namespace
