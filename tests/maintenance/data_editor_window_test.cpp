// SPDX-License-Identifier: MIT
// The results-data editor driven through its widgets: the list, the
// double-click, both buttons and the message boxes.
#include "maintenance/check_report_window.h"
#include "maintenance/data_editor_window.h"
#include "maintenance/results_list_model.h"
#include "maintenance/undo_window.h"
#include "platform/file_lock.h"
#include "results/edit_children.h"
#include "results/results_edit.h"
#include "results/results_file.h"
#include "results/results_support.h"
#include "support/data_root.h"
#include "support/fake_navigator.h"
#include "support/file_call_faults.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace results_test;

namespace {

const QString kStale = QStringLiteral("他のパソコンでデータが変更されました。一覧を読み直します。");

// Answers the message boxes the editor opens, in order, and keeps what they
// said.
class BoxAnswerer {
public:
    BoxAnswerer()
    {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
    }
    void answerWith(std::vector<QMessageBox::StandardButton> buttons)
    {
        pending_ = std::move(buttons);
        timer_.start();
    }
    QStringList titles;
    QStringList texts;

private:
    void poll()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible() || pending_.empty())
            return;
        titles << box->windowTitle();
        texts << box->text();
        QAbstractButton *button = box->button(pending_.front());
        pending_.erase(pending_.begin());
        if (pending_.empty())
            timer_.stop();
        ASSERT_NE(button, nullptr);
        button->click();
    }
    QTimer timer_;
    std::vector<QMessageBox::StandardButton> pending_;
};

const double kDay = 46365; // 2026-12-09

class DataEditor : public ::testing::Test {
protected:
    DataEditor()
    {
        state->DataRootFolder = install.dataRoot();
        state->ProgramDataFolder = install.programDataFolder();
        state->ProgramName = QStringLiteral("ルカミナ");
        state->SchoolCode = QStringLiteral("12345");
        state->SchoolName = QStringLiteral("ルカ塾");
        state->SchoolYearStartMonth = 4;
        install.writeRoster(QStringLiteral("12,2017,0,0,\"山田太郎\",0,\"\",\"\"\n"
                                           "3,2019,0,0,\"佐藤花子\",1,\"\",\"\"\n"
                                           "7,2014,0,0,\"鈴木一郎\",0,\"\",\"\"\n"));
    }

    QString path() const { return state->ProgramDataFolder + QStringLiteral("成績累積データ.dat"); }

    ResultRecord record(int pupil, int level, int seconds) const
    {
        ResultRecord r = makeRecord(kDay, pupil, level, seconds);
        std::memcpy(r.schoolCode.data(), "12345", 5);
        return r;
    }

    void writeRuns(const std::vector<ResultRecord> &records) { writeFile(path(), bytesOf(records)); }

    void open()
    {
        editor = std::make_unique<DataEditorWindow>(*state, fakes.platform, navigator);
        editor->show();
        editor->onShown();
    }

    template <typename T> T *child(const QString &name) const
    {
        T *w = editor->findChild<T *>(name);
        EXPECT_NE(w, nullptr) << name.toStdString();
        return w;
    }
    QListView *list() const { return child<QListView>(QStringLiteral("List1")); }
    QWidget *panel() const { return child<QWidget>(QStringLiteral("Picture3")); }
    QString labelText(const QString &name) const { return child<QLabel>(name)->text(); }
    QStringList lines() const
    {
        QStringList out;
        for (int row = 0; row < editor->listModel().rowCount(); ++row)
            out << editor->listModel().index(row).data().toString();
        return out;
    }
    QPoint centreOf(int row) const { return list()->visualRect(editor->listModel().index(row)).center(); }
    void doubleClick(int row)
    {
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, centreOf(row));
        QTest::mouseDClick(list()->viewport(), Qt::LeftButton, {}, centreOf(row));
    }
    void press(const QString &button) { QTest::mouseClick(child<QPushButton>(button), Qt::LeftButton); }

    TestInstall install;
    std::unique_ptr<SharedState> state = std::make_unique<SharedState>();
    FakePlatform fakes;
    FakeNavigator navigator;
    BoxAnswerer boxes;
    std::unique_ptr<DataEditorWindow> editor;
};

