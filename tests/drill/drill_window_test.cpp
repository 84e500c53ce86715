// SPDX-License-Identifier: MIT
// Whole runs played through the real drill window with key events, on a fake
// clock: judging, recall, time-up, recording and the hand-over to the result
// screen.
#include "drill/drill_window.h"
#include "drill/run_control.h"
#include "drill_env.h"
#include "support/accessible.h"
#include "support/append_faults.h"
#include "support/problem_answer.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

using drill_test::DrillEnv;

struct DrillRun : ::testing::Test {
    DrillEnv env;

    DrillWindow *drill() const { return env.navigator.drill(); }
    template <typename T = QWidget> T *child(const char *name) const
    {
        return drill()->findChild<T *>(QString::fromLatin1(name));
    }
    QString text(const char *name) const { return child<QLabel>(name)->text(); }
    QString focusName() const { return drill()->focusWidget() ? drill()->focusWidget()->objectName() : QString(); }
    bool shown(const char *name) const { return !child(name)->isHidden(); }

    void start()
    {
        env.count();
        StartDrill(*env.state, env.navigator);
        ASSERT_NE(drill(), nullptr);
    }
    // Lets the run clock tick once a second for `seconds` seconds.
    void tick(int seconds)
    {
        for (int i = 0; i < seconds; ++i) {
            env.clock.advanceMs(1000);
            drill()->runClockTick();
        }
    }
    void key(Qt::Key k) { QTest::keyClick(drill()->focusWidget(), k); }
    void type(const QString &s, Qt::Key submit = Qt::Key_Return)
    {
        QTest::keyClicks(drill()->focusWidget(), s);
        key(submit);
    }
    // "覚えた", then three correct answers in a row.
    void memoriseAndCalculate()
    {
        ASSERT_EQ(focusName(), QStringLiteral("Command4"));
        key(Qt::Key_Return);
        ASSERT_TRUE(shown("CalculationPanel"));
        for (int i = 0; i < 3; ++i) {
            ASSERT_EQ(focusName(), QStringLiteral("Text1"));
            const int answer = answerOfProblemText(text("ProblemDisplay"));
            ASSERT_GT(answer, 0) << text("ProblemDisplay").toStdString();
            type(QString::number(answer));
        }
        ASSERT_TRUE(shown("RecallPanel"));
        ASSERT_EQ(focusName(), QStringLiteral("Text2"));
    }
    // One digit string from memorising to a correct recall.
    void playOne()
    {
        const QString digits = text("DigitDisplay");
        memoriseAndCalculate();
        type(digits);
    }
};

