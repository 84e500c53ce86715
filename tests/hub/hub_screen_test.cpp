// SPDX-License-Identifier: MIT
#include "hub/hub_screen.h"
#include "platform/clock.h"
#include "platform/layout.h"
#include "results/result_record.h"
#include "results/results_file.h"
#include "startup/startup_loader.h"
#include "state/level_table.h"
#include "state/shared_state.h"
#include "support/accessible.h"
#include "support/data_root.h"
#include "support/fake_navigator.h"
#include "support/fakes.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

// A school with a roster and some runs, the hub of one signed-in pupil.
struct Hub : ::testing::Test {
    std::unique_ptr<SharedState> state = std::make_unique<SharedState>();
    FakePlatform fakes;
    FakeNavigator navigator;
    TestInstall install;
    std::unique_ptr<HubScreen> hub;

    void SetUp() override
    {
        install.writeDefaults();
        install.writeRoster(QStringLiteral("1,2017,0,0,\"大野 ひな\",0,\"\",\"\"\n"
                                           "2,2017,0,0,\"加藤 りく\",0,\"\",\"\"\n"
                                           "3,2012,0,0,\"林 まゆ\",0,\"\",\"\"\n"
                                           "9,1980,0,0,\"★山口\",0,\"\",\"\"\n"));
        ASSERT_TRUE(LoadPathsAndSettings(*state, fakes.platform, install.programFolder()));
        fillLevelTable(*state);
        state->SeasonColour = Rgb { 192, 255, 192 };
        state->GradeFilter = QStringLiteral("全学年");
        signIn(1, QStringLiteral("大野 ひな"), QStringLiteral("小３"));
        // Listed pupils as name selection leaves them.
        state->SchoolYear = 2026;
        const int numbers[4] = { 1, 2, 3, 9 };
        const int births[4] = { 2017, 2017, 2012, 1980 };
        const char16_t *names[4] = { u"大野 ひな", u"加藤 りく", u"林 まゆ", u"★山口" };
        for (int k = 0; k < 4; ++k) {
            state->ListedPupils[k + 1] = std::int16_t(numbers[k]);
            state->RosterName[numbers[k]] = QString::fromUtf16(names[k]).leftJustified(20, QLatin1Char(' '));
            state->RosterBirthYear[numbers[k]] = std::int16_t(births[k]);
        }
        state->ListedPupilCount = 4;
    }

    void signIn(int number, const QString &name, const QString &grade)
    {
        state->PupilNumber = std::int16_t(number);
        state->PupilName = name.leftJustified(20, QLatin1Char(' '));
        state->PupilGradeLabel = grade;
        state->SignInTime = 9 * 3600;
    }

    void addRun(int pupil, int level, int seconds, int daysAgo = 0, QTime time = QTime(9, 30))
    {
        ResultRecord r;
        r.date = oledate::fromDate(fakes.clock.today().addDays(-daysAgo));
        r.timeOfDay = oledate::timeFraction(time);
        r.pupilNumber = std::int16_t(pupil);
        r.level = std::int16_t(level);
        r.seconds = seconds;
        ASSERT_EQ(appendResultRecord(resultsFilePath(*state), r, fakes.clock), 0);
    }

    void open()
    {
        hub = std::make_unique<HubScreen>(*state, fakes.platform, navigator);
        hub->show();
        hub->onShown();
    }
};