TEST_F(DataEditor, ListsEveryRunButLevelZeroWithTheRecordCount)
{
    writeRuns({ record(12, 3, 45), record(12, 0, 50), record(3, 1, 99999) });
    open();
    EXPECT_EQ(lines(),
        QStringList({ QStringLiteral("   1 2026/12/09　 12:00:00ﾚﾍﾞﾙ3　   45秒 　  12 山田太郎　　 小３++ルカ塾"),
            QStringLiteral("   3 2026/12/09　 12:00:00ﾚﾍﾞﾙ1　99999秒 　   3 佐藤花子　　 小１++ルカ塾") }));
    EXPECT_EQ(labelText(QStringLiteral("Label3")), QStringLiteral("総レコード数:3"));
    EXPECT_EQ(labelText(QStringLiteral("Label5")), QStringLiteral("ダブルクリックすると変更、消去できます"));
    EXPECT_FALSE(panel()->isVisible());
    EXPECT_FALSE(child<QPushButton>(QStringLiteral("Command2"))->isEnabled());
    EXPECT_FALSE(child<QPushButton>(QStringLiteral("Command3"))->isEnabled());
    // Every roster entry is a choice, whatever its status.
    EXPECT_EQ(child<QComboBox>(QStringLiteral("Combo1"))->count(), 3);
}

TEST_F(DataEditor, AnEmptyFileShowsNoLinesAndACountOfZero)
{
    writeRuns({});
    open();
    EXPECT_EQ(editor->listModel().rowCount(), 0);
    EXPECT_EQ(labelText(QStringLiteral("Label3")), QStringLiteral("総レコード数:0"));
}

TEST_F(DataEditor, DoubleClickOpensTheRunAndASingleClickHidesIt)
{
    writeRuns({ record(12, 3, 45), record(3, 1, 99999) });
    open();
    doubleClick(1);
    ASSERT_TRUE(panel()->isVisible());
    EXPECT_EQ(editor->openedRecord(), 2);
    EXPECT_EQ(labelText(QStringLiteral("Label1")), QStringLiteral("2"));
    EXPECT_EQ(labelText(QStringLiteral("Label2_1")), QStringLiteral("ﾚﾍﾞﾙ1"));
    EXPECT_EQ(labelText(QStringLiteral("Label2_2")), QStringLiteral("2026/12/09"));
    EXPECT_EQ(labelText(QStringLiteral("Label2_4")), QStringLiteral("小１"));
    EXPECT_EQ(labelText(QStringLiteral("Label2_0")), QStringLiteral("秒"));
    EXPECT_EQ(child<QComboBox>(QStringLiteral("Combo1"))->currentText(), QStringLiteral("3 /  佐藤花子"));
    // A time-up opens as stored, the scroll bar at the same place.
    EXPECT_EQ(child<QLineEdit>(QStringLiteral("Text1_1"))->text(), QStringLiteral("99999"));
    EXPECT_EQ(child<QScrollBar>(QStringLiteral("VScroll1"))->value(), 99999);
    EXPECT_TRUE(child<QPushButton>(QStringLiteral("Command2"))->isEnabled());

    QTest::mouseClick(list()->viewport(), Qt::LeftButton, {}, centreOf(0));
    EXPECT_FALSE(panel()->isVisible());
    // Enter on a line opens it as a double-click does.
    QTest::keyClick(list(), Qt::Key_Return);
    EXPECT_TRUE(panel()->isVisible());
    EXPECT_EQ(editor->openedRecord(), 1);
}

TEST_F(DataEditor, ScrollBarAndPupilChoiceFillTheirFields)
{
    writeRuns({ record(12, 3, 45) });
    open();
    doubleClick(0);
    auto *scroll = child<QScrollBar>(QStringLiteral("VScroll1"));
    scroll->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    auto *time = child<QLineEdit>(QStringLiteral("Text1_1"));
    EXPECT_EQ(time->text(), QStringLiteral("46"));
    // Typing moves the bar; the arrow keys step on from there.
    time->selectAll();
    QTest::keyClicks(time, QStringLiteral("120"));
    EXPECT_EQ(scroll->value(), 120);
    QTest::keyClick(time, Qt::Key_Up);
    QTest::keyClick(time, Qt::Key_Up);
    QTest::keyClick(time, Qt::Key_Down);
    EXPECT_EQ(time->text(), QStringLiteral("121"));
    auto *combo = child<QComboBox>(QStringLiteral("Combo1"));
    combo->setCurrentIndex(2);
    emit combo->activated(2);
    EXPECT_EQ(labelText(QStringLiteral("Label2_4")), QStringLiteral("小６"));
}

