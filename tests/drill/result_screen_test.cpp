// SPDX-License-Identifier: MIT
// The result screen opened on a results file the way a finished run leaves
// it: what it says, what it plays, and where its buttons lead.
#include "../drill/drill_env.h"
#include "drill/result_screen.h"
#include "support/accessible.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using drill_test::DrillEnv;

struct ResultScreenTest : ::testing::Test {
    DrillEnv env;

    ResultScreen *open()
    {
        env.navigator.showResult();
        return env.navigator.result();
    }
    QLabel *label(const char *name) const { return env.navigator.result()->findChild<QLabel *>(QLatin1String(name)); }
    QPushButton *button(const char *name) const
    {
        return env.navigator.result()->findChild<QPushButton *>(QLatin1String(name));
    }
    QWidget *banner() const { return env.navigator.result()->findChild<QWidget *>(QStringLiteral("GoalBanner")); }
    // The pupil has run `level` five times today in 10 s: passed under the
    // default criteria (five runs, 100 points).
    void passedFiveTimes(int level)
    {
        env.writeRecords(
            { env.run(level, 10), env.run(level, 10), env.run(level, 10), env.run(level, 10), env.run(level, 10) });
        env.state->CurrentLevel = std::int16_t(level);
        env.state->RecordedTime = 10;
        env.state->LevelClearedBefore = 1;
    }
};

TEST_F(ResultScreenTest, PointsLineWithAFractionalMultiplier)
{
    env.state->CurrentLevel = 3;
    env.state->TargetTime[3] = 40;
    env.state->RecordedTime = 20;
    env.writeRecords({ env.run(3, 20) });
    ResultScreen *screen = open();
    EXPECT_EQ(screen->BasePoints(), 11);
    EXPECT_EQ(screen->EarnedPoints(), 16);
    EXPECT_EQ(label("PointsLabel")->text(), QStringLiteral("獲得ポイント：11点×1.5→16点"));
    EXPECT_EQ(label("TimeLabel")->text(), QStringLiteral("今の成績：20秒"));
    EXPECT_EQ(label("ProgramLabel")->text(), QStringLiteral("ルカミナ"));
    EXPECT_EQ(label("LevelLabel")->text(), env.state->LevelName[3]);
    EXPECT_EQ(screen->windowTitle(), QStringLiteral("終了"));
}

// A screen reader reads each result line as the pupil sees it, and the
// description says which line it is.
TEST_F(ResultScreenTest, ResultLinesReadBackAsShown)
{
    env.state->CurrentLevel = 1;
    env.state->RecordedTime = 1234;
    env.state->TargetTime[1] = 1500;
    env.state->NewOwnRecord = 1;
    env.writeRecords({ env.run(1, 1234) });
    open();
    for (const char *name : { "ProgramLabel", "TodayTotalLabel", "LevelLabel", "LevelRunLabel", "PupilLabel",
             "TimeLabel", "PointsLabel", "MessageLabel" }) {
        QLabel *line = label(name);
        ASSERT_FALSE(line->text().isEmpty()) << name;
        EXPECT_EQ(accessibleName(line), line->text()) << name;
        EXPECT_FALSE(accessibleDescription(line).isEmpty()) << name;
    }
}

struct MessageCase {
    const char *name;
    int own;
    int top;
    int recorded;
    const char16_t *message; // empty: the message field stays hidden
    const char16_t *sound; // empty: nothing is played
};

class ResultMessages : public ResultScreenTest, public ::testing::WithParamInterface<MessageCase> { };