TEST_F(DrillRun, TenStringsThroughTheWidgetsAreRecordedAndShownOnTheResultScreen)
{
    start();
    EXPECT_EQ(env.navigator.calls.mid(0, 2), (QStringList { QStringLiteral("openDrill"), QStringLiteral("closeHub") }));
    EXPECT_EQ(text("RemainingBox"), QStringLiteral("10"));
    int wrongSounds = 0;
    for (int n = 1; n <= 10; ++n) {
        tick(3);
        const QString digits = text("DigitDisplay");
        ASSERT_EQ(digits.size(), 4) << "level 1 strings have four digits";
        ASSERT_TRUE(shown("MemorisePanel"));
        ASSERT_FALSE(shown("CalculationPanel"));
        ASSERT_FALSE(shown("RecallPanel"));

        if (n == 1) {
            // A wrong answer after a correct one starts the streak again on
            // the same problem.
            key(Qt::Key_Return);
            type(QString::number(answerOfProblemText(text("ProblemDisplay"))));
            EXPECT_TRUE(drill()->lampLit(1));
            EXPECT_FALSE(drill()->lampLit(2));
            const QString problem = text("ProblemDisplay");
            type(QStringLiteral("0"));
            ++wrongSounds;
            EXPECT_EQ(drill()->StreakCount(), 0);
            EXPECT_FALSE(drill()->lampLit(1));
            EXPECT_EQ(text("ProblemDisplay"), problem);
            EXPECT_TRUE(child<QLineEdit>("Text1")->text().isEmpty());
            EXPECT_EQ(env.sound.count(QStringLiteral("W.wav")), wrongSounds);
            // Space submits too, and "12.0" reads as 12.
            type(QString::number(answerOfProblemText(text("ProblemDisplay"))), Qt::Key_Space);
            type(QString::number(answerOfProblemText(text("ProblemDisplay"))) + QStringLiteral(".0"));
            EXPECT_TRUE(drill()->lampLit(2));
            type(QString::number(answerOfProblemText(text("ProblemDisplay"))));
            ASSERT_EQ(focusName(), QStringLiteral("Text2"));
            EXPECT_TRUE(drill()->lampLit(3));
            type(digits, Qt::Key_Space);
        } else if (n == 2) {
            // A wrong recall shows the digits, waits for "確認" and brings a
            // fresh string of the same length; nothing is counted.
            memoriseAndCalculate();
            QString wrong = digits;
            wrong[3] = QChar(u'0' + (digits[3].digitValue() + 1) % 10);
            type(wrong);
            ++wrongSounds;
            EXPECT_FALSE(child<QLineEdit>("Text2")->isEnabled());
            EXPECT_EQ(child<QLineEdit>("Text2")->text(), wrong) << "the wrong entry stays visible";
            EXPECT_TRUE(shown("CorrectionBox"));
            EXPECT_EQ(text("CorrectionBox"), digits);
            EXPECT_EQ(env.state->RecallVerdict, 2);
            EXPECT_EQ(env.state->ProblemsDone, 1);
            ASSERT_EQ(focusName(), QStringLiteral("Commandkakunin"));
            EXPECT_EQ(env.sound.count(QStringLiteral("W.wav")), wrongSounds);
            key(Qt::Key_Return);
            EXPECT_FALSE(shown("CorrectionBox"));
            EXPECT_FALSE(shown("Commandkakunin"));
            EXPECT_TRUE(shown("MemorisePanel"));
            EXPECT_EQ(text("DigitDisplay").size(), 4);
            EXPECT_TRUE(child<QLineEdit>("Text2")->text().isEmpty());
            playOne();
        } else {
            playOne();
        }
        ASSERT_FALSE(env.fatal.called()) << env.fatal.messages.join(QLatin1Char('\n')).toStdString();
        ASSERT_EQ(env.state->ProblemsDone, n);
        if (n < 10) {
            ASSERT_EQ(text("RemainingBox"), QString::number(10 - n));
        }
    }

    // The run ended after the tenth recall, 30 s in.
    EXPECT_EQ(env.state->RunComplete, 1);
    EXPECT_EQ(env.state->TimeUp, 0);
    EXPECT_EQ(env.state->ElapsedSeconds, 30);
    EXPECT_EQ(env.state->RecordedTime, 30);
    EXPECT_TRUE(shown("Overlay"));
    EXPECT_TRUE(shown("RecordingCaption"));
    EXPECT_FALSE(shown("TimeUpCaption"));
    EXPECT_EQ(text("RemainingBox"), QStringLiteral("0"));
    EXPECT_EQ(env.sound.count(QStringLiteral("A.wav")) + env.sound.count(QStringLiteral("B.wav")), 10);
    EXPECT_EQ(env.sound.count(QStringLiteral("W.wav")), 2);

    const auto records = env.records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].seconds, 30);
    EXPECT_EQ(records[0].level, 1);
    EXPECT_EQ(records[0].pupilNumber, 7);
    EXPECT_EQ(records[0].date, env.today());

    const QStringList calls = env.navigator.calls;
    ASSERT_GE(calls.size(), 5);
    EXPECT_EQ(calls.mid(calls.size() - 4),
        (QStringList { QStringLiteral("showWait"), QStringLiteral("closeDrill"), QStringLiteral("showResult"),
            QStringLiteral("closeWait") }));
    EXPECT_FALSE(drill()->isVisible());

    ResultScreen *result = env.navigator.result();
    ASSERT_NE(result, nullptr);
    auto line = [result](const char *name) { return result->findChild<QLabel *>(QLatin1String(name))->text(); };
    EXPECT_EQ(line("TimeLabel"), QStringLiteral("今の成績：30秒"));
    // T = 60, R = 30: Int((30 / 60)^3 x 50 + 5) = 11, multiplier 1.
    EXPECT_EQ(line("PointsLabel"), QStringLiteral("獲得ポイント：11点×1→11点"));
    EXPECT_EQ(line("PupilLabel"), QStringLiteral("山田　花子"));
    EXPECT_EQ(line("LevelRunLabel"), QStringLiteral(" (このレベル　1回目)"));
    EXPECT_EQ(line("TodayTotalLabel"), QStringLiteral("（1回目)"));
    // The first run at the level beats every best time there is.
    EXPECT_EQ(line("MessageLabel"), QStringLiteral("！！！最高新記録！！！"));
    EXPECT_EQ(env.sound.played.last(), env.state->SoundFolder + QStringLiteral("最高1.wav"));
}