TEST_F(DataEditor, ChangeWritesPupilAndTimeAndSelectsTheSameRecord)
{
    writeRuns({ record(12, 3, 45), record(12, 0, 1), record(3, 1, 60) });
    const QByteArray before = readFile(path());
    open();
    doubleClick(1);
    auto *time = child<QLineEdit>(QStringLiteral("Text1_1"));
    time->selectAll();
    QTest::keyClicks(time, QStringLiteral("58"));
    child<QComboBox>(QStringLiteral("Combo1"))->setEditText(QStringLiteral("7 /  鈴木一郎"));
    press(QStringLiteral("Command2"));

    QByteArray expected = before;
    ResultRecord changed = record(3, 1, 60);
    changed.pupilNumber = 7;
    changed.seconds = 58;
    expected.replace(2 * kRecordLength, kRecordLength, encodeRecord(changed));
    EXPECT_EQ(readFile(path()), expected);
    EXPECT_TRUE(lines().at(1).contains(QStringLiteral("58秒 　   7 鈴木一郎")));
    EXPECT_EQ(editor->currentRow(), 1);
    EXPECT_TRUE(boxes.texts.isEmpty());
}

struct RefusedInput {
    const char *name;
    const char *time;
    const char *pupil;
    const char *said;
};
class DataEditorRefuses : public DataEditor, public ::testing::WithParamInterface<RefusedInput> { };
INSTANTIATE_TEST_SUITE_P(Inputs, DataEditorRefuses,
    ::testing::Values(RefusedInput { "TextTime", "abc", "12 /  山田太郎", "時間「abc」" },
        RefusedInput { "TooLong", "100000", "12 /  山田太郎", "時間「100000」" },
        RefusedInput { "Fraction", "12.5", "12 /  山田太郎", "時間「12.5」" },
        RefusedInput { "NoSlash", "45", "山田太郎", "番号がありません" },
        RefusedInput { "NotOnRoster", "45", "99 /  だれか", "名簿にありません" }),
    [](const auto &info) { return std::string(info.param.name); });

TEST_P(DataEditorRefuses, SaysWhatIsWrongAndWritesNothing)
{
    writeRuns({ record(12, 3, 45) });
    const QByteArray before = readFile(path());
    open();
    doubleClick(0);
    child<QLineEdit>(QStringLiteral("Text1_1"))->setText(QString::fromUtf8(GetParam().time));
    child<QComboBox>(QStringLiteral("Combo1"))->setEditText(QString::fromUtf8(GetParam().pupil));
    boxes.answerWith({ QMessageBox::Ok });
    press(QStringLiteral("Command2"));
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_TRUE(boxes.texts[0].contains(QString::fromUtf8(GetParam().said))) << boxes.texts[0].toStdString();
    EXPECT_EQ(readFile(path()), before);
    EXPECT_TRUE(panel()->isVisible());
}

struct DeletionCase {
    const char *name;
    int row; // the line double-clicked
    int selectedAfter;
    QString selectedLineStart;
};
class DataEditorDeletes : public DataEditor, public ::testing::WithParamInterface<DeletionCase> { };
INSTANTIATE_TEST_SUITE_P(Positions, DataEditorDeletes,
    ::testing::Values(DeletionCase { "First", 0, 0, QStringLiteral("   1 ") },
        DeletionCase { "Middle", 1, 1, QStringLiteral("   2 ") },
        DeletionCase { "Last", 2, 1, QStringLiteral("   2 ") }),
    [](const auto &info) { return std::string(info.param.name); });

TEST_P(DataEditorDeletes, AsksThenDeletesAndSelectsTheRunThatFollowed)
{
    const std::vector<ResultRecord> runs { record(12, 1, 10), record(12, 2, 20), record(3, 3, 30) };
    writeRuns(runs);
    open();
    doubleClick(GetParam().row);
    boxes.answerWith({ QMessageBox::Ok });
    press(QStringLiteral("Command3"));
    ASSERT_EQ(boxes.texts, QStringList { QStringLiteral("本当に消去しますか") });
    EXPECT_EQ(boxes.titles, QStringList { QStringLiteral("注意") });

    std::vector<ResultRecord> left = runs;
    left.erase(left.begin() + GetParam().row);
    EXPECT_EQ(readFile(path()), bytesOf(left));
    ASSERT_EQ(editor->listModel().rowCount(), 2);
    EXPECT_EQ(labelText(QStringLiteral("Label3")), QStringLiteral("総レコード数:2"));
    EXPECT_EQ(editor->currentRow(), GetParam().selectedAfter);
    EXPECT_TRUE(lines().at(GetParam().selectedAfter).startsWith(GetParam().selectedLineStart));
    EXPECT_FALSE(panel()->isVisible());
}

