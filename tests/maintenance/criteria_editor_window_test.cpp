// SPDX-License-Identifier: MIT
// The criteria editor driven through its real widgets: keys in the edit
// box, clicks on the grid, the buttons and the message boxes they open.
#include "maintenance/criteria_editor_window.h"
#include "platform/atomic_file.h"
#include "platform/cp932.h"
#include "platform/file_lock.h"
#include "results/result_record.h"
#include "results/results_file.h"
#include "startup/startup_loader.h"
#include "state/shared_state.h"
#include "support/data_root.h"
#include "support/fake_navigator.h"
#include "support/fakes.h"
#include "support/file_call_faults.h"
#include "support/message_boxes.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTest>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <unistd.h>

namespace {

const QColor kYellow(255, 255, 0);

struct Editor : ::testing::Test {
    TestInstall install;
    FakePlatform fakes;
    FakeNavigator navigator;
    std::unique_ptr<SharedState> state = std::make_unique<SharedState>();
    std::unique_ptr<CriteriaEditorWindow> editor;

    void SetUp() override
    {
        install.writeDefaults();
        ASSERT_TRUE(LoadPathsAndSettings(*state, fakes.platform, install.programFolder()));
    }
    QString criteriaPath() const { return install.programDataFolder() + QStringLiteral("タイム回数データ.txt"); }
    QByteArray criteriaBytes() const
    {
        QFile f(criteriaPath());
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void addRun(int pupil, int level, int seconds)
    {
        ResultRecord r;
        r.date = 46000;
        r.pupilNumber = std::int16_t(pupil);
        r.level = std::int16_t(level);
        r.seconds = seconds;
        ASSERT_EQ(appendResultRecord(resultsFilePath(*state), r, fakes.clock), 0);
    }
    void open()
    {
        editor = std::make_unique<CriteriaEditorWindow>(*state, fakes.platform, navigator);
        editor->show();
        editor->onShown();
    }
    QLineEdit *box() const { return editor->widgets().editBox; }
    QTableWidget *grid() const { return editor->widgets().grid; }
    // Where the box lies, in the grid's own cell coordinates.
    QRect boxOverGrid() const
    {
        return QRect(grid()->viewport()->mapFrom(box()->parentWidget(), box()->pos()), box()->size());
    }
    // Characters as an input method hands them over, one key event each.
    void typeText(const QString &text)
    {
        for (QChar c : text) {
            QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(box(), &press);
        }
    }
    void key(Qt::Key k, Qt::KeyboardModifiers mods = Qt::NoModifier) { QTest::keyClick(box(), k, mods); }
    QColor cellColour(int row, int column) const { return grid()->item(row, column)->background().color(); }
    QString allRunsHeader() const { return editor->widgets().allRunsList->item(0)->text(); }
};

TEST_F(Editor, OpensOnLevel1Column1WithItsExplanationAndHistograms)
{
    addRun(1, 1, 55);
    addRun(2, 2, 70);
    open();
    EXPECT_EQ(grid()->rowCount(), 5);
    EXPECT_EQ(grid()->columnCount(), 13);
    EXPECT_EQ(editor->cellText(0, 0), QStringLiteral("レベル"));
    EXPECT_EQ(editor->cellText(0, 9), QStringLiteral("禁期間"));
    EXPECT_EQ(editor->cellText(4, 0), QStringLiteral("4"));
    EXPECT_EQ(editor->lastRow(), 4);
    EXPECT_EQ(editor->currentRow(), 1);
    EXPECT_EQ(editor->currentColumn(), 1);
    EXPECT_EQ(box()->text(), QStringLiteral("60"));
    EXPECT_EQ(box()->cursorPosition(), 2);
    EXPECT_TRUE(box()->hasFocus() || !QApplication::focusWidget());
    EXPECT_EQ(boxOverGrid(), grid()->visualItemRect(grid()->item(1, 1)));
    EXPECT_EQ(editor->widgets().columnHelp->text(), criteriaColumnExplanation(1));
    EXPECT_EQ(allRunsHeader(), QStringLiteral("レベル1 今まで1回  （★=1）"));
    EXPECT_EQ(editor->widgets().allRunsList->count(), 102);
    EXPECT_EQ(editor->widgets().bestTimesList->item(0)->text(), QStringLiteral("レベル1 （★=1）"));
    EXPECT_EQ(grid()->columnWidth(1), int(grid()->columnWidth(2) * 0.8));
    EXPECT_FALSE(editor->changed());
}

TEST_F(Editor, ArrowKeysMoveTheBoxWithinTheGridAndTheHistogramsFollowTheRow)
{
    addRun(1, 2, 70);
    addRun(3, 2, 75);
    open();
    key(Qt::Key_Up);
    key(Qt::Key_Left);
    EXPECT_EQ(editor->currentRow(), 1);
    EXPECT_EQ(editor->currentColumn(), 1);
    key(Qt::Key_Down);
    EXPECT_EQ(box()->text(), QStringLiteral("80"));
    EXPECT_EQ(allRunsHeader(), QStringLiteral("レベル2 今まで2回  （★=1）"));
    EXPECT_EQ(editor->widgets().allRunsList->item(1 + 7)->text(), QStringLiteral("  70～★★"));
    key(Qt::Key_Right);
    EXPECT_EQ(box()->text(), QStringLiteral("150"));
    EXPECT_EQ(editor->widgets().columnHelp->text(), criteriaColumnExplanation(2));
    EXPECT_EQ(boxOverGrid(), grid()->visualItemRect(grid()->item(2, 2)));
    for (int i = 0; i < 15; ++i)
        key(Qt::Key_Right);
    EXPECT_EQ(editor->currentColumn(), 12);
    for (int i = 0; i < 5; ++i)
        key(Qt::Key_Down);
    EXPECT_EQ(editor->currentRow(), 4);
    EXPECT_EQ(allRunsHeader(), QStringLiteral("レベル4 今まで0回  （★=1）"));
    // Moving over cells of different texts changes nothing.
    EXPECT_FALSE(editor->changed());
    for (int r = 1; r <= 4; ++r)
        for (int c = 1; c <= 12; ++c)
            EXPECT_NE(cellColour(r, c), kYellow) << r << "," << c;
}

TEST_F(Editor, TypingChangesTheCellMarksItAndSetsTheFlag)
{
    open();
    key(Qt::Key_Right);
    QTest::keyClicks(box(), QStringLiteral("5"));
    EXPECT_EQ(editor->cellText(1, 2), QStringLiteral("1205"));
    EXPECT_EQ(cellColour(1, 2), kYellow);
    EXPECT_TRUE(editor->changed());
    key(Qt::Key_Backspace);
    key(Qt::Key_Backspace);
    EXPECT_EQ(editor->cellText(1, 2), QStringLiteral("12"));
    key(Qt::Key_Escape);
    EXPECT_EQ(box()->text(), QStringLiteral("12"));
    EXPECT_EQ(editor->currentColumn(), 2);
}

TEST_F(Editor, SettingTheCellsOwnTextMarksNothing)
{
    open();
    box()->setText(QStringLiteral("60"));
    EXPECT_FALSE(editor->changed());
    EXPECT_NE(cellColour(1, 1), kYellow);
}

TEST_F(Editor, SpaceEmptiesTheBoxAndTheCell)
{
    open();
    QTest::keyClick(box(), Qt::Key_Space);
    EXPECT_EQ(box()->text(), QString());
    EXPECT_EQ(editor->cellText(1, 1), QString());
    EXPECT_TRUE(editor->changed());
    QTest::keyClicks(box(), QStringLiteral("75"));
    EXPECT_EQ(editor->cellText(1, 1), QStringLiteral("75"));
}

TEST_F(Editor, EnterKeepsTheTextAndTheCell)
{
    open();
    key(Qt::Key_Return);
    EXPECT_EQ(box()->text(), QStringLiteral("60"));
    EXPECT_EQ(editor->currentRow(), 1);
    EXPECT_FALSE(editor->changed());
}

class EditorFill : public Editor, public ::testing::WithParamInterface<Qt::KeyboardModifier> { };

TEST_P(EditorFill, DownWithAModifierFillsTheColumnToTheLastRowAndNoFurther)
{
    open();
    key(Qt::Key_Right);
    key(Qt::Key_Down); // row 2, column 2
    key(Qt::Key_Space);
    QTest::keyClicks(box(), QStringLiteral("140"));
    key(Qt::Key_Down, GetParam());
    EXPECT_EQ(editor->selectionEndRow(), 3);
    EXPECT_EQ(editor->cellText(3, 2), QStringLiteral("140"));
    EXPECT_EQ(cellColour(3, 2), kYellow);
    key(Qt::Key_Down, GetParam());
    EXPECT_EQ(editor->selectionEndRow(), 4);
    EXPECT_EQ(editor->cellText(4, 2), QStringLiteral("140"));
    // On the last row already: nothing more.
    key(Qt::Key_Down, GetParam());
    EXPECT_EQ(editor->selectionEndRow(), 4);
    EXPECT_EQ(editor->currentRow(), 2);
    EXPECT_EQ(editor->cellText(1, 2), QStringLiteral("120"));
    EXPECT_EQ(box()->text(), QStringLiteral("140"));
    // A plain move ends the selection.
    key(Qt::Key_Down);
    EXPECT_EQ(editor->currentRow(), 3);
    EXPECT_EQ(editor->selectionEndRow(), 3);
}

INSTANTIATE_TEST_SUITE_P(
    Modifiers, EditorFill, ::testing::Values(Qt::ShiftModifier, Qt::ControlModifier, Qt::AltModifier));

TEST_F(Editor, ClickOnACellPlacesTheBoxThereAndFixedCellsAreNotEditable)
{
    addRun(5, 3, 101);
    open();
    QTableWidgetItem *target = grid()->item(3, 4);
    QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, grid()->visualItemRect(target).center());
    EXPECT_EQ(editor->currentRow(), 3);
    EXPECT_EQ(editor->currentColumn(), 4);
    EXPECT_EQ(box()->text(), QStringLiteral("5"));
    EXPECT_EQ(boxOverGrid(), grid()->visualItemRect(target));
    EXPECT_EQ(editor->widgets().columnHelp->text(), criteriaColumnExplanation(4));
    EXPECT_EQ(allRunsHeader(), QStringLiteral("レベル3 今まで1回  （★=1）"));

    QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, grid()->visualItemRect(grid()->item(0, 6)).center());
    QTest::mouseClick(grid()->viewport(), Qt::LeftButton, {}, grid()->visualItemRect(grid()->item(2, 0)).center());
    EXPECT_EQ(editor->currentRow(), 3);
    EXPECT_EQ(editor->currentColumn(), 4);
}

TEST_F(Editor, SaveWritesTheGridAndTheNextRunUsesTheNewValues)
{
    open();
    key(Qt::Key_Down);
    key(Qt::Key_Space);
    QTest::keyClicks(box(), QStringLiteral("85"));
    editor->widgets().saveButton->click();
    EXPECT_FALSE(editor->changed());
    EXPECT_EQ(state->TargetTime[2], 85);
    QString expected = TestInstall::defaultCriteria();
    expected.replace(QStringLiteral("\n80,150"), QStringLiteral("\n85,150"));
    expected.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    EXPECT_EQ(criteriaBytes(), cp932::encode(expected));
    EXPECT_FALSE(fakes.fatal.called());
}

TEST_F(Editor, UnchangedSaveKeepsTheFileByteForByte)
{
    const QByteArray before = criteriaBytes();
    open();
    editor->saveAndRefocus();
    EXPECT_EQ(criteriaBytes(), before);
}