TEST_F(DrillRun, TimeUpAtFiveTimesThePassLineRecords99999AndShowsNoRecord)
{
    env.state->PassLineTime[1] = 60;
    start();
    EXPECT_EQ(env.state->TimeLimit, 300);
    tick(299);
    EXPECT_EQ(env.state->TimeUp, 0);
    EXPECT_FALSE(shown("Overlay"));
    EXPECT_EQ(text("TimeBox"), QStringLiteral("299"));
    EXPECT_LT(child("ElapsedBar")->width(), child("TimeBarFrame")->width());

    tick(1);
    EXPECT_EQ(env.state->TimeUp, 1);
    EXPECT_EQ(env.state->RecordedTime, 99999);
    EXPECT_TRUE(shown("Overlay"));
    EXPECT_TRUE(shown("TimeUpCaption"));
    EXPECT_FALSE(shown("RecordingCaption"));
    EXPECT_EQ(child("ElapsedBar")->width(), child("TimeBarFrame")->width());
    EXPECT_FALSE(drill()->runClock().isActive());

    const auto records = env.records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].seconds, 99999);

    ResultScreen *result = env.navigator.result();
    ASSERT_NE(result, nullptr);
    auto label = [result](const char *name) { return result->findChild<QLabel *>(QLatin1String(name)); };
    EXPECT_EQ(label("TimeLabel")->text(), QStringLiteral("記録なし"));
    EXPECT_EQ(label("PointsLabel")->text(), QStringLiteral("獲得ポイント：0点×1→0点"));
    EXPECT_FALSE(label("MessageLabel")->isHidden());
    EXPECT_EQ(label("MessageLabel")->text(), QStringLiteral("時間切れ"));
    EXPECT_EQ(label("LevelRunLabel")->text(), QStringLiteral(" (このレベル　0回目)")) << "a time-up is not a run";
    EXPECT_TRUE(env.sound.played.isEmpty()) << "a time-up is silent";

    // A key after time-up is no submit: the space goes into the box.
    QLineEdit *recall = child<QLineEdit>("Text2");
    QTest::keyClick(recall, Qt::Key_Space);
    EXPECT_EQ(recall->text(), QStringLiteral(" "));
}

TEST_F(DrillRun, CompletingAt299SecondsOfA300SecondLimitRecords299AndNoTimeUpFollows)
{
    env.state->PassLineTime[1] = 60;
    start();
    for (int n = 1; n <= 9; ++n)
        playOne();
    const QString digits = text("DigitDisplay");
    memoriseAndCalculate();
    tick(299);
    // The last correct sound runs past the limit before the run is closed.
    env.sound.durationMs = 2000;
    type(digits);

    EXPECT_EQ(env.state->RunComplete, 1);
    EXPECT_EQ(env.state->TimeUp, 0);
    EXPECT_EQ(env.state->RecordedTime, 299);
    EXPECT_FALSE(shown("TimeUpCaption"));
    ASSERT_NE(env.navigator.result(), nullptr);
    EXPECT_EQ(env.navigator.result()->findChild<QLabel *>(QStringLiteral("TimeLabel"))->text(),
        QStringLiteral("今の成績：299秒"));

    // A clock tick that still arrives finds the run complete.
    drill()->runClockTick();
    EXPECT_EQ(env.state->TimeUp, 0);
    EXPECT_EQ(env.state->RecordedTime, 299);
    const auto records = env.records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].seconds, 299);
    EXPECT_EQ(env.navigator.calls.count(QStringLiteral("showResult")), 1);
}