TEST_F(DataEditor, CancelledDeletionLeavesTheFileAlone)
{
    writeRuns({ record(12, 1, 10), record(12, 2, 20) });
    const QByteArray before = readFile(path());
    open();
    doubleClick(0);
    boxes.answerWith({ QMessageBox::Cancel });
    press(QStringLiteral("Command3"));
    EXPECT_EQ(boxes.texts.size(), 1);
    EXPECT_EQ(readFile(path()), before);
    EXPECT_TRUE(panel()->isVisible());
}

// Another teacher's PC deletes a run between the double-click and the
// change: the opened number now holds another run.
TEST_F(DataEditor, StaleRecordIsNotWrittenAndTheListIsReadAgain)
{
    writeRuns({ record(12, 1, 10), record(12, 2, 20), record(3, 3, 30) });
    open();
    doubleClick(1);
    auto other = edit_children::start(QStringLiteral("delete"), state->ProgramDataFolder, { QStringLiteral("1") });
    ASSERT_TRUE(other->waitForFinished(60000));
    ASSERT_EQ(other->exitCode(), 0) << other->readAllStandardError().toStdString();
    const QByteArray afterOther = readFile(path());
    ASSERT_EQ(afterOther, bytesOf({ record(12, 2, 20), record(3, 3, 30) }));

    child<QLineEdit>(QStringLiteral("Text1_1"))->setText(QStringLiteral("5"));
    boxes.answerWith({ QMessageBox::Ok });
    press(QStringLiteral("Command2"));
    EXPECT_EQ(boxes.texts, QStringList { kStale });
    EXPECT_EQ(readFile(path()), afterOther);
    EXPECT_EQ(editor->listModel().rowCount(), 2);

    // Deleting what is no longer there is refused the same way.
    doubleClick(0);
    auto again = edit_children::start(QStringLiteral("delete"), state->ProgramDataFolder, { QStringLiteral("1") });
    ASSERT_TRUE(again->waitForFinished(60000));
    boxes.answerWith({ QMessageBox::Ok, QMessageBox::Ok });
    press(QStringLiteral("Command3"));
    EXPECT_EQ(boxes.texts.size(), 3);
    EXPECT_EQ(boxes.texts.last(), kStale);
    EXPECT_EQ(readFile(path()), bytesOf({ record(3, 3, 30) }));
}

TEST_F(DataEditor, BackShowsTheHubAndClosesTheEditor)
{
    writeRuns({});
    open();
    press(QStringLiteral("Command4"));
    EXPECT_EQ(navigator.calls, (QStringList { QStringLiteral("showHub"), QStringLiteral("closeDataEditor") }));
    EXPECT_TRUE(child<QWidget>(QStringLiteral("Picture1"))->isVisible());
}