TEST_F(Hub, ColumnsShowTheLevelsFiguresAndCriteria)
{
    addRun(1, 1, 30);
    addRun(1, 1, 61);
    addRun(1, 2, 99999);
    addRun(1, 1, 45, 3);
    fakes.clock.set(QDateTime(fakes.clock.today(), QTime(9, 25, 10)));
    open();

    EXPECT_TRUE(hub->refreshDone());
    EXPECT_DOUBLE_EQ(hub->columnWidth(), 3648);
    EXPECT_FALSE(hub->findChild<QScrollBar *>(QStringLiteral("HScroll1"))->isVisible());
    EXPECT_EQ(hub->levelName(4)->text(), QStringLiteral("レベル４"));
    EXPECT_EQ(hub->startButton(2)->text(), QStringLiteral("ｽﾀｰﾄ(&2)"));
    // Level 1: 3 valid runs, 11 + 4 + points of 45 s today and earlier.
    EXPECT_EQ(hub->todayFigure(1)->text(), QStringLiteral("2回/15点"));
    EXPECT_EQ(hub->allTimeFigure(1)->text(), QStringLiteral("3回/20点"));
    EXPECT_EQ(hub->todayFigure(2)->text(), QStringLiteral("-----")) << "a time-up is no valid run";
    EXPECT_EQ(hub->allTimeFigure(3)->text(), QStringLiteral("------"));
    EXPECT_EQ(hub->criteria(3)->text(), QStringLiteral("目標=100秒 5回/100点(×1.5)"));
    EXPECT_EQ(hub->findChild<QLabel *>(QStringLiteral("Label12"))->text(), QStringLiteral("小３ 大野 ひな"));
    EXPECT_EQ(hub->findChild<QLabel *>(QStringLiteral("Label13"))->text(), QStringLiteral("テスト学習塾:1"));
    EXPECT_EQ(hub->findChild<QLabel *>(QStringLiteral("Label17"))->text(), QStringLiteral("起動後25分"));
    EXPECT_EQ(hub->findChild<QLabel *>(QStringLiteral("Label18"))->text(), QStringLiteral("本日総回数＝2回"));
    EXPECT_FALSE(hub->findChild<QPushButton *>(QStringLiteral("Command8"))->isVisible());
    EXPECT_TRUE(navigator.calls.contains(QStringLiteral("closeNameSelection")));
}

TEST_F(Hub, OpensOnTheCumulativePointsRankingWithThePupilMarked)
{
    addRun(1, 1, 30);
    addRun(2, 1, 20);
    addRun(3, 1, 50, 2);
    open();
    EXPECT_EQ(hub->listMode(), 2);
    EXPECT_EQ(hub->findChild<QLabel *>(QStringLiteral("Label5"))->text(), QStringLiteral("獲得ポイント（今まで順位）"));
    QListWidget *list = hub->resultsList(1);
    ASSERT_EQ(list->count(), 4);
    EXPECT_TRUE(list->item(0)->text().contains(QStringLiteral("加藤")));
    EXPECT_TRUE(list->item(1)->text().startsWith(QStringLiteral(" 2●大野")));
    EXPECT_TRUE(list->isVisible());
    EXPECT_TRUE(hub->findChild<QRadioButton *>(QStringLiteral("Option2_1"))->isChecked());
    EXPECT_TRUE(hub->findChild<QRadioButton *>(QStringLiteral("Option1_1"))->isChecked());
}

TEST_F(Hub, TeachersSeeTheDataButton)
{
    signIn(9, QStringLiteral("★山口"), QString());
    open();
    EXPECT_TRUE(hub->findChild<QPushButton *>(QStringLiteral("Command8"))->isVisible());
}

TEST_F(Hub, KeysStartLevelsOnlyAfterTheRefreshAndOnlyEnabledOnes)
{
    hub = std::make_unique<HubScreen>(*state, fakes.platform, navigator);
    hub->show();
    QTest::keyClick(hub.get(), Qt::Key_3);
    EXPECT_FALSE(navigator.calls.contains(QStringLiteral("openDrill"))) << "keys wait for the refresh";

    hub->onShown();
    QTest::keyClick(hub.get(), Qt::Key_5);
    EXPECT_FALSE(navigator.calls.contains(QStringLiteral("openDrill"))) << "there is no level 5";
    QTest::keyClick(hub.get(), Qt::Key_3);
    EXPECT_TRUE(navigator.calls.contains(QStringLiteral("openDrill")));
    EXPECT_EQ(state->CurrentLevel, 3);
    EXPECT_FALSE(hub->refreshDone());
}