// A full disk at the end of a run: the drill stays on "成績記録中" with the
// notice over it, retrying a second at a time, and the result screen comes
// only once the run is on the disk, with its time and its record flags.
TEST_F(DrillRun, RunEndingOnAFullDiskShowsItsResultOnlyOnceStored)
{
    RecordingNotice notice;
    env.platform.notice = &notice;
    start();
    for (int n = 1; n <= 9; ++n) {
        tick(3);
        playOne();
    }
    tick(3);
    append_faults::Script script = append_faults::failing(append_faults::Stage::Flush, ENOSPC, 3);
    QStringList seen;
    script.onFailure = [&] {
        seen << QStringLiteral("%1 %2 %3 %4")
                    .arg(shown("RecordingCaption"))
                    .arg(env.navigator.calls.contains(QStringLiteral("showResult")))
                    .arg(env.state->NewTopRecord)
                    .arg(notice.showing);
    };
    append_faults::Installed faults(script);
    const qsizetype waitsBefore = qsizetype(env.clock.waits.size());
    playOne();

    ASSERT_FALSE(env.fatal.called()) << env.fatal.messages.join(QLatin1Char('\n')).toStdString();
    // At every refusal: still recording, no result, no flag; the notice up
    // from the second on (the first refusal is yet to be shown).
    EXPECT_EQ(seen, (QStringList { QStringLiteral("1 0 0 0"), QStringLiteral("1 0 0 1"), QStringLiteral("1 0 0 1") }));
    const std::vector<int> waits(env.clock.waits.begin() + waitsBefore, env.clock.waits.end());
    EXPECT_EQ(std::count(waits.begin(), waits.end(), 1000), 3);
    ASSERT_FALSE(notice.shown.isEmpty());
    EXPECT_TRUE(notice.shown.front().contains(env.resultsPath()));
    EXPECT_TRUE(notice.shown.front().contains(QStringLiteral("ディスクがいっぱいです")));
    EXPECT_FALSE(notice.showing);

    const auto records = env.records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].seconds, 30);
    ASSERT_NE(env.navigator.result(), nullptr);
    EXPECT_EQ(env.navigator.result()->findChild<QLabel *>(QStringLiteral("TimeLabel"))->text(),
        QStringLiteral("今の成績：30秒"));
    EXPECT_EQ(env.navigator.result()->findChild<QLabel *>(QStringLiteral("MessageLabel"))->text(),
        QStringLiteral("！！！最高新記録！！！"));
}

TEST_F(DrillRun, EndRunRunsOnceWhateverCallsItAgain)
{
    start();
    tick(5);
    env.state->TimeUp = 1;
    drill()->EndRun();
    drill()->EndRun();
    EXPECT_EQ(env.records().size(), 1u);
    EXPECT_EQ(env.navigator.calls.count(QStringLiteral("showResult")), 1);
}

TEST_F(DrillRun, PracticeLevelGoesBackToTheHubUnrecorded)
{
    env.state->LevelName[1] = QStringLiteral("練習");
    start();
    EXPECT_EQ(text("TodayRunBox"), QStringLiteral("－"));
    EXPECT_EQ(text("LevelRunBox"), QStringLiteral("－"));
    for (int n = 1; n <= 10; ++n)
        playOne();
    EXPECT_EQ(env.state->RunComplete, 1);
    EXPECT_TRUE(env.records().empty());
    EXPECT_EQ(env.navigator.result(), nullptr);
    const QStringList calls = env.navigator.calls;
    EXPECT_EQ(calls.mid(calls.size() - 4),
        (QStringList { QStringLiteral("showWait"), QStringLiteral("closeDrill"), QStringLiteral("showHub"),
            QStringLiteral("closeWait") }));
}

TEST_F(DrillRun, ElapsedTimeStaysRightAcrossMidnight)
{
    env.clock.set(QDateTime(QDate(2026, 12, 9), QTime(23, 59, 30)));
    env.state->SignInTime = 23 * 3600 + 50 * 60; // 23:50:00
    start();
    EXPECT_FLOAT_EQ(env.state->RunStartTime, 86370.0f);
    EXPECT_EQ(text("MinutesBox"), QStringLiteral("9"));
    tick(45);
    EXPECT_EQ(env.clock.now().time(), QTime(0, 0, 15));
    EXPECT_EQ(env.state->ElapsedSeconds, 45);
    EXPECT_EQ(text("TimeBox"), QStringLiteral("45"));
    EXPECT_EQ(env.state->TimeUp, 0);
    EXPECT_FLOAT_EQ(env.state->RunStartTime, 86370.0f) << "the start keeps its meaning";
    drill()->minuteClockTick();
    EXPECT_EQ(text("MinutesBox"), QStringLiteral("10"));
}