// Another PC holds the lock; while the change waits for it the teacher
// presses "戻る". The change is written first, then the editor leaves.
TEST_F(DataEditor, LeavingWhileAChangeWaitsForTheLockLeavesAfterIt)
{
    writeRuns({ record(12, 3, 45) });
    const int holder = ::open(QFile::encodeName(path()).constData(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(tryLockWholeFile(holder), LockAttempt::Acquired);
    HookClock clock;
    Platform platform { clock, fakes.fatal, fakes.sound, fakes.launcher };
    editor = std::make_unique<DataEditorWindow>(*state, platform, navigator);
    editor->show();
    editor->onShown();
    doubleClick(0);
    child<QLineEdit>(QStringLiteral("Text1_1"))->setText(QStringLiteral("50"));
    clock.onWait = [&](int) {
        EXPECT_FALSE(child<QPushButton>(QStringLiteral("Command4"))->isEnabled());
        editor->leave();
        EXPECT_TRUE(navigator.calls.isEmpty());
        ::close(holder);
    };
    press(QStringLiteral("Command2"));
    EXPECT_EQ(decodeRecord(readFile(path()).constData()).seconds, 50);
    EXPECT_EQ(navigator.calls, (QStringList { QStringLiteral("showHub"), QStringLiteral("closeDataEditor") }));
}

TEST_F(DataEditor, AnUnreadableFileIsNamedInTheMessage)
{
    QDir().mkpath(path()); // a folder where the file should be
    boxes.answerWith({ QMessageBox::Ok });
    open();
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_TRUE(boxes.texts[0].contains(path()));
    EXPECT_EQ(editor->listModel().rowCount(), 0);
}

TEST_F(DataEditor, LinesFitTheListAndThePanelHoldsItsControls)
{
    std::vector<ResultRecord> runs;
    for (int i = 0; i < 40; ++i)
        runs.push_back(record(i % 2 ? 12 : 3, 1 + i % 35, i == 5 ? 99999 : 30 + i));
    runs[3].schoolCode = { 'x', ' ', ' ', ' ', ' ' };
    writeRuns(runs);
    open();
    doubleClick(5);
    const QFontMetrics metrics(list()->font());
    for (const QString &line : lines())
        EXPECT_LE(metrics.horizontalAdvance(line), list()->viewport()->width()) << line.toStdString();
    for (QWidget *w : panel()->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        EXPECT_TRUE(panel()->rect().contains(w->geometry())) << w->objectName().toStdString();
    EXPECT_EQ(list()->indexAt(QPoint(1, 1)).row(), 0);
    if (const QString out = qEnvironmentVariable("RUKAMINA_SCREENSHOT_DIR"); !out.isEmpty())
        editor->grab().save(out + QStringLiteral("/data_editor.png"));
}

} // namespace

namespace {

TEST_F(DataEditor, DataCheckButtonShowsTheReportOfThisFile)
{
    writeRuns({ record(12, 1, 40), record(5, 1, 40) });
    open();
    QString firstLine;
    bool listDisabledMeanwhile = false;
    QTimer watcher;
    watcher.setInterval(5);
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        auto *report = qobject_cast<CheckReportWindow *>(QApplication::activeModalWidget());
        if (!report)
            return;
        watcher.stop();
        firstLine = report->reportList()->item(0)->text();
        listDisabledMeanwhile = !list()->isEnabled();
        report->findChild<QPushButton *>(QStringLiteral("CloseButton"))->click();
    });
    watcher.start();
    press(QStringLiteral("DataCheck"));
    EXPECT_EQ(firstLine, QStringLiteral("記録 2：生徒番号 5 は名簿にありません。"));
    EXPECT_TRUE(listDisabledMeanwhile);
    EXPECT_TRUE(list()->isEnabled());
    EXPECT_TRUE(child<QPushButton>(QStringLiteral("CsvExport"))->isVisible());
}

// What another PC may do to the file between two refills of the list.
enum class OtherPc { Nothing, Appends, DeletesAndReplaces, Shrinks, ChangesInPlace };

struct RefillCase {
    const char *name;
    OtherPc other;
};

class DataEditorRefill : public DataEditor, public ::testing::WithParamInterface<RefillCase> {
protected:
    // Four runs; every case below changes what record 2 or 4 shows, or adds
    // a fifth, so a list that kept its old bytes differs from the file.
    void writeFourRuns() { writeRuns({ record(12, 1, 10), record(12, 2, 20), record(3, 3, 30), record(7, 4, 40) }); }

    void actAsAnotherPc()
    {
        switch (GetParam().other) {
        case OtherPc::Nothing:
            return;
        case OtherPc::Appends:
        case OtherPc::DeletesAndReplaces: {
            const bool append = GetParam().other == OtherPc::Appends;
            auto other = edit_children::start(append ? QStringLiteral("append") : QStringLiteral("delete"),
                state->ProgramDataFolder,
                append ? QStringList { QStringLiteral("7"), QStringLiteral("1"), QStringLiteral("0") }
                       : QStringList { QStringLiteral("4") });
            ASSERT_TRUE(other->waitForFinished(60000));
            ASSERT_EQ(other->exitCode(), 0) << other->readAllStandardError().toStdString();
            return;
        }
        case OtherPc::Shrinks:
            // Cut in place (same file, shorter), as a restore by hand might.
            ASSERT_TRUE(QFile::resize(path(), 3 * kRecordLength));
            return;
        case OtherPc::ChangesInPlace: {
            // Another teacher's change: same file, same length, caught by
            // its times alone. Kernels before 6.13 stamp writes with the
            // timer tick; a write in the same tick as the last one the
            // editor saw is the case the notes leave open.
            QThread::msleep(20);
            const QByteArray opened = readFile(path()).mid(kRecordLength, kRecordLength);
            ASSERT_EQ(changeResultRecord(path(), 2, opened, withPupilAndTime(opened, 7, 777), fakes.clock).outcome,
                RecordEditOutcome::Done);
            return;
        }
        }
    }

    // The list a freshly opened editor shows for the file as it is now.
    QStringList linesOfAFreshEditor()
    {
        DataEditorWindow fresh(*state, fakes.platform, navigator);
        fresh.onShown();
        QStringList out;
        for (int row = 0; row < fresh.listModel().rowCount(); ++row)
            out << fresh.listModel().index(row).data().toString();
        return out;
    }

    // Whether this file system's times tell writes apart; where they do
    // not, every refill reads the whole file.
    bool timesAreFine() const
    {
        ResultsFile file;
        int error = 0;
        if (!OpenResultsFile(path(), ResultsAccess::Read, file, &error))
            return false;
        const auto now = fileStateOf(file.handle(), &error);
        return now && now->timesAreFine();
    }

    // The bytes a full read of the file takes in.
    qint64 wholeRecordBytes() const { return readFile(path()).size() / kRecordLength * kRecordLength; }
};
INSTANTIATE_TEST_SUITE_P(OtherPcs, DataEditorRefill,
    ::testing::Values(RefillCase { "Nothing", OtherPc::Nothing }, RefillCase { "Appends", OtherPc::Appends },
        RefillCase { "DeletesAndReplaces", OtherPc::DeletesAndReplaces }, RefillCase { "Shrinks", OtherPc::Shrinks },
        RefillCase { "ChangesInPlace", OtherPc::ChangesInPlace }),
    [](const auto &info) { return std::string(info.param.name); });

// The teacher changes run 1 after another PC did something: the list then
// shows the file exactly as a fresh editor would, the change and the other
// PC's work both. Only the teacher's own change alone is patched in without
// reading the file again.
TEST_P(DataEditorRefill, AfterTheEditorsOwnChangeTheListShowsTheWholeFile)
{
    writeFourRuns();
    open();
    doubleClick(0);
    actAsAnotherPc();
    child<QLineEdit>(QStringLiteral("Text1_1"))->setText(QStringLiteral("58"));
    press(QStringLiteral("Command2"));
    ASSERT_TRUE(boxes.texts.isEmpty()) << boxes.texts.join(QLatin1Char('\n')).toStdString();

    EXPECT_TRUE(lines().at(0).contains(QStringLiteral("   58秒"))) << lines().at(0).toStdString();
    EXPECT_EQ(lines(), linesOfAFreshEditor());
    EXPECT_EQ(labelText(QStringLiteral("Label3")), recordCountText(readFile(path()).size()));
    // The line is selected again and the panel hidden, whichever way the
    // list was brought up to date.
    EXPECT_EQ(editor->currentRow(), 0);
    EXPECT_TRUE(list()->selectionModel()->isRowSelected(0));
    EXPECT_FALSE(panel()->isVisible());
    if (GetParam().other != OtherPc::Nothing) {
        EXPECT_EQ(editor->listModel().bytesReadByLastRefill(), wholeRecordBytes());
    } else if (timesAreFine()) {
        EXPECT_EQ(editor->listModel().bytesReadByLastRefill(), 0);
    }
}

// The other order: the teacher's change is patched in, then another PC
// writes before the list is refilled (the next change, a deletion, or a
// stale record's refill). The refill must read what the other PC did.
TEST_P(DataEditorRefill, AWriteAfterTheOwnChangeIsReadAtTheNextRefill)
{
    writeFourRuns();
    ResultsListModel model;
    int error = 0;
    ASSERT_TRUE(model.load(path(), nullptr, SchoolOfRecord({}, {}), &error));
    const QByteArray opened = model.recordBytes(1);
    const QByteArray changed = withPupilAndTime(opened, 3, 58);
    std::optional<WrittenChange> written;
    ASSERT_EQ(changeResultRecord(path(), 1, opened, changed, fakes.clock, &written).outcome, RecordEditOutcome::Done);
    ASSERT_TRUE(written);
    model.applyOwnChange(1, changed, written->before, written->after);
    EXPECT_EQ(model.recordBytes(1), changed);
    actAsAnotherPc();
    ASSERT_TRUE(model.refresh(path(), nullptr, SchoolOfRecord({}, {}), &error));

    ResultsListModel truth;
    ASSERT_TRUE(truth.load(path(), nullptr, SchoolOfRecord({}, {}), &error));
    ASSERT_EQ(model.rowCount(), truth.rowCount());
    for (int row = 0; row < truth.rowCount(); ++row)
        EXPECT_EQ(model.index(row).data(), truth.index(row).data()) << row;
    EXPECT_EQ(model.fileLength(), truth.fileLength());
    if (GetParam().other != OtherPc::Nothing) {
        EXPECT_EQ(model.bytesReadByLastRefill(), wholeRecordBytes());
    } else if (written->after.timesAreFine()) {
        EXPECT_EQ(model.bytesReadByLastRefill(), 0);
    }
}

} // namespace

