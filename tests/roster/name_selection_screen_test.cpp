// SPDX-License-Identifier: MIT
#include "platform/clock.h"
#include "platform/number_text.h"
#include "results/result_record.h"
#include "roster/name_selection_screen.h"
#include "setup/sound_choice.h"
#include "startup/startup_loader.h"
#include "state/shared_state.h"
#include "support/accessible.h"
#include "support/data_root.h"
#include "support/fake_navigator.h"
#include "support/fakes.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

// School year 2026 (start month 4) for the default fake clock, 2026-12-09.
const QString kRoster = QStringLiteral("1,2018,0,0,\"青木 さくら\",0,\"\",\"\"\n" // 小2
                                       "2,2017,0,0,\"石井\",0,\"\",\"\"\n" // 小3
                                       "3,2012,0,0,\"上田\",0,\"\",\"\"\n" // 中2
                                       "4,2021,0,0,\"江藤\",0,\"\",\"\"\n" // 幼2
                                       "5,2017,0,0,\"大野\",0,\"\",\"\"\n" // 小3
                                       "6,2009,0,0,\"加藤\",0,\"\",\"\"\n" // 高2
                                       "7,2016,0,0,\"木村\",1,\"\",\"\"\n"); // not listed

class NameSelection : public ::testing::Test {
protected:
    NameSelection()
        : state(std::make_unique<SharedState>())
    {
        install.writeDefaults();
        install.writeRoster(kRoster);
        EXPECT_TRUE(LoadPathsAndSettings(*state, fakes.platform, install.programFolder()));
        state->SeasonColour = Rgb { 192, 255, 192 };
    }

    // Loaded and activated, as the navigator shows it.
    NameSelectionScreen &open()
    {
        screen = std::make_unique<NameSelectionScreen>(*state, fakes.platform, navigator);
        EXPECT_TRUE(screen->open());
        screen->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(screen.get()));
        screen->onShown();
        return *screen;
    }

    template <typename T> T *control(const char *name)
    {
        T *widget = screen->findChild<T *>(QString::fromLatin1(name));
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QListWidget *list1() { return control<QListWidget>("List1"); }
    QString label1() { return control<QLabel>("Label1")->text(); }

    QStringList lines()
    {
        QStringList texts;
        for (int i = 0; i < list1()->count(); ++i)
            texts << list1()->item(i)->text();
        return texts;
    }

    // The row of the first line naming the pupil.
    int rowOf(const QString &name)
    {
        const QStringList texts = lines();
        for (int i = 1; i < texts.size(); ++i)
            if (texts[i].contains(name))
                return i;
        return -1;
    }

    void pressInList(int key, const QString &text = QString())
    {
        list1()->setFocus();
        QTest::keyClick(list1(), Qt::Key(key), Qt::NoModifier);
        (void)text;
    }

    void typeInList(char c)
    {
        list1()->setFocus();
        QTest::keyClick(list1(), c);
    }

    int hubOpenings() const { return int(navigator.calls.count(QStringLiteral("showHub"))); }

    TestInstall install;
    std::unique_ptr<SharedState> state;
    FakePlatform fakes;
    FakeNavigator navigator;
    std::unique_ptr<NameSelectionScreen> screen;
};

TEST_F(NameSelection, OpensInModeOneWithAllGradesAndNothingChosen)
{
    open();
    EXPECT_EQ(screen->DisplayMode(), 1);
    EXPECT_TRUE(control<QRadioButton>("Option1_1")->isChecked());
    EXPECT_EQ(state->GradeFilter, QStringLiteral("全学年"));
    EXPECT_EQ(control<QComboBox>("Combo1")->count(), 12);
    EXPECT_EQ(control<QComboBox>("Combo1")->currentText(), QStringLiteral("全学年"));
    EXPECT_EQ(label1(), QStringLiteral("名前を選びなさい"));
    EXPECT_FALSE(control<QWidget>("Picture5")->isVisible());
    EXPECT_TRUE(navigator.calls.contains(QStringLiteral("closeHub")));
    EXPECT_EQ(list1()->currentRow(), 0);

    // Oldest school year first; kindergarten last; status 1 left out.
    const QStringList texts = lines();
    ASSERT_EQ(texts.size(), 7);
    EXPECT_EQ(texts[0], QStringLiteral("－－－－－－"));
    EXPECT_TRUE(texts[1].startsWith(QStringLiteral("高2 加藤"))) << texts[1].toStdString();
    EXPECT_TRUE(texts[2].startsWith(QStringLiteral("中2 上田")));
    // いしい before おおの (JIS order), though 大 has the lower character code.
    EXPECT_TRUE(texts[3].startsWith(QStringLiteral("小3 石井")));
    EXPECT_TRUE(texts[4].startsWith(QStringLiteral("小3 大野")));
    EXPECT_TRUE(texts[5].startsWith(QStringLiteral("小2 青木 さくら")));
    EXPECT_TRUE(texts[6].startsWith(QStringLiteral("幼2 江藤")));
    // Mode 1 with no runs: zero point columns.
    EXPECT_EQ(texts[2], DisplayText(1, ListGradeLabel(8), QStringLiteral("上田"), {}));
    EXPECT_EQ(screen->shownLines().size(), 6);
}