TEST_P(ResultMessages, MessageAndSoundByPrecedence)
{
    const MessageCase &c = GetParam();
    env.state->CurrentLevel = 1; // pass line 120
    env.state->RecordedTime = c.recorded;
    env.state->NewOwnRecord = std::int16_t(c.own);
    env.state->NewTopRecord = std::int16_t(c.top);
    env.writeRecords({ env.run(1, c.recorded) });
    open();
    const QString message = QString::fromUtf16(c.message);
    EXPECT_EQ(label("MessageLabel")->isHidden(), message.isEmpty());
    if (!message.isEmpty()) {
        EXPECT_EQ(label("MessageLabel")->text(), message);
    }
    const QString sound = QString::fromUtf16(c.sound);
    EXPECT_EQ(env.sound.played,
        sound.isEmpty() ? QStringList() : QStringList { env.state->SoundFolder + sound + QStringLiteral(".wav") });
    EXPECT_EQ(env.state->NewOwnRecord, 0);
    EXPECT_EQ(env.state->NewTopRecord, 0);
}

INSTANTIATE_TEST_SUITE_P(Flags, ResultMessages,
    ::testing::Values(MessageCase { "OwnRecord", 1, 0, 70, u"新記録おめでとう", u"O" },
        MessageCase { "TopRecordThatIsAlsoOwn", 1, 1, 70, u"！！！最高新記録！！！", u"最高1" },
        MessageCase { "NoRecordAtThePassLine", 0, 0, 120, u"", u"N" },
        MessageCase { "NoRecordOverThePassLineIsSilent", 0, 0, 121, u"", u"" }),
    [](const auto &info) { return std::string(info.param.name); });

struct AgainCase {
    const char *name;
    int level;
    int goalCleared;
    int overPracticeCount;
    int clearCount;
    bool againShown;
    const char16_t *clearedText; // null: the field is hidden
};

class AgainOffered : public ResultScreenTest, public ::testing::WithParamInterface<AgainCase> { };