namespace {

// Drives the modal undo list as a keyboard user would: Enter on the
// chosen line, the question and the outcome answered, Esc to close.
class UndoListDriver {
public:
    explicit UndoListDriver(int row)
        : row_(row)
    {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] { poll(); });
        timer_.start();
    }
    QStringList linesBefore;
    QStringList linesAfter;
    QStringList boxTexts;
    bool listHadFocus = false;
    QString listName;

private:
    void poll()
    {
        QWidget *modal = QApplication::activeModalWidget();
        if (auto *box = qobject_cast<QMessageBox *>(modal)) {
            boxTexts << box->text();
            box->button(QMessageBox::Ok)->click();
            return;
        }
        auto *window = qobject_cast<UndoWindow *>(modal);
        if (!window)
            return;
        QListWidget *list = window->entryList();
        if (!entered_) {
            entered_ = true;
            for (int i = 0; i < list->count(); ++i)
                linesBefore << list->item(i)->text();
            listHadFocus = window->focusWidget() == list;
            listName = list->accessibleName();
            if (const QString out = qEnvironmentVariable("RUKAMINA_SCREENSHOT_DIR"); !out.isEmpty())
                window->grab().save(out + QStringLiteral("/undo_list.png"));
            for (int i = 0; i < row_; ++i)
                QTest::keyClick(list, Qt::Key_Down);
            // From a timer of its own: the undo's message boxes run their
            // loops inside the key's handler, and this poll must go on.
            QTimer::singleShot(0, list, [list] { QTest::keyClick(list, Qt::Key_Return); });
            return;
        }
        for (int i = 0; i < list->count(); ++i)
            linesAfter << list->item(i)->text();
        timer_.stop();
        QTest::keyClick(window, Qt::Key_Escape);
    }
    int row_;
    bool entered_ = false;
    QTimer timer_;
};