TEST_F(Editor, CellTheLoaderWouldRefuseIsMarkedAndNothingIsWritten)
{
    const QByteArray before = criteriaBytes();
    open();
    key(Qt::Key_Down);
    key(Qt::Key_Down);
    for (int i = 0; i < 6; ++i)
        key(Qt::Key_Right); // level 3, column 7 "禁点"
    typeText(QStringLiteral("点"));
    key(Qt::Key_Up);
    key(Qt::Key_Left);
    MessageBoxAnswerer boxes;
    EXPECT_FALSE(editor->save());
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_TRUE(boxes.texts[0].contains(QStringLiteral("レベル3"))) << boxes.texts[0].toStdString();
    EXPECT_TRUE(boxes.texts[0].contains(QStringLiteral("禁点")));
    EXPECT_EQ(criteriaBytes(), before);
    EXPECT_TRUE(editor->changed());
    EXPECT_EQ(editor->currentRow(), 3);
    EXPECT_EQ(editor->currentColumn(), 7);
    EXPECT_EQ(box()->text(), QStringLiteral("300点"));
    const QColor mark = cellColour(3, 7);
    EXPECT_NE(mark, kYellow);
    EXPECT_NE(mark, QColor(Qt::white));
}

TEST_F(Editor, RevertReloadsTheFileButKeepsTheChangedFlag)
{
    open();
    QTest::keyClicks(box(), QStringLiteral("0"));
    EXPECT_EQ(editor->cellText(1, 1), QStringLiteral("600"));
    editor->widgets().revertButton->click();
    EXPECT_EQ(editor->cellText(1, 1), QStringLiteral("60"));
    EXPECT_EQ(box()->text(), QStringLiteral("60"));
    EXPECT_TRUE(editor->changed());

    // Leaving still asks; "No" leaves without writing.
    const QByteArray before = criteriaBytes();
    MessageBoxAnswerer boxes(QMessageBox::No);
    editor->widgets().backButton->click();
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_EQ(boxes.texts[0], QStringLiteral("データが変更されています。記録しますか？"));
    EXPECT_EQ(boxes.titles[0], QStringLiteral("注意"));
    EXPECT_EQ(boxes.buttons[0], QMessageBox::Yes | QMessageBox::No);
    EXPECT_TRUE(navigator.calls.contains(QStringLiteral("showHub")));
    EXPECT_EQ(criteriaBytes(), before);
}