TEST_P(AgainOffered, ButtonsAfterTheTimerTick)
{
    const AgainCase &c = GetParam();
    passedFiveTimes(c.level);
    env.state->OverPracticeCount[size_t(c.level)] = ItemValue::fromNumber(c.overPracticeCount);
    env.state->ClearCount[size_t(c.level)] = std::int16_t(c.clearCount);
    env.state->GoalCleared = c.goalCleared;
    ResultScreen *screen = open();
    EXPECT_TRUE(button("MenuButton")->isHidden()) << "the buttons wait for the timer";
    EXPECT_TRUE(button("AgainButton")->isHidden());
    EXPECT_EQ(screen->buttonsDelay().interval(), 500);

    screen->showButtons();
    EXPECT_FALSE(screen->buttonsDelay().isActive());
    EXPECT_FALSE(button("MenuButton")->isHidden());
    EXPECT_EQ(screen->focusWidget(), button("MenuButton"));
    EXPECT_EQ(!button("AgainButton")->isHidden(), c.againShown);
    if (c.clearedText) {
        EXPECT_FALSE(label("LevelClearedLabel")->isHidden());
        EXPECT_EQ(label("LevelClearedLabel")->text(), QString::fromUtf16(c.clearedText));
    } else {
        EXPECT_TRUE(label("LevelClearedLabel")->isHidden());
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, AgainOffered,
    ::testing::Values(AgainCase { "OverPractisedBelowTheGoalGoesOn", 2, 0, 5, 5, false, u"次のレベルへ進みましょう" },
        AgainCase { "GoalAlreadyClearedMayPractise", 2, 1, 5, 5, true, u"このレベルクリア" },
        AgainCase { "NotOverPractised", 2, 0, 20, 5, true, u"このレベルクリア" },
        AgainCase { "NotPassed", 2, 0, 5, 6, true, nullptr },
        // At the goal level the field is emptied and hidden instead.
        AgainCase { "OverPractisedAtTheGoal", 4, 0, 5, 5, true, nullptr }),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(ResultScreenTest, GoalBannerShownUntilTheTickAndGoalSoundOnFirstClearing)
{
    passedFiveTimes(4);
    env.state->LevelClearedBefore = 0;
    ResultScreen *screen = open();
    EXPECT_FALSE(label("LevelClearedLabel")->isHidden());
    EXPECT_EQ(label("LevelClearedLabel")->text(), QStringLiteral("このレベルクリア"));
    EXPECT_FALSE(banner()->isHidden());
    EXPECT_TRUE(env.sound.played.contains(env.state->SoundFolder + QStringLiteral("合格.wav")));
    screen->showButtons();
    EXPECT_TRUE(banner()->isHidden());
}

TEST_F(ResultScreenTest, GoalBannerNeverWhenALevelHasClearCount9999)
{
    passedFiveTimes(4);
    env.state->LevelClearedBefore = 0;
    env.state->ClearCount[3] = 9999;
    open();
    EXPECT_TRUE(banner()->isHidden());
    EXPECT_FALSE(label("LevelClearedLabel")->isHidden());
    EXPECT_TRUE(env.sound.played.contains(env.state->SoundFolder + QStringLiteral("合格.wav")))
        << "the goal sound still plays";
}

TEST_F(ResultScreenTest, NoGoalSoundOrBannerWhenClearedBeforeOrBelowTheGoal)
{
    passedFiveTimes(4);
    env.state->LevelClearedBefore = 1;
    open();
    EXPECT_FALSE(env.sound.played.contains(env.state->SoundFolder + QStringLiteral("合格.wav")));
    env.navigator.closeResult();

    passedFiveTimes(3);
    env.state->LevelClearedBefore = 0;
    env.sound.played.clear();
    open();
    EXPECT_TRUE(banner()->isHidden());
    EXPECT_FALSE(env.sound.played.contains(env.state->SoundFolder + QStringLiteral("合格.wav")));
}

TEST_F(ResultScreenTest, RunNumbersIncludeThisRunAndClosesTheWaitWindow)
{
    env.writeRecords({ env.run(1, 50), env.run(1, 70), env.run(20, 90), env.run(2, 80) });
    env.state->CurrentLevel = 1;
    env.state->RecordedTime = 70;
    env.navigator.showWait();
    open();
    EXPECT_EQ(label("LevelRunLabel")->text(), QStringLiteral(" (このレベル　2回目)"));
    // Today's total takes in every level up to 35.
    EXPECT_EQ(label("TodayTotalLabel")->text(), QStringLiteral("（4回目)"));
    EXPECT_EQ(env.state->TodayRunTotal, 4);
    EXPECT_FALSE(env.navigator.waitOpen);
}

TEST_F(ResultScreenTest, MenuLeadsToTheHub)
{
    env.state->CurrentLevel = 1;
    env.state->RecordedTime = 70;
    ResultScreen *screen = open();
    screen->showButtons();
    env.navigator.calls.clear();
    QTest::keyClick(button("MenuButton"), Qt::Key_Return);
    EXPECT_EQ(env.navigator.calls, (QStringList { QStringLiteral("showHub"), QStringLiteral("closeResult") }));
    EXPECT_FALSE(button("MenuButton")->isEnabled());
}

TEST_F(ResultScreenTest, AgainStartsAnotherRunAtTheSameLevelBehindTheWaitWindow)
{
    env.state->CurrentLevel = 2;
    env.state->RecordedTime = 99999;
    env.state->TimeUp = 1;
    env.state->RunComplete = 0;
    env.state->RunEnding = 1;
    env.state->ProblemsDone = 4;
    ResultScreen *screen = open();
    screen->showButtons();
    env.navigator.calls.clear();
    QTest::keyClick(button("AgainButton"), Qt::Key_Return);
    EXPECT_EQ(env.navigator.calls.mid(0, 4),
        (QStringList { QStringLiteral("showWait"), QStringLiteral("closeResult"), QStringLiteral("openDrill"),
            QStringLiteral("closeHub") }));
    EXPECT_FALSE(button("MenuButton")->isEnabled());
    EXPECT_TRUE(env.navigator.waitOpen);
    EXPECT_EQ(env.state->TimeUp, 0);
    EXPECT_EQ(env.state->RunEnding, 0);
    EXPECT_EQ(env.state->ProblemsDone, 0);
    ASSERT_NE(env.navigator.drill(), nullptr);
    EXPECT_EQ(env.state->CurrentLevel, 2);
    EXPECT_EQ(env.navigator.drill()->DigitString().size(), 5);
}

} // namespace