TEST_F(DataEditor, UndoPutsADeletedRunBackFromTheKeyboard)
{
    const std::vector<ResultRecord> runs { record(12, 1, 10), record(12, 2, 20), record(3, 3, 30), record(7, 1, 40) };
    writeRuns(runs);
    open();
    for (int row : { 1, 2 }) { // the second run, then the fourth (now the third line)
        doubleClick(row);
        boxes.answerWith({ QMessageBox::Ok });
        press(QStringLiteral("Command3"));
    }
    ASSERT_EQ(readFile(path()), bytesOf({ runs[0], runs[2] }));

    QPushButton *undo = child<QPushButton>(QStringLiteral("UndoButton"));
    EXPECT_EQ(undo->text(), QStringLiteral("元に戻す"));
    UndoListDriver driver(1); // the older deletion: the second run
    undo->setFocus();
    QTest::keyClick(undo, Qt::Key_Return);

    ASSERT_EQ(driver.linesBefore.size(), 2);
    EXPECT_TRUE(driver.linesBefore[0].startsWith(QStringLiteral("[2] "))) << driver.linesBefore[0].toStdString();
    EXPECT_TRUE(driver.linesBefore[0].contains(QStringLiteral("消去 記録3：")));
    EXPECT_TRUE(driver.linesBefore[1].contains(QStringLiteral("消去 記録2：")));
    EXPECT_TRUE(driver.linesBefore[1].contains(QStringLiteral("ﾚﾍﾞﾙ2 20秒 12 山田太郎")))
        << driver.linesBefore[1].toStdString();
    EXPECT_TRUE(driver.listHadFocus);
    EXPECT_EQ(driver.listName, QStringLiteral("変更と消去の記録"));
    ASSERT_EQ(driver.boxTexts.size(), 2);
    EXPECT_TRUE(driver.boxTexts[0].contains(QStringLiteral("元に戻しますか")));
    EXPECT_TRUE(driver.boxTexts[1].contains(QStringLiteral("元に戻しました（記録番号 2）")))
        << driver.boxTexts[1].toStdString();
    ASSERT_EQ(driver.linesAfter.size(), 3);
    EXPECT_TRUE(driver.linesAfter[0].contains(QStringLiteral("消去の取り消し")));
    EXPECT_TRUE(driver.linesAfter[2].endsWith(QStringLiteral("【元に戻し済み】")));

    EXPECT_EQ(readFile(path()), bytesOf({ runs[0], runs[1], runs[2] }));
    EXPECT_EQ(editor->listModel().rowCount(), 3);
    EXPECT_EQ(editor->currentRow(), 1);
    EXPECT_TRUE(list()->isEnabled());
}