TEST_F(Editor, LeavingWithEditsAndYesSavesFirst)
{
    open();
    QTest::keyClicks(box(), QStringLiteral("5"));
    MessageBoxAnswerer boxes(QMessageBox::Yes);
    editor->leave();
    EXPECT_EQ(boxes.texts.size(), 1);
    EXPECT_EQ(state->TargetTime[1], 605);
    EXPECT_EQ(navigator.calls, QStringList { QStringLiteral("showHub") });
}

TEST_F(Editor, LeavingWithoutEditsAsksNothing)
{
    open();
    MessageBoxAnswerer boxes;
    editor->leave();
    EXPECT_TRUE(boxes.texts.isEmpty());
    EXPECT_EQ(navigator.calls, QStringList { QStringLiteral("showHub") });
    editor->leave();
    EXPECT_EQ(navigator.calls.size(), 1) << "the hub is shown once";
}

TEST_F(Editor, YesWithACellTheLoaderWouldRefuseStaysInTheEditor)
{
    open();
    typeText(QStringLiteral("秒"));
    MessageBoxAnswerer boxes(QMessageBox::Yes);
    editor->leave();
    EXPECT_EQ(boxes.texts.size(), 2);
    EXPECT_TRUE(navigator.calls.isEmpty());
    EXPECT_TRUE(editor->changed());
}

TEST_F(Editor, HistogramOptionsShowAndHideThePanel)
{
    open();
    editor->widgets().hideHistograms->click();
    EXPECT_FALSE(editor->widgets().histogramPanel->isVisible());
    addRun(1, 1, 42);
    editor->widgets().showHistograms->click();
    EXPECT_TRUE(editor->widgets().histogramPanel->isVisible());
    EXPECT_EQ(allRunsHeader(), QStringLiteral("レベル1 今まで1回  （★=1）"));
}

TEST_F(Editor, RunsRecordedMeanwhileShowAtTheNextKey)
{
    open();
    EXPECT_EQ(allRunsHeader(), QStringLiteral("レベル1 今まで0回  （★=1）"));
    addRun(7, 1, 33);
    key(Qt::Key_Right);
    EXPECT_EQ(allRunsHeader(), QStringLiteral("レベル1 今まで1回  （★=1）"));
    EXPECT_EQ(editor->histograms().fullReads(), 1);
}

TEST_F(Editor, UnreadableCriteriaFileIsNeverOverwritten)
{
    QFile::remove(criteriaPath());
    MessageBoxAnswerer boxes;
    open();
    ASSERT_FALSE(boxes.texts.isEmpty());
    EXPECT_TRUE(boxes.texts[0].contains(criteriaPath()));
    EXPECT_FALSE(editor->save());
    EXPECT_FALSE(QFile::exists(criteriaPath()));
}