// The columns come from the results file, recounted at every rebuild.
TEST_F(NameSelection, ColumnsShowTheStoredRunsOfEachPupil)
{
    const double today = oledate::fromDate(fakes.clock.today());
    QByteArray results;
    const auto add = [&](int pupil, double date, int seconds) {
        ResultRecord r;
        r.date = date;
        r.pupilNumber = std::int16_t(pupil);
        r.level = 1;
        r.seconds = seconds;
        results += encodeRecord(r);
    };
    for (int i = 0; i < 9; ++i)
        add(2, today - 10, 60); // 5 points each with a target of 60 s
    for (int i = 0; i < 3; ++i)
        add(2, today, 30); // 11 points each
    install.writeBytes(install.programDataFolder() + QStringLiteral("成績累積データ.dat"), results);
    open();
    const int row = rowOf(QStringLiteral("石井"));
    const QString head = QStringLiteral("小3 石井") + QString(4, kIdeographicSpace);
    EXPECT_EQ(lines()[row], head + QStringLiteral("  33/     78"));
    control<QRadioButton>("Option1_0")->click();
    EXPECT_EQ(lines()[row], head + QStringLiteral("  3回/   12回"));
    control<QRadioButton>("Option1_2")->click();
    EXPECT_EQ(lines()[row], head + QStringLiteral("  33/  3回"));
    control<QRadioButton>("Option1_3")->click();
    EXPECT_EQ(lines()[row], head + QStringLiteral("     78/   12回"));
    // A pupil without runs keeps the same width.
    EXPECT_EQ(lines()[rowOf(QStringLiteral("大野"))],
        QStringLiteral("小3 大野") + QString(4, kIdeographicSpace) + ColumnC4(0) + QStringLiteral("/") + ColumnC2(0));
}

TEST_F(NameSelection, AnEmptyRosterListsOnlyLineZeroAndOkSoundsWrong)
{
    install.writeRoster(QString());
    open();
    EXPECT_EQ(lines(), QStringList { QStringLiteral("－－－－－－") });
    control<QPushButton>("Command14")->click();
    EXPECT_EQ(fakes.sound.played.size(), 1);
    EXPECT_EQ(hubOpenings(), 0);
}

TEST_F(NameSelection, ArrowKeysSelectLikeAClickAndOneSignsIn)
{
    fakes.clock.set(QDateTime(QDate(2026, 12, 9), QTime(10, 0, 0, 500)));
    open();
    pressInList(Qt::Key_Down);
    pressInList(Qt::Key_Down);
    ASSERT_EQ(list1()->currentRow(), 2);
    EXPECT_EQ(label1(), SelectedLineLabel(lines()[2]));
    EXPECT_EQ(control<QLabel>("Label2")->text(), QStringLiteral("3"));

    typeInList('1');
    EXPECT_EQ(state->PupilNumber, 3);
    EXPECT_EQ(state->PupilName, QStringLiteral("上田") + QString(18, QLatin1Char(' ')));
    EXPECT_EQ(state->PupilGradeLabel, QStringLiteral("中２"));
    EXPECT_EQ(state->SignInTime, 36000); // 36000.5 rounds to the even second
    EXPECT_EQ(state->LevelCount, 4);
    EXPECT_EQ(hubOpenings(), 1);
    EXPECT_FALSE(control<QPushButton>("Command14")->isVisible());
    EXPECT_TRUE(control<QWidget>("Picture5")->isVisible());
    EXPECT_TRUE(fakes.sound.played.isEmpty());

    // Further confirmations while the hub opens change nothing.
    pressInList(Qt::Key_Return);
    typeInList('1');
    EXPECT_EQ(hubOpenings(), 1);
}