TEST_F(Hub, ZeroGoesBackToNameSelectionAndDisabledLevelsDoNotStart)
{
    state->AllLevelsFree = 0;
    open();
    EXPECT_TRUE(hub->startButton(1)->isEnabled());
    EXPECT_FALSE(hub->startButton(2)->isEnabled());
    QTest::keyClick(hub.get(), Qt::Key_2);
    EXPECT_FALSE(navigator.calls.contains(QStringLiteral("openDrill")));
    hub->startLevelFromName(2);
    EXPECT_FALSE(navigator.calls.contains(QStringLiteral("openDrill")));
    QTest::keyClick(hub.get(), Qt::Key_0);
    EXPECT_TRUE(navigator.calls.contains(QStringLiteral("showNameSelection")));
}

TEST_F(Hub, StartingFromTheLevelNameClosesTheHub)
{
    open();
    QTest::mouseClick(hub->levelName(2), Qt::LeftButton);
    EXPECT_EQ(state->CurrentLevel, 2);
    EXPECT_TRUE(navigator.calls.contains(QStringLiteral("openDrill")));
    EXPECT_TRUE(navigator.calls.contains(QStringLiteral("closeHub")));
}

TEST_F(Hub, OverPractisedLevelsShowTheNotice)
{
    for (int n = 0; n < 20; ++n)
        addRun(1, 2, 70);
    open();
    EXPECT_FALSE(hub->startButton(2)->isEnabled());
    EXPECT_TRUE(hub->overPracticeNotice(2)->isVisible());
    EXPECT_EQ(hub->overPracticeNotice(2)->text(), QStringLiteral("やりすぎ禁止"));
    EXPECT_TRUE(hub->startButton(3)->isEnabled());
}

TEST_F(Hub, TimeViewListsTodaysRunsAndColoursByTheLastRun)
{
    addRun(2, 1, 30, 0, QTime(9, 5));
    addRun(1, 1, 100, 0, QTime(9, 40));
    addRun(3, 1, 40, 1);
    open();
    hub->findChild<QRadioButton *>(QStringLiteral("Option2_0"))->setChecked(true);
    EXPECT_EQ(hub->listMode(), 1);
    EXPECT_EQ(hub->findChild<QLabel *>(QStringLiteral("Label5"))->text(), QStringLiteral("ベスト成績"));
    hub->findChild<QRadioButton *>(QStringLiteral("Option1_2"))->setChecked(true);
    EXPECT_EQ(hub->findChild<QLabel *>(QStringLiteral("Label5"))->text(), QStringLiteral("本日の成績"));
    QListWidget *list = hub->resultsList(1);
    ASSERT_EQ(list->count(), 2);
    EXPECT_TRUE(list->item(0)->text().startsWith(QStringLiteral("  30秒 09:05③加藤")));
    EXPECT_TRUE(list->item(1)->text().contains(QStringLiteral("●大野")));
    EXPECT_EQ(list->palette().color(QPalette::Base), QColor(192, 255, 192))
        << "the last run, 100 s, is within the pass line";
}

TEST_F(Hub, GradeFilterNarrowsTheRankingButKeepsTheRanks)
{
    addRun(3, 1, 20);
    addRun(1, 1, 30);
    open();
    auto *combo = hub->findChild<QComboBox *>(QStringLiteral("Combo1"));
    combo->setCurrentIndex(combo->findText(QStringLiteral("小３")));
    hub->applyGradeFilter();
    QListWidget *list = hub->resultsList(1);
    ASSERT_EQ(list->count(), 2);
    EXPECT_TRUE(list->item(0)->text().startsWith(QStringLiteral(" 2●大野")));
    EXPECT_TRUE(list->item(1)->text().startsWith(QStringLiteral(" 3③加藤"))) << "ranks count the pupils filtered out";
}