// Two teachers, one table: each PC's editor is a window of its own on the
// same file.
struct TwoEditors : Editor {
    std::unique_ptr<CriteriaEditorWindow> other;

    void openBoth()
    {
        open();
        other = std::make_unique<CriteriaEditorWindow>(*state, fakes.platform, navigator);
        other->show();
        other->onShown();
    }
    // Types `text` at the end of level 1's "最低Time" in `on`'s box.
    static void editSecondColumn(CriteriaEditorWindow &on, const QString &text)
    {
        QLineEdit *box = on.widgets().editBox;
        QTest::keyClick(box, Qt::Key_Right);
        QTest::keyClicks(box, text);
    }
};

TEST_F(TwoEditors, TheLaterSaveWritesNothingAndKeepsItsEditsUntilTheTeacherLoads)
{
    openBoth();
    editSecondColumn(*editor, QStringLiteral("5"));
    editSecondColumn(*other, QStringLiteral("7"));
    ASSERT_TRUE(editor->save());
    const QByteArray first = criteriaBytes();
    EXPECT_TRUE(first.contains("60,1205,"));

    MessageBoxAnswerer boxes;
    boxes.answers = { QMessageBox::No, QMessageBox::Yes };
    if (const QString out = qEnvironmentVariable("RUKAMINA_SCREENSHOT_DIR"); !out.isEmpty())
        boxes.grabFirstTo = out + QStringLiteral("/criteria_conflict.png");
    EXPECT_FALSE(other->save());
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_TRUE(boxes.texts[0].contains(QStringLiteral("他のパソコンで変更されました")))
        << boxes.texts[0].toStdString();
    EXPECT_TRUE(boxes.texts[0].contains(criteriaPath()));
    EXPECT_EQ(boxes.buttons[0], QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(criteriaBytes(), first);
    EXPECT_EQ(other->cellText(1, 2), QStringLiteral("1207"));
    EXPECT_TRUE(other->changed());

    // Saving again is refused again: the table on screen is still not
    // the file's. This time the teacher loads the other PC's table.
    EXPECT_FALSE(other->save());
    ASSERT_EQ(boxes.texts.size(), 2);
    EXPECT_EQ(criteriaBytes(), first);
    EXPECT_EQ(other->cellText(1, 2), QStringLiteral("1205"));
    EXPECT_FALSE(other->changed());
    EXPECT_NE(other->widgets().grid->item(1, 2)->background().color(), kYellow);

    // On the table as the other PC left it, the next save goes through.
    EXPECT_EQ(other->currentColumn(), 2);
    QTest::keyClicks(other->widgets().editBox, QStringLiteral("0"));
    EXPECT_TRUE(other->save());
    EXPECT_EQ(boxes.texts.size(), 2);
    EXPECT_TRUE(criteriaBytes().contains("60,12050,"));
    EXPECT_EQ(state->PassLineTime[1], 12050);
}

// A clock whose waits let another PC act, as a real wait lets time pass.
class ActingClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime(QDate(2026, 12, 9), QTime(10, 0)); }
    qint64 tickMs() const override { return ticks; }
    void waitResponsive(int ms) override
    {
        ticks += ms;
        ++waits;
        if (onWait)
            onWait();
    }
    qint64 ticks = 0;
    int waits = 0;
    std::function<void()> onWait;
};