TEST_F(NameSelection, SignInTimeRoundsHalfSecondsToEven)
{
    fakes.clock.set(QDateTime(QDate(2026, 12, 9), QTime(10, 0, 1, 500)));
    open();
    list1()->setCurrentRow(1);
    control<QPushButton>("Command14")->click();
    EXPECT_EQ(state->SignInTime, 36002);
}

TEST_F(NameSelection, OneOnLineZeroSoundsWrongOnce)
{
    open();
    typeInList('1');
    EXPECT_EQ(fakes.sound.played.size(), 1);
    EXPECT_EQ(hubOpenings(), 0);
    EXPECT_TRUE(control<QPushButton>("Command14")->isVisible());
}

// The form sees each key once, also when the focused control passes it on
// to its parents.
TEST_F(NameSelection, OneOnAnOptionButtonIsSeenOnce)
{
    open();
    auto *option = control<QRadioButton>("Option1_2");
    option->setFocus();
    QTest::keyClick(option, '1');
    EXPECT_EQ(fakes.sound.played.size(), 1);
}

class NameListKeys : public NameSelection, public ::testing::WithParamInterface<int> { };

TEST_P(NameListKeys, ConfirmTheHighlightedPupil)
{
    open();
    const int row = rowOf(QStringLiteral("石井"));
    list1()->setCurrentRow(row);
    pressInList(GetParam());
    EXPECT_EQ(state->PupilNumber, 2);
    EXPECT_EQ(hubOpenings(), 1);
}

TEST_P(NameListKeys, OnLineZeroSoundWrong)
{
    open();
    pressInList(GetParam());
    EXPECT_EQ(fakes.sound.played.size(), 1);
    EXPECT_EQ(hubOpenings(), 0);
}

INSTANTIATE_TEST_SUITE_P(EnterAndSpace, NameListKeys, ::testing::Values(Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space));

TEST_F(NameSelection, DoubleClickOnLineZeroOnlyAsksForAName)
{
    open();
    QWidget *viewport = list1()->viewport();
    const QPoint line0 = list1()->visualItemRect(list1()->item(0)).center();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, line0);
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, line0);
    EXPECT_EQ(label1(), QStringLiteral("名前を選びなさい"));
    EXPECT_EQ(hubOpenings(), 0);
    EXPECT_TRUE(fakes.sound.played.isEmpty());
}

TEST_F(NameSelection, DoubleClickOnAPupilSignsIn)
{
    open();
    const int row = rowOf(QStringLiteral("江藤"));
    QWidget *viewport = list1()->viewport();
    const QPoint at = list1()->visualItemRect(list1()->item(row)).center();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, at);
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, at);
    EXPECT_EQ(label1(), ConfirmedLineLabel(lines()[row]));
    EXPECT_EQ(state->PupilNumber, 4);
    EXPECT_EQ(hubOpenings(), 1);
}

TEST_F(NameSelection, GradeFilterListsOnlyItsGrades)
{
    open();
    auto *combo = control<QComboBox>("Combo1");
    const auto pick = [&](const QString &text) {
        const int index = combo->findText(text);
        combo->setCurrentIndex(index);
        emit combo->activated(index);
    };
    pick(QStringLiteral("小３"));
    EXPECT_EQ(state->GradeFilter, QStringLiteral("小３"));
    QStringList texts = lines();
    ASSERT_EQ(texts.size(), 3);
    EXPECT_TRUE(texts[1].startsWith(QStringLiteral("小3 石井")));
    EXPECT_TRUE(texts[2].startsWith(QStringLiteral("小3 大野")));
    EXPECT_EQ(list1()->currentRow(), 0);
    EXPECT_EQ(QApplication::focusWidget(), list1());

    // The numbers follow the filtered lines.
    list1()->setCurrentRow(2);
    EXPECT_EQ(control<QLabel>("Label2")->text(), QStringLiteral("5"));

    pick(QStringLiteral("中学生全体"));
    texts = lines();
    ASSERT_EQ(texts.size(), 2);
    EXPECT_TRUE(texts[1].startsWith(QStringLiteral("中2 上田")));

    // Kindergarten and high school appear under no other filter.
    for (const QString &filter : GradeFilterTexts().mid(1)) {
        pick(filter);
        for (const QString &line : lines()) {
            EXPECT_FALSE(line.startsWith(QStringLiteral("幼"))) << filter.toStdString();
            EXPECT_FALSE(line.startsWith(QStringLiteral("高"))) << filter.toStdString();
        }
    }
}