TEST_F(Hub, FiveOrMoreLevelsScrollFromTheRememberedColumn)
{
    state->LevelCount = 6;
    state->HubFirstColumn = 3;
    open();
    EXPECT_DOUBLE_EQ(hub->columnWidth(), 3456);
    auto *scroll = hub->findChild<QScrollBar *>(QStringLiteral("HScroll1"));
    EXPECT_TRUE(scroll->isVisible());
    EXPECT_EQ(scroll->maximum(), 3);
    EXPECT_EQ(scroll->value(), 3);
    EXPECT_EQ(hub->resultsList(3)->x(), twips(307));
    EXPECT_EQ(hub->resultsList(1)->x(), twips(15360)) << "columns left of the first are parked off-screen";
    state->HubFirstColumn = 4;
    hub = std::make_unique<HubScreen>(*state, fakes.platform, navigator);
    hub->onShown();
    EXPECT_EQ(state->HubFirstColumn, 1) << "beyond the scroll range the first column is shown";
}

// A school of many pupils: `extra` more listed pupils with five-character
// names, numbers from 100 on.
void addPupils(SharedState &state, int extra)
{
    for (int k = 0; k < extra; ++k) {
        const int number = 100 + k;
        const int slot = state.ListedPupilCount + 1;
        state.ListedPupils[slot] = std::int16_t(number);
        state.RosterName[number] = QStringLiteral("生徒%1さん").arg(k, 2, 10, QLatin1Char('0'));
        state.RosterBirthYear[number] = std::int16_t(2012 + k % 6);
        state.ListedPupilCount = slot;
    }
}

TEST_F(Hub, KeysThatStartALevelAreUsedUp)
{
    open();
    auto *combo = hub->findChild<QComboBox *>(QStringLiteral("Combo1"));
    combo->lineEdit()->setFocus();
    const QString before = combo->currentText();
    QTest::keyClick(combo->lineEdit(), Qt::Key_1);
    EXPECT_TRUE(navigator.calls.contains(QStringLiteral("openDrill")));
    EXPECT_EQ(combo->currentText(), before) << "the key started level 1 and went no further";
}

TEST_F(Hub, KeysThatLeaveTheHubAreUsedUp)
{
    open();
    auto *combo = hub->findChild<QComboBox *>(QStringLiteral("Combo1"));
    combo->lineEdit()->setFocus();
    const QString before = combo->currentText();
    QTest::keyClick(combo->lineEdit(), Qt::Key_0);
    EXPECT_TRUE(navigator.calls.contains(QStringLiteral("showNameSelection")));
    EXPECT_EQ(combo->currentText(), before);
}

// A list rebuilt for another view opens at its top; only the signed-in
// pupil's row may scroll it.
TEST_F(Hub, ARebuiltListStartsAtItsTop)
{
    addPupils(*state, 40);
    addRun(1, 1, 10); // the signed-in pupil is first in every ranking
    for (int k = 0; k < 40; ++k)
        addRun(100 + k, 1, 20 + k);
    open();
    QListWidget *list = hub->resultsList(1);
    QApplication::processEvents();
    ASSERT_GT(list->verticalScrollBar()->maximum(), 0);
    list->verticalScrollBar()->setValue(list->verticalScrollBar()->maximum());

    hub->findChild<QRadioButton *>(QStringLiteral("Option2_0"))->setChecked(true);
    QApplication::processEvents();
    ASSERT_GT(list->count(), 14);
    EXPECT_EQ(list->verticalScrollBar()->value(), 0);
    EXPECT_EQ(list->indexAt(QPoint(2, 2)).row(), 0) << "rank 1 is in sight";
}

TEST_F(Hub, TheSignedInPupilsRowIsScrolledIntoView)
{
    addPupils(*state, 40);
    for (int k = 0; k < 40; ++k)
        addRun(100 + k, 1, 20 + k);
    addRun(1, 1, 90); // the signed-in pupil comes last
    open();
    QListWidget *list = hub->resultsList(1);
    hub->findChild<QRadioButton *>(QStringLiteral("Option2_0"))->setChecked(true);
    QApplication::processEvents();
    int own = -1;
    for (int row = 0; row < list->count(); ++row)
        if (list->item(row)->text().contains(QStringLiteral("●")))
            own = row;
    ASSERT_GT(own, 20);
    EXPECT_GT(list->verticalScrollBar()->value(), 0);
    EXPECT_TRUE(list->viewport()->rect().intersects(list->visualItemRect(list->item(own))));
}

