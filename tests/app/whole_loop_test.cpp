// SPDX-License-Identifier: MIT
// A class's morning in one test: start-up on a generated installation, a
// pupil signs in with the keyboard, starts level 1 from the hub, plays a
// whole run, sees the result, goes back to the hub and hands the PC on.
#include "app/app_navigator.h"
#include "drill/drill_window.h"
#include "drill/result_screen.h"
#include "hub/hub_screen.h"
#include "platform/clock.h"
#include "results/result_record.h"
#include "roster/name_selection_screen.h"
#include "startup/splash_window.h"
#include "state/shared_state.h"
#include "support/data_root.h"
#include "support/fakes.h"
#include "support/problem_answer.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace {

void press(QWidget *window, Qt::Key key)
{
    QWidget *target = window->focusWidget() ? window->focusWidget() : window;
    QTest::keyClick(target, key);
}

void type(QWidget *window, const QString &text)
{
    QWidget *target = window->focusWidget() ? window->focusWidget() : window;
    QTest::keyClicks(target, text);
    QTest::keyClick(target, Qt::Key_Return);
}

QString labelText(QWidget *screen, const char *name)
{
    auto *label = screen->findChild<QLabel *>(QString::fromLatin1(name));
    return label ? label->text() : QString();
}

struct WholeLoop : ::testing::Test {
    TestInstall install;
    std::unique_ptr<SharedState> state = std::make_unique<SharedState>();
    FakePlatform fakes;
    std::unique_ptr<AppNavigator> navigator;