TEST_F(DrillRun, PassCellsCountDownTheLastTenSecondsBeforeTheTarget)
{
    env.state->TargetTime[1] = 40;
    start();
    tick(30);
    EXPECT_EQ(drill()->cellsShown(2), 10);
    tick(1);
    EXPECT_EQ(drill()->cellsShown(2), 9);
    EXPECT_TRUE(child("PassCell_1")->isHidden());
    tick(4);
    EXPECT_EQ(drill()->cellsShown(2), 5);
    tick(5);
    EXPECT_EQ(drill()->cellsShown(2), 0);
    tick(5);
    EXPECT_EQ(drill()->cellsShown(2), 0) << "hidden cells stay hidden";
    EXPECT_EQ(drill()->cellsShown(0), 10) << "Best has no mark";
    EXPECT_EQ(drill()->cellsShown(1), 10) << "YourBest has no mark";
}

TEST_F(DrillRun, StatusStripShowsTheRunNumbersBeforeThisRun)
{
    // Today: two runs at level 1, one at level 2, one at level 16 and a
    // time-up that is no run. The strip counts every level, as the result
    // screen does after the run: this run is number 5 on both (the strip
    // once added up levels 1..15 only and said 4).
    env.writeRecords(
        { env.run(1, 50), env.run(1, 70), env.run(2, 80), env.run(16, 90), env.run(1, 99999), env.run(1, 40, 8) });
    start();
    EXPECT_EQ(text("TodayRunBox"), QStringLiteral("5"));
    EXPECT_EQ(text("LevelRunBox"), QStringLiteral("3"));
    EXPECT_EQ(text("MinutesBox"), QStringLiteral("10"));
    EXPECT_EQ(text("ProgramNameLabel"), QStringLiteral("ルカミナ"));
    EXPECT_EQ(text("PupilNameLabel"), QStringLiteral("山田　花子"));
    EXPECT_EQ(text("LevelNameLabel"), env.state->LevelName[1]);
    EXPECT_EQ(text("TimeBox"), QStringLiteral("0"));
    // Level 1: target 60 and pass line 120 of a 600 s limit.
    const int frame = child("TimeBarFrame")->width();
    EXPECT_NEAR(child("TargetBar")->width(), frame / 10, 1);
    EXPECT_NEAR(child("PassLineBar")->width(), frame / 5, 1);
    EXPECT_EQ(child("ElapsedBar")->width(), 0);
    tick(300);
    EXPECT_NEAR(child("ElapsedBar")->width(), frame / 2, 1);
}

TEST_F(DrillRun, SetUpStepsRunOncePerWindow)
{
    start();
    const QString digits = text("DigitDisplay");
    const float started = env.state->RunStartTime;
    tick(20);
    drill()->onShown();
    EXPECT_EQ(text("DigitDisplay"), digits);
    EXPECT_FLOAT_EQ(env.state->RunStartTime, started);
    EXPECT_EQ(env.state->ElapsedSeconds, 20);
    tick(1);
    EXPECT_EQ(env.state->ElapsedSeconds, 21);
}

TEST_F(DrillRun, FocusComesBackToTheControlThatMustHaveIt)
{
    start();
    QApplication::setActiveWindow(drill());
    auto focusReturnsTo
        = [this](const QString &name) { return QTest::qWaitFor([&] { return focusName() == name; }, 2000); };
    ASSERT_EQ(focusName(), QStringLiteral("Command4"));
    drill()->setFocus();
    ASSERT_EQ(focusName(), QStringLiteral("MainFrm")) << "the focus did leave";
    EXPECT_TRUE(focusReturnsTo(QStringLiteral("Command4")));
    key(Qt::Key_Space);
    EXPECT_TRUE(focusReturnsTo(QStringLiteral("Text1")));
    drill()->setFocus();
    EXPECT_TRUE(focusReturnsTo(QStringLiteral("Text1")));
}