TEST_F(Editor, ASaveWaitingOnTheLockSeesTheTableTheOtherPcSavedMeanwhile)
{
    ActingClock clock;
    Platform acting { clock, fakes.fatal, fakes.sound, fakes.launcher, &fakes.notice };
    editor = std::make_unique<CriteriaEditorWindow>(*state, acting, navigator);
    editor->show();
    editor->onShown();
    QTest::keyClicks(box(), QStringLiteral("1"));

    // The other PC holds the table's lock while it saves, then renames its
    // new table over the file and lets the lock go.
    const QByteArray name = QFile::encodeName(criteriaPath());
    int holder = ::open(name.constData(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(tryLockWholeFile(holder), LockAttempt::Acquired);
    QByteArray theirs = criteriaBytes();
    theirs.replace("60,120,", "65,120,");
    clock.onWait = [&] {
        if (holder < 0)
            return;
        QString error;
        ASSERT_TRUE(replaceFileAtomically(criteriaPath(), theirs, &error)) << error.toStdString();
        ::close(holder);
        holder = -1;
    };
    MessageBoxAnswerer keep(QMessageBox::No);
    EXPECT_FALSE(editor->save());
    EXPECT_GE(clock.waits, 1);
    ASSERT_EQ(keep.texts.size(), 1);
    EXPECT_TRUE(keep.texts[0].contains(QStringLiteral("他のパソコンで変更されました")));
    EXPECT_EQ(criteriaBytes(), theirs);
    EXPECT_EQ(editor->cellText(1, 1), QStringLiteral("601"));
}

} // namespace

namespace {

// A value the program cannot run a level with, typed into the real edit
// box: the save says which level, which column and what is allowed, and
// writes nothing.
struct BadValue {
    const char *name;
    int column;
    QString typed; // after a Space has emptied the cell
    QString title;
    QString range;
};

class EditorRefusesOutOfRange : public Editor, public ::testing::WithParamInterface<BadValue> { };

TEST_P(EditorRefusesOutOfRange, NamesLevelColumnAndRangeAndWritesNothing)
{
    const QByteArray before = criteriaBytes();
    open();
    key(Qt::Key_Down); // level 2
    for (int c = 1; c < GetParam().column; ++c)
        key(Qt::Key_Right);
    key(Qt::Key_Space);
    typeText(GetParam().typed);
    ASSERT_EQ(editor->cellText(2, GetParam().column), GetParam().typed);
    key(Qt::Key_Up); // the box elsewhere: the save must find the cell itself
    MessageBoxAnswerer boxes;
    const QString shots = qEnvironmentVariable("RUKAMINA_SCREENSHOT_DIR");
    if (!shots.isEmpty())
        boxes.grabFirstTo = shots + QStringLiteral("/criteria_refused_%1.png").arg(GetParam().name);
    editor->widgets().saveButton->click();
    if (!shots.isEmpty())
        editor->grab().save(shots + QStringLiteral("/criteria_refused_%1_editor.png").arg(GetParam().name));
    ASSERT_EQ(boxes.texts.size(), 1);
    const QString &said = boxes.texts[0];
    EXPECT_TRUE(said.contains(QStringLiteral("レベル2"))) << said.toStdString();
    EXPECT_TRUE(said.contains(QStringLiteral("「%1」").arg(GetParam().title))) << said.toStdString();
    EXPECT_TRUE(said.contains(GetParam().range)) << said.toStdString();
    EXPECT_TRUE(said.contains(QStringLiteral("何も記録していません")));
    EXPECT_EQ(criteriaBytes(), before);
    EXPECT_EQ(editor->currentRow(), 2);
    EXPECT_EQ(editor->currentColumn(), GetParam().column);
    EXPECT_TRUE(editor->changed());
    // What runs use is what the file says.
    EXPECT_EQ(state->TargetTime[2], 80);
    EXPECT_EQ(state->PassLineTime[2], 150);
    EXPECT_EQ(state->PointMultiplier[2], 1.0f);
    // No dated copy either: nothing was replaced.
    EXPECT_EQ(
        QDir(install.programDataFolder()).entryList({ QStringLiteral("タイム回数データ_*") }, QDir::Files).size(), 0);
}

INSTANTIATE_TEST_SUITE_P(Values, EditorRefusesOutOfRange,
    ::testing::Values(
        BadValue { "EmptyPassLine", 2, QString(), QStringLiteral("最低Time"), QStringLiteral("10～19999") },
        BadValue { "ZeroPassLine", 2, QStringLiteral("0"), QStringLiteral("最低Time"), QStringLiteral("10～19999") },
        BadValue {
            "NegativePassLine", 2, QStringLiteral("-5"), QStringLiteral("最低Time"), QStringLiteral("10～19999") },
        BadValue { "OverflowingPassLine", 2, QStringLiteral("500000000"), QStringLiteral("最低Time"),
            QStringLiteral("10～19999") },
        BadValue {
            "NegativeMultiplier", 5, QStringLiteral("-2"), QStringLiteral("ﾎﾟｲﾝﾄ倍率"), QStringLiteral("0.1～100") },
        BadValue { "NegativeTarget", 1, QStringLiteral("-1"), QStringLiteral("目標Time"), QStringLiteral("1～5999") },
        BadValue {
            "NegativeJudgePeriod", 8, QStringLiteral("-7"), QStringLiteral("判期間"), QStringLiteral("0～99999") },
        BadValue { "FullWidthNegativeCount", 4, QStringLiteral("－１"), QStringLiteral("ｸﾘｱ回数"),
            QStringLiteral("0～32767") },
        BadValue { "EmptyOverPracticePeriod", 9, QString(), QStringLiteral("禁期間"), QStringLiteral("0～99999") }),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(Editor, FullWidthDigitsAreSavedHalfWidth)
{
    open();
    key(Qt::Key_Down);
    key(Qt::Key_Space);
    typeText(QStringLiteral("６０"));
    for (int c = 1; c < 5; ++c)
        key(Qt::Key_Right); // ﾎﾟｲﾝﾄ倍率
    key(Qt::Key_Space);
    typeText(QStringLiteral("　１．５"));
    MessageBoxAnswerer boxes;
    ASSERT_TRUE(editor->save()) << boxes.texts.join(QLatin1Char('\n')).toStdString();
    QString expected = TestInstall::defaultCriteria();
    expected.replace(QStringLiteral("\n80,150,100,5,1,"), QStringLiteral("\n60,150,100,5,1.5,"));
    expected.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    EXPECT_EQ(criteriaBytes(), cp932::encode(expected));
    EXPECT_EQ(state->TargetTime[2], 60);
    EXPECT_EQ(state->PointMultiplier[2], 1.5f);
    // The grid and the box show what was written.
    EXPECT_EQ(editor->cellText(2, 1), QStringLiteral("60"));
    EXPECT_EQ(editor->cellText(2, 5), QStringLiteral("1.5"));
    EXPECT_EQ(box()->text(), QStringLiteral("1.5"));
    EXPECT_FALSE(editor->changed());
    EXPECT_TRUE(boxes.texts.isEmpty());
}

TEST_F(Editor, EverySaveKeepsThePreviousTableAsADatedCopy)
{
    const QByteArray first = criteriaBytes();
    open();
    QTest::keyClicks(box(), QStringLiteral("5")); // 605
    ASSERT_TRUE(editor->save());
    const QByteArray second = criteriaBytes();
    ASSERT_NE(second, first);
    const QString copy = install.programDataFolder() + QStringLiteral("タイム回数データ_20261209-100000.txt");
    QFile kept(copy);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly)) << copy.toStdString();
    EXPECT_EQ(kept.readAll(), first);

    // A second save in the same second gets a name of its own.
    key(Qt::Key_Backspace);
    ASSERT_TRUE(editor->save());
    QFile keptAgain(install.programDataFolder() + QStringLiteral("タイム回数データ_20261209-100000_2.txt"));
    ASSERT_TRUE(keptAgain.open(QIODevice::ReadOnly));
    EXPECT_EQ(keptAgain.readAll(), second);
    EXPECT_EQ(criteriaBytes(), first);
}

TEST_F(Editor, ASaveWhoseCopyCannotBeMadeWritesNothing)
{
    const QByteArray before = criteriaBytes();
    open();
    QTest::keyClicks(box(), QStringLiteral("5"));
    MessageBoxAnswerer boxes;
    bool saved = true;
    {
        // The disk is full when the copy is written, the save's first write.
        file_call_faults::Scope full(file_call_faults::Call::Write, ENOSPC);
        saved = editor->save();
        EXPECT_EQ(full.failed(), 1);
    }
    EXPECT_FALSE(saved);
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_TRUE(boxes.texts[0].contains(QStringLiteral("控え"))) << boxes.texts[0].toStdString();
    EXPECT_EQ(criteriaBytes(), before);
    EXPECT_TRUE(editor->changed());
    EXPECT_EQ(
        QDir(install.programDataFolder()).entryList({ QStringLiteral("タイム回数データ_*") }, QDir::Files).size(), 0);
}

} // namespace