TEST_F(NameSelection, OptionButtonsSwitchTheColumns)
{
    open();
    control<QRadioButton>("Option1_3")->click();
    EXPECT_EQ(screen->DisplayMode(), 3);
    const int row = rowOf(QStringLiteral("江藤"));
    EXPECT_EQ(lines()[row], DisplayText(3, ListGradeLabel(-1), QStringLiteral("江藤"), {}));
    // Kindergarten keeps its wider name column in this mode.
    EXPECT_EQ(lines()[row].indexOf(ColumnC4(0)), 11);
}

TEST_F(NameSelection, BackFromTheVersionDialogResetsModeAndGradeFilter)
{
    open();
    auto *combo = control<QComboBox>("Combo1");
    const int third = combo->findText(QStringLiteral("小３"));
    combo->setCurrentIndex(third);
    emit combo->activated(third);
    control<QRadioButton>("Option1_0")->click();
    ASSERT_EQ(screen->DisplayMode(), 0);

    auto *title = control<QLabel>("Label4");
    QTest::mouseClick(title, Qt::LeftButton);
    EXPECT_EQ(navigator.calls.count(QStringLiteral("showVersion")), 1);
    EXPECT_EQ(screen->DisplayMode(), 1);
    EXPECT_TRUE(control<QRadioButton>("Option1_1")->isChecked());
    EXPECT_EQ(state->GradeFilter, QStringLiteral("全学年"));
    // The shown filter text is left as it was, and still narrows the list.
    EXPECT_EQ(combo->currentText(), QStringLiteral("小３"));
    EXPECT_EQ(combo->count(), 12);
    EXPECT_EQ(lines().size(), 3);
    EXPECT_EQ(label1(), QStringLiteral("名前を選びなさい"));
}

TEST_F(NameSelection, TitleShowsTheProgramName)
{
    open();
    EXPECT_EQ(control<QLabel>("Label4")->text(), state->ProgramName);
    EXPECT_FALSE(state->ProgramName.isEmpty());
}

// A missing roster is tried again five times, five seconds apart, then the
// program ends with the step and the failure in its message.
TEST_F(NameSelection, MissingRosterEndsAfterFiveRetries)
{
    QFile::remove(install.dataRoot() + QStringLiteral("新名簿.txt"));
    screen = std::make_unique<NameSelectionScreen>(*state, fakes.platform, navigator);
    EXPECT_FALSE(screen->open());
    EXPECT_EQ(fakes.clock.waits, std::vector<int>(6, 5000));
    EXPECT_EQ(screen->RetryCount(), 6);
    ASSERT_EQ(fakes.fatal.messages.size(), 1);
    const QString message = fakes.fatal.messages[0];
    EXPECT_TRUE(message.startsWith(QStringLiteral("名簿表示3"))) << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("新名簿.txt")));
    EXPECT_TRUE(message.endsWith(QStringLiteral("53")));
    EXPECT_EQ(hubOpenings(), 0);
}

TEST_F(NameSelection, ACutShortEntryReportsTheStepItReached)
{
    install.writeRoster(kRoster + QStringLiteral("8,2017,0\n"));
    screen = std::make_unique<NameSelectionScreen>(*state, fakes.platform, navigator);
    EXPECT_FALSE(screen->open());
    ASSERT_EQ(fakes.fatal.messages.size(), 1);
    EXPECT_TRUE(fakes.fatal.messages[0].startsWith(QStringLiteral("名簿表示4")))
        << fakes.fatal.messages[0].toStdString();
    EXPECT_TRUE(fakes.fatal.messages[0].endsWith(QStringLiteral("62")));
}