TEST_F(DrillRun, FourthSilentSoundInARowEndsTheProgramFromTheDrill)
{
    start();
    env.sound.codes = { 263, 263, 263, 263 };
    key(Qt::Key_Return);
    for (int i = 0; i < 4; ++i)
        type(QStringLiteral("0"));
    ASSERT_EQ(env.fatal.titles, QStringList { QStringLiteral("音声エラー") });
    EXPECT_EQ(env.fatal.messages.first(), QStringLiteral("音声がでません。先生を呼びなさい。\r\nerror 263"));
}

// While "音声エラー" waits for OK the event loop goes on; a run clock still
// ticking would reach the time limit behind the box, record a time-up and
// open the result screen. The clocks stop before the box is shown.
TEST_F(DrillRun, NothingIsRecordedWhileTheSoundErrorBoxWaits)
{
    start();
    env.sound.codes = { 263, 263, 263, 263 };
    DrillWindow *form = drill();
    env.fatal.whileShown = [&] {
        env.clock.advanceMs(qint64(env.state->TimeLimit + 5) * 1000);
        if (form->minuteClock().isActive())
            form->minuteClockTick();
        if (form->runClock().isActive())
            form->runClockTick();
    };
    key(Qt::Key_Return);
    for (int i = 0; i < 4; ++i)
        type(QStringLiteral("0"));
    ASSERT_TRUE(env.fatal.called());
    EXPECT_FALSE(form->runClock().isActive());
    EXPECT_FALSE(form->minuteClock().isActive());
    EXPECT_EQ(env.state->TimeUp, 0);
    EXPECT_TRUE(env.records().empty());
    EXPECT_FALSE(env.navigator.calls.contains(QStringLiteral("showResult")));
}

// The wait window goes with the drill window when no result screen follows
// to close it.
TEST_F(DrillRun, WaitWindowClosesWithThePracticeRun)
{
    env.state->LevelName[1] = QStringLiteral("練習");
    env.navigator.showWait(); // left open by "もう一度"
    start();
    for (int n = 1; n <= 10; ++n)
        playOne();
    EXPECT_FALSE(env.navigator.waitOpen);
}

TEST_F(DrillRun, WaitWindowClosesWhenThePupilClosesTheDrill)
{
    env.navigator.showWait(); // left open by "もう一度"
    start();
    tick(3);
    drill()->closedByPupil();
    EXPECT_FALSE(env.navigator.waitOpen);
    EXPECT_FALSE(drill()->runClock().isActive());
    EXPECT_TRUE(env.records().empty());
    const QStringList calls = env.navigator.calls;
    EXPECT_EQ(calls.mid(calls.size() - 3),
        (QStringList { QStringLiteral("showHub"), QStringLiteral("closeDrill"), QStringLiteral("closeWait") }));
}

// A screen reader reads what the pupil sees: the digit string, the problem,
// the correct digits and every value of the status strip.
TEST_F(DrillRun, ValueLabelsReadBackAsShown)
{
    start();
    const auto readsAsShown = [this](const char *name) {
        QLabel *label = child<QLabel>(name);
        EXPECT_FALSE(label->text().isEmpty()) << name;
        EXPECT_EQ(accessibleName(label), label->text()) << name;
        EXPECT_FALSE(accessibleDescription(label).isEmpty()) << name << " says what it is for";
    };
    for (const char *name : { "DigitDisplay", "ProgramNameLabel", "PupilNameLabel", "LevelNameLabel", "MinutesBox",
             "TodayRunBox", "LevelRunBox", "RemainingBox", "TimeBox" })
        readsAsShown(name);
    const QString digits = text("DigitDisplay");
    memoriseAndCalculate();
    type(QStringLiteral("0")); // a wrong recall shows the correct digits
    ASSERT_TRUE(shown("CorrectionBox"));
    EXPECT_EQ(text("CorrectionBox"), digits);
    readsAsShown("CorrectionBox");
}

TEST_F(DrillRun, TheProblemReadsBackAsShown)
{
    start();
    key(Qt::Key_Return);
    QLabel *problem = child<QLabel>("ProblemDisplay");
    ASSERT_FALSE(problem->text().isEmpty());
    EXPECT_EQ(accessibleName(problem), problem->text());
    EXPECT_EQ(accessibleName(child("Text1")), QStringLiteral("計算の答え")) << "an input box says what it is";
}

} // namespace