    void SetUp() override
    {
        install.writeDefaults();
        install.writeRoster(QStringLiteral("1,2017,0,0,\"大野 ひな\",0,\"\",\"\"\n"
                                           "2,2016,0,0,\"工藤 あおい\",0,\"\",\"\"\n"
                                           "3,1980,0,0,\"★山口\",0,\"\",\"\"\n"));
        fakes.clock.set(QDateTime(QDate(2026, 12, 9), QTime(10, 0, 0)));
        navigator = std::make_unique<AppNavigator>(*state, fakes.platform);
    }
    void TearDown() override
    {
        navigator.reset();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    QString nameLine(int row) const
    {
        auto *list = navigator->nameSelection()->findChild<QListWidget *>(QStringLiteral("List1"));
        return list->item(row)->text();
    }
};

TEST_F(WholeLoop, SignInPlayARunAndHandThePcOn)
{
    SplashWindow splash(*state, fakes.platform, *navigator, install.programFolder());
    splash.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return navigator->nameSelection() != nullptr; }, 3000));
    ASSERT_FALSE(fakes.fatal.called()) << fakes.fatal.messages.join(QLatin1Char('\n')).toStdString();

    // Name selection: the pupil born earlier comes first; arrow keys select
    // like a click, "1" signs in.
    QWidget *names = navigator->nameSelection();
    EXPECT_EQ(labelText(names, "Label1"), QStringLiteral("名前を選びなさい"));
    EXPECT_TRUE(nameLine(1).startsWith(QStringLiteral("大+ ★山口")));
    EXPECT_TRUE(nameLine(2).startsWith(QStringLiteral("小4 工藤 あおい")));
    EXPECT_TRUE(nameLine(3).startsWith(QStringLiteral("小3 大野 ひな")));
    press(names, Qt::Key_Down);
    press(names, Qt::Key_Down);
    press(names, Qt::Key_Down);
    EXPECT_EQ(labelText(names, "Label1"), QStringLiteral("小3 大野 ひな　"));
    press(names, Qt::Key_1);
    ASSERT_EQ(state->PupilNumber, 1);
    EXPECT_EQ(state->PupilName.trimmed(), QStringLiteral("大野 ひな"));
    EXPECT_EQ(state->SignInTime, 36000);

    // The hub replaced name selection and is ready for keys.
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_NE(navigator->hub(), nullptr);
    EXPECT_EQ(navigator->nameSelection(), nullptr);
    auto *hub = qobject_cast<HubScreen *>(navigator->hub());
    ASSERT_TRUE(hub && hub->refreshDone());
    EXPECT_EQ(hub->todayFigure(1)->text(), QStringLiteral("-----"));

    // "1" starts level 1.
    press(hub, Qt::Key_1);
    auto *drill = qobject_cast<DrillWindow *>(navigator->drill());
    ASSERT_NE(drill, nullptr);
    EXPECT_EQ(state->CurrentLevel, 1);

    // Ten digit strings: memorise, three answers, recall; four seconds each.
    for (int n = 0; n < 10; ++n) {
        const QString digits = labelText(drill, "DigitDisplay");
        ASSERT_EQ(digits.size(), 4);
        press(drill, Qt::Key_Return); // "覚えた"
        for (int k = 0; k < 3; ++k)
            type(drill, QString::number(answerOfProblemText(labelText(drill, "ProblemDisplay"))));
        fakes.clock.advanceMs(4000);
        drill->runClockTick();
        type(drill, digits);
        if (n < 9) {
            ASSERT_EQ(state->ProblemsDone, n + 1);
        }
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return navigator->result() != nullptr; }, 3000));
    EXPECT_EQ(state->RecordedTime, 40);

    // The record is in the file.
    QFile file(install.programDataFolder() + QStringLiteral("成績累積データ.dat"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_EQ(bytes.size(), 44);
    const ResultRecord record = decodeRecord(bytes.constData());
    EXPECT_EQ(record.pupilNumber, 1);
    EXPECT_EQ(record.level, 1);
    EXPECT_EQ(record.seconds, 40);
    EXPECT_EQ(QByteArray(record.schoolCode.data(), 5), QByteArray("12345"));

    // The result screen, then back to the hub with the run in today's figures.
    QWidget *result = navigator->result();
    EXPECT_EQ(labelText(result, "TimeLabel"), QStringLiteral("今の成績：40秒"));
    auto *menu = result->findChild<QPushButton *>(QStringLiteral("MenuButton"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return menu->isVisible(); }, 3000));
    QTest::keyClick(menu, Qt::Key_Return);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    hub = qobject_cast<HubScreen *>(navigator->hub());
    ASSERT_NE(hub, nullptr);
    EXPECT_EQ(navigator->result(), nullptr);
    // 40 s against a target of 60: Int((20/60)^3 x 50 + 5) = 6 points.
    EXPECT_EQ(hub->todayFigure(1)->text(), QStringLiteral("1回/6点"));
    EXPECT_EQ(hub->allTimeFigure(1)->text(), QStringLiteral("1回/6点"));

    // "戻る(0)" hands the PC to the next pupil, with this pupil's figures.
    press(hub, Qt::Key_0);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_NE(navigator->nameSelection(), nullptr);
    EXPECT_EQ(navigator->hub(), nullptr);
    EXPECT_EQ(
        nameLine(3), QStringLiteral("小3 大野 ひな") + QString(1, QChar(0x3000)) + QStringLiteral("   6/      6"));
}

// Installed without the suite's menu program: "0" on the name list ends the
// event loop with status 0, as closing the window does, and reports nothing.
TEST_F(WholeLoop, ZeroOnTheNameListEndsTheProgramWithStatusZero)
{
    SplashWindow splash(*state, fakes.platform, *navigator, install.programFolder());
    splash.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return navigator->nameSelection() != nullptr; }, 3000));
    QWidget *names = navigator->nameSelection();
    QTimer::singleShot(0, names, [names] { press(names, Qt::Key_0); });
    // A stray loop would hang the test; this ends it with a status of its own.
    QTimer::singleShot(10000, [] { QCoreApplication::exit(99); });
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_FALSE(fakes.fatal.called()) << fakes.fatal.messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(fakes.launcher.programs.isEmpty());
}

} // namespace