// A clock whose waits let a test change the world in between.
class HookClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime(QDate(2026, 12, 9), QTime(10, 0)); }
    qint64 tickMs() const override { return 0; }
    void waitResponsive(int ms) override
    {
        waits.push_back(ms);
        if (onWait)
            onWait(int(waits.size()));
    }
    std::vector<int> waits;
    std::function<void(int)> onWait;
};

TEST_F(NameSelection, ARosterThatReappearsIsListedOnceAfterTheRetries)
{
    // The file is cut short at first and complete from the second wait on.
    install.writeRoster(kRoster + QStringLiteral("8,2017,0\n"));
    HookClock clock;
    clock.onWait = [this](int wait) {
        if (wait == 2)
            install.writeRoster(kRoster);
    };
    Platform platform { clock, fakes.fatal, fakes.sound, fakes.launcher };
    screen = std::make_unique<NameSelectionScreen>(*state, platform, navigator);
    EXPECT_TRUE(screen->open());
    EXPECT_EQ(clock.waits, (std::vector<int> { 5000, 5000 }));
    EXPECT_EQ(screen->RetryCount(), 2);
    EXPECT_FALSE(fakes.fatal.called());
    EXPECT_EQ(lines().size(), 7);
}

// A click while a rebuild waits after a read failure asks for another
// rebuild; it runs after the waiting one instead of inside it, so the list
// holds each line once, in the mode clicked last.
TEST_F(NameSelection, AClickDuringARetryWaitRebuildsAfterwardsNotInside)
{
    HookClock clock;
    Platform platform { clock, fakes.fatal, fakes.sound, fakes.launcher };
    screen = std::make_unique<NameSelectionScreen>(*state, platform, navigator);
    ASSERT_TRUE(screen->open());
    screen->onShown();
    const int wholeList = int(lines().size());
    ASSERT_EQ(wholeList, 7);

    install.writeRoster(kRoster + QStringLiteral("8,2017,0\n"));
    clock.onWait = [this](int wait) {
        if (wait == 1)
            control<QRadioButton>("Option1_2")->click();
        if (wait == 2)
            install.writeRoster(kRoster);
    };
    control<QRadioButton>("Option1_3")->click();
    EXPECT_FALSE(fakes.fatal.called());
    EXPECT_EQ(lines().size(), wholeList);
    EXPECT_EQ(screen->DisplayMode(), 2);
}

TEST_F(NameSelection, NamesWithAReadingSortByIt)
{
    // The first spare text holds the reading an import stores there; a
    // spare text that is no reading leaves the name's own order.
    install.writeRoster(QStringLiteral("1,2017,0,0,\"渡辺\",0,\"わたなべ\",\"\"\n"
                                       "2,2017,0,0,\"髙橋\",0,\"タカハシ\",\"\"\n"
                                       "3,2017,0,0,\"上田\",0,\"3-1\",\"\"\n"
                                       "4,2017,0,0,\"井上\",0,\"\",\"\"\n"));
    open();
    QStringList names;
    for (const QString &line : lines().mid(1))
        names << line.section(QLatin1Char(' '), 1, 1).section(kIdeographicSpace, 0, 0);
    EXPECT_EQ(names,
        (QStringList {
            QStringLiteral("髙橋"), QStringLiteral("渡辺"), QStringLiteral("井上"), QStringLiteral("上田") }));
}

// A PC without a sound device says so on the name list, where everybody
// sees it before a run, and a screen reader reads it as it stands.
TEST_F(NameSelection, ANoticeAboutTheSoundShowsBelowTheList)
{
    open();
    EXPECT_FALSE(control<QLabel>("SoundNotice")->isVisible());

    state->SoundNotice = soundchoice::noticeText({ soundchoice::Choice::NoDevice, QStringLiteral("no card") });
    open();
    QLabel *notice = control<QLabel>("SoundNotice");
    EXPECT_TRUE(notice->isVisible());
    EXPECT_EQ(notice->text(), state->SoundNotice);
    EXPECT_LE(notice->fontMetrics().horizontalAdvance(notice->text()), notice->contentsRect().width())
        << "the whole notice fits its line";
    EXPECT_EQ(accessibleName(notice), state->SoundNotice);
    EXPECT_FALSE(notice->geometry().intersects(list1()->geometry())) << "the list stays whole";
    EXPECT_TRUE(screen->rect().contains(notice->geometry())) << "inside the window";
    if (qEnvironmentVariableIsSet("RUKAMINA_SCREENSHOT_DIR"))
        screen->grab().save(qEnvironmentVariable("RUKAMINA_SCREENSHOT_DIR") + "/name_list_no_sound.png");
}