// Every row and caption can be read to its end: what does not fit the
// visible width can be scrolled to.
void expectRowsReadable(QListWidget *list, int level)
{
    const QFontMetrics metrics(list->font());
    for (int row = 0; row < list->count(); ++row) {
        const QString text = list->item(row)->text();
        const int needed
            = metrics.horizontalAdvance(text) + 2 * list->style()->pixelMetric(QStyle::PM_FocusFrameHMargin) + 2;
        EXPECT_LE(needed, list->viewport()->width() + list->horizontalScrollBar()->maximum())
            << "level " << level << " row " << row << ": " << text.toStdString();
        EXPECT_LE(needed, list->visualItemRect(list->item(row)).width())
            << "level " << level << " row " << row << " is painted in full: " << text.toStdString();
    }
}

void expectCaptionReadable(QLabel *label)
{
    const QFontMetrics metrics(label->font());
    EXPECT_LE(metrics.horizontalAdvance(label->text()), label->contentsRect().width())
        << label->objectName().toStdString() << ": " << label->text().toStdString();
}

TEST_F(Hub, RowsAndCaptionsOfABigSchoolAreReadableInFull)
{
    state->LevelCount = 5;
    addPupils(*state, 30);
    for (int n = 0; n < 123; ++n)
        addRun(1, 1 + n % 2, n % 3 == 0 ? 1234 : 5999 - n);
    for (int k = 0; k < 30; ++k)
        addRun(100 + k, 1, 1000 + 37 * k);
    fakes.clock.set(QDateTime(fakes.clock.today(), QTime(23, 59)));
    signIn(1, QStringLiteral("大野 ひな"), QStringLiteral("小３"));
    state->SignInTime = 0;
    open();
    hub->show();
    // Points view, all runs of the period: the longest rows there are.
    hub->findChild<QRadioButton *>(QStringLiteral("Option1_3"))->setChecked(true);
    QApplication::processEvents();
    ASSERT_GT(hub->resultsList(1)->count(), 80);
    for (int level = 1; level <= 2; ++level) {
        expectRowsReadable(hub->resultsList(level), level);
        EXPECT_EQ(hub->resultsList(level)->horizontalScrollBar()->maximum(), 0)
            << "four-digit times fit without scrolling";
    }
    // Time view: today's runs and best times.
    hub->findChild<QRadioButton *>(QStringLiteral("Option2_0"))->setChecked(true);
    hub->findChild<QRadioButton *>(QStringLiteral("Option1_2"))->setChecked(true);
    QApplication::processEvents();
    expectRowsReadable(hub->resultsList(1), 1);

    EXPECT_EQ(hub->findChild<QLabel *>(QStringLiteral("Label18"))->text(), QStringLiteral("本日総回数＝123回"));
    for (const char *name : { "Label11", "Label12", "Label13", "Label17", "Label18" })
        expectCaptionReadable(hub->findChild<QLabel *>(QString::fromLatin1(name)));
    for (int level = 1; level <= 2; ++level) {
        expectCaptionReadable(hub->todayFigure(level));
        expectCaptionReadable(hub->allTimeFigure(level));
        expectCaptionReadable(hub->periodStanding(level));
        expectCaptionReadable(hub->criteria(level));
    }
}

// A screen reader reads every caption as it is shown; input boxes and lists
// say what they are.
TEST_F(Hub, CaptionsReadBackAsShown)
{
    addRun(1, 1, 30);
    open();
    QList<QLabel *> captions;
    for (const char *name : { "Label11", "Label12", "Label13", "Label17", "Label18", "Label5" })
        captions << hub->findChild<QLabel *>(QString::fromLatin1(name));
    for (int level = 1; level <= state->LevelCount; ++level)
        captions << hub->levelName(level) << hub->todayFigure(level) << hub->allTimeFigure(level)
                 << hub->periodStanding(level) << hub->criteria(level);
    for (QLabel *label : captions) {
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(accessibleName(label), label->text()) << label->objectName().toStdString();
    }
    EXPECT_EQ(accessibleName(hub->resultsList(1)), state->LevelName[1] + QStringLiteral("の成績一覧"));
}

} // namespace