TEST_F(DataEditor, AChangeWhoseFlushFailsMayHaveBeenWrittenAndTheListIsReadAgain)
{
    writeRuns({ record(12, 1, 10), record(12, 2, 20) });
    open();
    doubleClick(1);
    child<QLineEdit>(QStringLiteral("Text1_1"))->setText(QStringLiteral("25"));
    boxes.answerWith({ QMessageBox::Ok });
    {
        // The journal's flush passes; the record's fails.
        file_call_faults::Scope faults(file_call_faults::Call::Fdatasync, EIO, 2);
        press(QStringLiteral("Command2"));
    }
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_TRUE(boxes.texts[0].contains(QStringLiteral("書かれたかどうか分かりません")))
        << boxes.texts[0].toStdString();
    EXPECT_TRUE(boxes.texts[0].contains(path()));
    EXPECT_FALSE(boxes.texts[0].contains(QStringLiteral("できませんでした")));
    EXPECT_EQ(editor->listModel().bytesReadByLastRefill(), 2 * kRecordLength);
    EXPECT_FALSE(panel()->isVisible());
}

TEST_F(DataEditor, AChangeWrittenBeforeARefusedUnlockIsReportedAsWritten)
{
    writeRuns({ record(12, 1, 10) });
    open();
    doubleClick(0);
    child<QLineEdit>(QStringLiteral("Text1_1"))->setText(QStringLiteral("25"));
    boxes.answerWith({ QMessageBox::Ok });
    const LockSystemCall previous = replaceLockSystemCall(file_call_faults::refuseUnlock);
    press(QStringLiteral("Command2"));
    replaceLockSystemCall(previous);
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_TRUE(boxes.texts[0].startsWith(QStringLiteral("記録を変更しました。"))) << boxes.texts[0].toStdString();
    EXPECT_TRUE(boxes.texts[0].contains(QStringLiteral("ロックを解除できませんでした")));
    EXPECT_EQ(decodeRecord(readFile(path()).constData()).seconds, 25);
    EXPECT_TRUE(lines().at(0).contains(QStringLiteral("   25秒")));
}

TEST_F(DataEditor, TheUndoButtonStandsInTheToolsRoomAndTabReachesIt)
{
    writeRuns({ record(12, 1, 10) });
    open();
    QPushButton *undo = child<QPushButton>(QStringLiteral("UndoButton"));
    QPushButton *check = child<QPushButton>(QStringLiteral("DataCheck"));
    QPushButton *back = child<QPushButton>(QStringLiteral("Command4"));
    EXPECT_GT(undo->geometry().top(), check->geometry().bottom());
    EXPECT_LT(undo->geometry().bottom(), back->geometry().top());
    EXPECT_FALSE(undo->geometry().intersects(panel()->geometry()));
    EXPECT_EQ(check->nextInFocusChain(), undo);
    EXPECT_FALSE(undo->accessibleDescription().isEmpty());
    if (const QString out = qEnvironmentVariable("RUKAMINA_SCREENSHOT_DIR"); !out.isEmpty())
        editor->grab().save(out + QStringLiteral("/data_editor_undo.png"));
}

} // namespace