TEST_F(NameSelection, TheChosenNameAndNumberReadBackAsShown)
{
    open();
    list1()->setCurrentRow(rowOf(QStringLiteral("石井")));
    for (const char *name : { "Label1", "Label2" }) {
        QLabel *label = control<QLabel>(name);
        ASSERT_FALSE(label->text().isEmpty()) << name;
        EXPECT_EQ(accessibleName(label), label->text()) << name;
    }
    EXPECT_EQ(accessibleName(list1()), QStringLiteral("名前一覧"));
}

TEST_F(NameSelection, ZeroStartsTheMenuProgramWithItsArgumentAndEnds)
{
    const QString menuFolder = install.suiteFolder() + QStringLiteral("起動/");
    QDir().mkpath(menuFolder);
    QFile exe(menuFolder + QStringLiteral("プログラムメニューc.exe"));
    ASSERT_TRUE(exe.open(QIODevice::WriteOnly));
    exe.close();
    open();
    typeInList('0');
    ASSERT_EQ(fakes.launcher.programs.size(), 1);
    EXPECT_EQ(fakes.launcher.programs[0], QDir::cleanPath(menuFolder + QStringLiteral("プログラムメニューc.exe")));
    EXPECT_EQ(fakes.launcher.argumentLists[0], QStringList { QStringLiteral("001") });
    EXPECT_EQ(navigator.calls.last(), QStringLiteral("quit"));
    EXPECT_FALSE(fakes.fatal.called());
}

// The suite's menu program as a file, named as on this system.
void placeMenuProgram(const TestInstall &install)
{
    const QString menuFolder = install.suiteFolder() + QStringLiteral("起動/");
    QDir().mkpath(menuFolder);
    QFile program(menuFolder + QStringLiteral("プログラムメニューc"));
    ASSERT_TRUE(program.open(QIODevice::WriteOnly));
}

TEST_F(NameSelection, MenuProgramWithoutExeIsStartedOnThisSystem)
{
    placeMenuProgram(install);
    open();
    control<QPushButton>("Command7")->click();
    ASSERT_EQ(fakes.launcher.programs.size(), 1);
    EXPECT_EQ(fakes.launcher.programs[0],
        QDir::cleanPath(install.suiteFolder() + QStringLiteral("起動/プログラムメニューc")));
    EXPECT_EQ(navigator.calls.last(), QStringLiteral("quit"));
}

TEST_F(NameSelection, AMenuProgramThatCannotStartIsReportedBeforeTheEnd)
{
    placeMenuProgram(install);
    fakes.launcher.succeed = false;
    open();
    control<QPushButton>("Command7")->click();
    ASSERT_EQ(fakes.fatal.messages.size(), 1);
    EXPECT_TRUE(fakes.fatal.messages[0].contains(QStringLiteral("起動/プログラムメニューc")));
    EXPECT_TRUE(fakes.fatal.messages[0].contains(QStringLiteral("cannot start")));
    EXPECT_EQ(navigator.calls.last(), QStringLiteral("quit"));
}

class WithoutMenuProgram : public NameSelection, public ::testing::WithParamInterface<bool> { };

// Installed without the suite: the button and the key end the program as
// any normal end of a lesson, starting nothing and reporting nothing.
TEST_P(WithoutMenuProgram, ZeroEndsTheProgramNormally)
{
    open();
    if (GetParam())
        typeInList('0');
    else
        control<QPushButton>("Command7")->click();
    EXPECT_TRUE(fakes.launcher.programs.isEmpty());
    EXPECT_FALSE(fakes.fatal.called()) << fakes.fatal.messages.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(navigator.calls.last(), QStringLiteral("quit"));
}

INSTANTIATE_TEST_SUITE_P(KeyOrButton, WithoutMenuProgram, ::testing::Bool(),
    [](const auto &info) { return std::string(info.param ? "Key" : "Button"); });

} // namespace
