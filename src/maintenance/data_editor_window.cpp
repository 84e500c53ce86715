// SPDX-License-Identifier: MIT
#include "maintenance/data_editor_window.h"
#include "maintenance/results_data_tools.h"
#include "maintenance/results_list_model.h"
#include "maintenance/undo_window.h"
#include "platform/button_keys.h"
#include "platform/clock.h"
#include "platform/events.h"
#include "platform/layout.h"
#include "platform/platform.h"
#include "results/record_text.h"
#include "results/results_edit.h"
#include "results/results_file.h"
#include "results/results_journal.h"
#include "roster/grade_rules.h"
#include "state/navigator.h"
#include "state/shared_state.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>

namespace {

const QColor kFormColour = rgbHex(0xE0F0FF);
const QColor kPanelColour(192, 255, 192);
const QString kStaleText = QStringLiteral("他のパソコンでデータが変更されました。一覧を読み直します。");
const QString kUndoStaleText = QStringLiteral("元に戻せませんでした。変更記録にある記録が、ファイルのその場所にもう"
                                              "ありません（その後に変更または消去されています）。何も書いていません。");

QLabel *makeLabel(QWidget *parent, const QString &name, int left, int top, int width, int height, double points)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    placeTwips(label, left, top, width, height);
    label->setFont(layoutFont(kGothicProportional, points));
    return label;
}

// A label that shows a value is read out by its value; what it is for goes
// into its description.
void showValue(QLabel *label, const QString &text)
{
    label->setText(text);
    label->setAccessibleName(text);
}

QPushButton *makeButton(
    QWidget *parent, const QString &name, const QString &caption, int left, int top, int width, int height)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    placeTwips(button, left, top, width, height);
    button->setFont(layoutFont(kGothicProportional, 14.25));
    return button;
}

// Every line has one height and the list does not wrap, so a changed line
// moves no other. QListView lays out all its lines again on any change of
// data, a few tens of milliseconds for a million runs; this one only
// repaints the line.
class RunListView final : public QListView {
public:
    using QListView::QListView;

protected:
    void dataChanged(const QModelIndex &topLeft, const QModelIndex &bottomRight, const QList<int> &roles) override
    {
        QAbstractItemView::dataChanged(topLeft, bottomRight, roles);
    }
};

} // namespace

DataEditorWindow::DataEditorWindow(SharedState &state, Platform &platform, Navigator &navigator, QWidget *parent)
    : QWidget(parent)
    , state_(state)
    , platform_(platform)
    , navigator_(navigator)
{
    buildWidgets();
}

DataEditorWindow::~DataEditorWindow() = default;

void DataEditorWindow::buildWidgets()
{
    setObjectName(QStringLiteral("FrmData"));
    setWindowTitle(QStringLiteral("データ変更"));
    setFixedSize(twips(15360), twips(11520));
    setColours(this, kFormColour, Qt::black);

    // The count may carry a note of a torn tail, so it takes the width of
    // the list; the hint stands over the edit panel's column.
    recordCount_ = makeLabel(this, QStringLiteral("Label3"), 300, 240, 9900, 420, 14.25);
    recordCount_->setAccessibleDescription(QStringLiteral("成績ファイルの記録の数"));
    hint_ = makeLabel(this, QStringLiteral("Label5"), 10320, 240, 4860, 420, 11.25);
    hint_->setText(QStringLiteral("ダブルクリックすると変更、消去できます"));

    model_ = new ResultsListModel(this);
    runList_ = new RunListView(this);
    runList_->setObjectName(QStringLiteral("List1"));
    runList_->setAccessibleName(QStringLiteral("成績データ一覧"));
    runList_->setAccessibleDescription(
        QStringLiteral("記録番号、日付、時刻、レベル、時間、番号、名前、学年、塾の一覧"));
    placeTwips(runList_, 300, 780, 9900, 10380);
    runList_->setFont(layoutFont(kGothicFixed, 11.25));
    // Every line has the height of the font: the view need not measure a
    // million lines to lay them out.
    runList_->setUniformItemSizes(true);
    runList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    runList_->setSelectionMode(QAbstractItemView::SingleSelection);
    runList_->setModel(model_);
    runList_->installEventFilter(this);
    connect(runList_->selectionModel(), &QItemSelectionModel::currentChanged, this, [this] { closeEditPanel(); });
    connect(runList_, &QListView::doubleClicked, this, [this](const QModelIndex &index) { openRun(index.row()); });

    editPanel_ = new QWidget(this);
    editPanel_->setObjectName(QStringLiteral("Picture3"));
    placeTwips(editPanel_, 10560, 780, 4500, 5940);
    setColours(editPanel_, kPanelColour, Qt::black);

    auto *recordCaption = makeLabel(editPanel_, QStringLiteral("RecordCaption"), 240, 240, 1800, 420, 12);
    recordCaption->setText(QStringLiteral("記録番号"));
    recordNumber_ = makeLabel(editPanel_, QStringLiteral("Label1"), 2100, 240, 2160, 420, 14.25);
    recordNumber_->setAccessibleDescription(QStringLiteral("開いた記録の番号"));
    level_ = makeLabel(editPanel_, QStringLiteral("Label2_1"), 240, 780, 1800, 420, 14.25);
    level_->setAccessibleDescription(QStringLiteral("開いた記録のレベル"));
    date_ = makeLabel(editPanel_, QStringLiteral("Label2_2"), 2100, 780, 2160, 420, 14.25);
    date_->setAccessibleDescription(QStringLiteral("開いた記録の日付"));
    pupilCaption_ = makeLabel(editPanel_, QStringLiteral("Label2_3"), 240, 1380, 1800, 420, 12);
    pupilCaption_->setText(QStringLiteral("生徒"));
    gradeLabel_ = makeLabel(editPanel_, QStringLiteral("Label2_4"), 2100, 1380, 2160, 420, 14.25);
    gradeLabel_->setAccessibleDescription(QStringLiteral("選んだ生徒の学年"));

    pupilChoice_ = new QComboBox(editPanel_);
    pupilChoice_->setObjectName(QStringLiteral("Combo1"));
    pupilChoice_->setAccessibleName(QStringLiteral("生徒の選択"));
    pupilChoice_->setAccessibleDescription(QStringLiteral("番号 /  名前 の形で生徒を選びます"));
    placeTwips(pupilChoice_, 240, 1860, 4020, 450);
    pupilChoice_->setFont(layoutFont(kGothicProportional, 12));
    pupilChoice_->setEditable(true);
    pupilChoice_->setInsertPolicy(QComboBox::NoInsert);
    pupilChoice_->setMaxVisibleItems(20);
    connect(pupilChoice_, &QComboBox::activated, this, [this] { showChosenPupilGrade(); });

    timeBox_ = new QLineEdit(editPanel_);
    timeBox_->setObjectName(QStringLiteral("Text1_1"));
    timeBox_->setAccessibleName(QStringLiteral("時間（秒）"));
    placeTwips(timeBox_, 240, 2640, 1800, 540);
    timeBox_->setFont(layoutFont(kGothicProportional, 14.25));
    timeBox_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    timeScroll_ = new QScrollBar(Qt::Vertical, editPanel_);
    timeScroll_->setObjectName(QStringLiteral("VScroll1"));
    timeScroll_->setAccessibleName(QStringLiteral("時間の増減"));
    placeTwips(timeScroll_, 2070, 2640, 300, 540);
    // The whole range a stored time can have, a time-up's 99999 included,
    // so every run opens with its time as stored. Up makes it longer.
    timeScroll_->setRange(0, kLongestStoredSeconds);
    timeScroll_->setSingleStep(1);
    timeScroll_->setPageStep(10);
    timeScroll_->setInvertedAppearance(true);
    timeScroll_->setInvertedControls(false);
    connect(timeScroll_, &QScrollBar::valueChanged, this, [this] { showScrolledTime(); });
    // Typing moves the scroll bar along, so the arrows go on from the typed time.
    connect(timeBox_, &QLineEdit::textEdited, this, [this](const QString &text) {
        if (const auto seconds = validEditedTime(text, nullptr)) {
            const QSignalBlocker block(timeScroll_);
            timeScroll_->setValue(*seconds);
        }
    });
    timeBox_->installEventFilter(this);
    secondsCaption_ = makeLabel(editPanel_, QStringLiteral("Label2_0"), 2460, 2640, 600, 540, 14.25);
    secondsCaption_->setText(QStringLiteral("秒"));

    changeButton_
        = makeButton(editPanel_, QStringLiteral("Command2"), QStringLiteral("変更して記録(&S)"), 240, 3660, 4020, 780);
    deleteButton_
        = makeButton(editPanel_, QStringLiteral("Command3"), QStringLiteral("消去(&D)"), 240, 4680, 4020, 780);
    connect(changeButton_, &QPushButton::clicked, this, &DataEditorWindow::changeRun);
    connect(deleteButton_, &QPushButton::clicked, this, &DataEditorWindow::deleteRun);
    changeButton_->setEnabled(false);
    deleteButton_->setEnabled(false);
    editPanel_->hide();

    // The teachers' tools beyond correcting runs: the runs into a
    // spreadsheet, and a check of the file.
    exportButton_
        = makeButton(this, QStringLiteral("CsvExport"), QStringLiteral("CSV出力(&E)"), 10560, 7200, 4500, 780);
    checkButton_
        = makeButton(this, QStringLiteral("DataCheck"), QStringLiteral("データ点検(&C)"), 10560, 8280, 4500, 780);
    connect(exportButton_, &QPushButton::clicked, this, &DataEditorWindow::exportCsv);
    connect(checkButton_, &QPushButton::clicked, this, &DataEditorWindow::checkData);
    // Every change and deletion can be taken back from the journal.
    undoButton_ = makeButton(this, QStringLiteral("UndoButton"), QStringLiteral("元に戻す"), 10560, 9360, 4500, 780);
    // Its caption stays "元に戻す" as the notes and the README name it; its
    // key, Alt+U as in the list it opens, is told to screen readers.
    pressedBy(undoButton_, QKeySequence(Qt::ALT | Qt::Key_U),
        QStringLiteral("変更や消去の記録を一覧にして、選んだものを元に戻します"));
    connect(undoButton_, &QPushButton::clicked, this, &DataEditorWindow::showUndoList);

    backButton_ = makeButton(this, QStringLiteral("Command4"), QStringLiteral("戻る(&B)"), 12840, 10380, 2220, 780);
    connect(backButton_, &QPushButton::clicked, this, &DataEditorWindow::leave);
    for (QPushButton *button : { changeButton_, deleteButton_, exportButton_, checkButton_, undoButton_, backButton_ })
        button->installEventFilter(this);

    cover_ = new QWidget(this);
    cover_->setObjectName(QStringLiteral("Picture1"));
    cover_->setGeometry(rect());
    setColours(cover_, kFormColour, Qt::black);
    auto *coverText = makeLabel(cover_, QStringLiteral("CoverText"), 0, 4800, 15360, 900, 24);
    coverText->setAlignment(Qt::AlignCenter);
    coverText->setText(QStringLiteral("Just a moment, please."));
    cover_->hide();

    setTabOrder(runList_, pupilChoice_);
    setTabOrder(pupilChoice_, timeBox_);
    setTabOrder(timeBox_, changeButton_);
    setTabOrder(changeButton_, deleteButton_);
    setTabOrder(deleteButton_, exportButton_);
    setTabOrder(exportButton_, checkButton_);
    setTabOrder(checkButton_, undoButton_);
    setTabOrder(undoButton_, backButton_);
}

void DataEditorWindow::onShown()
{
    fillList();
    runList_->setFocus();
}

void DataEditorWindow::fillList()
{
    RosterFailure rosterFailure;
    const int schoolYear = SchoolYearOf(platform_.clock.today(), state_.SchoolYearStartMonth);
    const QString rosterPath = RosterFilePath(state_);
    int rosterError = 0;
    const auto rosterState = fileStateAt(rosterPath, &rosterError);
    bool rosterRead = true;
    if (rosterState && rosterState_ && *rosterState == *rosterState_ && rosterState->timesAreFine()
        && schoolYear == rosterSchoolYear_) {
        // The roster read last time is still the file (its import writes a
        // new file under the name): the choices stay, and the box is left
        // as filling it again would leave it, on the first entry.
        pupilChoice_->setCurrentIndex(pupilChoice_->count() > 0 ? 0 : -1);
        pupilChoice_->setEditText(pupilChoice_->itemText(0));
    } else {
        auto roster = std::make_shared<EditorRoster>();
        rosterRead = LoadEditorRoster(rosterPath, schoolYear, *roster, &rosterFailure);
        pupilChoice_->clear();
        pupilChoice_->addItems(roster->choices);
        roster_ = roster;
        // Taken before the read: a roster written meanwhile is read again
        // next time. One that could not be read is always read again.
        rosterState_ = rosterRead ? rosterState : std::nullopt;
        rosterSchoolYear_ = schoolYear;
    }

    const QString path = resultsFilePath(state_);
    int error = 0;
    // Only what may have changed is read: after the editor's own change,
    // usually nothing (results_list_model.h).
    const bool read = model_->refresh(path, roster_, SchoolOfRecord(state_.SchoolCode, state_.SchoolName), &error);
    showValue(recordCount_, recordCountText(model_->fileLength()));
    // A full read resets the model, which drops the current line and the
    // selection without a word; a refill that read nothing does the same
    // here, so the selection made next is announced (and hides the panel)
    // either way.
    runList_->selectionModel()->clear();
    if (!rosterRead)
        showMessage(
            QStringLiteral("名簿を読めないため、名前と学年を表示できません。\n%1").arg(rosterFailure.description));
    if (!read)
        reportFailure(QStringLiteral("成績ファイルを読めません。"), path, error);
}

int DataEditorWindow::currentRow() const
{
    const QModelIndex index = runList_->currentIndex();
    return index.isValid() ? index.row() : -1;
}

void DataEditorWindow::selectRow(int row)
{
    if (row < 0 || row >= model_->rowCount())
        return;
    const QModelIndex index = model_->index(row);
    runList_->setCurrentIndex(index);
    runList_->scrollTo(index);
}

void DataEditorWindow::closeEditPanel()
{
    // The keys go on in the list, at the line now current, rather than
    // nowhere with the panel gone.
    if (editPanel_->isAncestorOf(focusWidget()))
        runList_->setFocus();
    editPanel_->hide();
}

void DataEditorWindow::openRun(int row)
{
    if (working_)
        return;
    const qint64 r = model_->recordNumberAt(row);
    if (r == 0)
        return;
    // The run as the line showed it: a change or deletion goes ahead only if
    // the file still holds exactly this record at this number.
    openedRecord_ = r;
    openedBytes_ = model_->recordBytes(r);
    const ResultRecord record = decodeRecord(openedBytes_.constData());

    showValue(recordNumber_, QString::number(r));
    changeButton_->setEnabled(true);
    deleteButton_->setEnabled(true);
    showValue(level_, QStringLiteral("ﾚﾍﾞﾙ") + QString::number(record.level));
    showValue(date_, runDateText(record.date));
    showValue(gradeLabel_, roster_->gradeLabelOf(record.pupilNumber));
    showTime(record.seconds);
    pupilChoice_->setEditText(pupilChoiceText(record.pupilNumber, roster_->nameOf(record.pupilNumber)));
    editPanel_->show();
    editPanel_->raise();
}

void DataEditorWindow::showTime(std::int32_t seconds)
{
    timeBox_->setText(QString::number(seconds));
    const QSignalBlocker block(timeScroll_);
    timeScroll_->setValue(std::clamp<std::int32_t>(seconds, 0, kLongestStoredSeconds));
}

void DataEditorWindow::showChosenPupilGrade()
{
    const auto pupil = choicePupilNumber(pupilChoice_->currentText());
    showValue(gradeLabel_, pupil ? roster_->gradeLabelOf(*pupil) : QString());
}

void DataEditorWindow::showScrolledTime()
{
    timeBox_->setText(QString::number(timeScroll_->value()));
}

void DataEditorWindow::changeRun()
{
    if (working_ || openedRecord_ == 0)
        return;
    QString problem;
    const auto seconds = validEditedTime(timeBox_->text(), &problem);
    if (!seconds) {
        showMessage(problem);
        timeBox_->setFocus();
        return;
    }
    const auto pupil = validChosenPupil(
        pupilChoice_->currentText(), *roster_, decodeRecord(openedBytes_.constData()).pupilNumber, &problem);
    if (!pupil) {
        showMessage(problem);
        pupilChoice_->setFocus();
        return;
    }

    const qint64 r = openedRecord_;
    QPointer<DataEditorWindow> self(this);
    setWorking(true);
    std::optional<WrittenChange> written;
    const RecordEditResult result = changeResultRecord(resultsFilePath(state_), r, openedBytes_,
        withPupilAndTime(openedBytes_, *pupil, *seconds), platform_.clock, &written);
    if (!self)
        return;
    setWorking(false);
    if (result.outcome == RecordEditOutcome::Done) {
        openedBytes_ = withPupilAndTime(openedBytes_, *pupil, *seconds);
        if (written)
            model_->applyOwnChange(r, openedBytes_, written->before, written->after);
        fillList();
        selectRow(model_->rowAtOrAfter(r));
        if (!result.note.isEmpty())
            showMessage(QStringLiteral("記録を変更しました。\n") + result.note);
    } else {
        reportNotDone(result, QStringLiteral("記録を変更できませんでした。"), kStaleText);
    }
    if (self && leaving_)
        leave();
}

void DataEditorWindow::deleteRun()
{
    if (working_ || openedRecord_ == 0)
        return;
    QPointer<DataEditorWindow> self(this);
    QMessageBox ask(QMessageBox::NoIcon, QStringLiteral("注意"), QStringLiteral("本当に消去しますか"),
        QMessageBox::Ok | QMessageBox::Cancel, this);
    // Enter alone must not delete a run.
    ask.setDefaultButton(QMessageBox::Cancel);
    setWorking(true);
    const int answer = ask.exec();
    if (!self)
        return;
    if (answer != QMessageBox::Ok) {
        setWorking(false);
        if (leaving_)
            leave();
        return;
    }

    const qint64 r = openedRecord_;
    const RecordEditResult result = deleteResultRecord(resultsFilePath(state_), r, openedBytes_, platform_.clock);
    if (!self)
        return;
    setWorking(false);
    if (result.outcome == RecordEditOutcome::Done) {
        openedRecord_ = 0;
        changeButton_->setEnabled(false);
        deleteButton_->setEnabled(false);
        fillList();
        // The run that followed the deleted one is now record r.
        const int row = model_->rowAtOrAfter(r);
        selectRow(row >= 0 ? row : model_->rowCount() - 1);
        if (!result.note.isEmpty())
            showMessage(QStringLiteral("記録を消去しました。\n") + result.note);
    } else {
        reportNotDone(result, QStringLiteral("記録を消去できませんでした。"), kStaleText);
    }
    if (self && leaving_)
        leave();
}

void DataEditorWindow::leave()
{
    leaving_ = true;
    if (working_ || left_)
        return;
    left_ = true;
    cover_->setGeometry(rect());
    cover_->show();
    cover_->raise();
    navigator_.showHub();
    navigator_.closeDataEditor();
}

void DataEditorWindow::exportCsv()
{
    runTool([this] { exportCsvInteractive(this, state_, platform_); });
}

void DataEditorWindow::checkData()
{
    qint64 chosen = 0;
    QPointer<DataEditorWindow> self(this);
    runTool([&] { checkResultsInteractive(this, state_, platform_, &chosen); });
    if (self && !left_ && chosen > 0)
        showRecord(chosen);
}

void DataEditorWindow::showRecord(qint64 recordNumber)
{
    // The check read the file as it is now; the list follows it first, so
    // the numbers mean the same records.
    fillList();
    const int row = model_->rowAtOrAfter(recordNumber);
    if (row < 0) {
        selectRow(model_->rowCount() - 1);
        showMessage(QStringLiteral("記録 %1 は一覧にありません（ファイルの最後の記録より後の、書きかけの部分です）。")
                        .arg(recordNumber));
        return;
    }
    selectRow(row);
    runList_->scrollTo(model_->index(row), QAbstractItemView::PositionAtCenter);
    runList_->setFocus();
    if (model_->recordNumberAt(row) != recordNumber)
        showMessage(QStringLiteral("記録 %1 はレベル0の記録なので一覧にありません。そのあとの記録 %2 を選びました。")
                        .arg(recordNumber)
                        .arg(model_->recordNumberAt(row)));
}

void DataEditorWindow::showUndoList()
{
    runTool([this] {
        UndoWindow window(
            resultsJournalPath(resultsFilePath(state_)), roster_,
            [this](qint64 entry, QWidget *parent) { undoEntry(entry, parent); }, this);
        window.exec();
    });
}

void DataEditorWindow::undoEntry(qint64 entryNumber, QWidget *parent)
{
    QPointer<DataEditorWindow> self(this);
    const RecordEditResult result = undoJournalEntry(resultsFilePath(state_), entryNumber, platform_.clock);
    if (!self)
        return;
    if (result.outcome != RecordEditOutcome::Done) {
        reportNotDone(result, QStringLiteral("元に戻せませんでした。"), kUndoStaleText, parent);
        return;
    }
    // The opened run may have moved or changed; it is opened again from the
    // list if the teacher wants it.
    openedRecord_ = 0;
    editPanel_->hide();
    fillList();
    selectRow(model_->rowAtOrAfter(result.recordNumber));
    QString text = QStringLiteral("元に戻しました（記録番号 %1）。").arg(result.recordNumber);
    if (!result.note.isEmpty())
        text += QLatin1Char('\n') + result.note;
    showMessage(text, parent);
}

void DataEditorWindow::runTool(const std::function<void()> &tool)
{
    // The tools run their own dialogs; the list and the editing stay
    // disabled meanwhile, and a leave asked for meanwhile happens after.
    if (working_)
        return;
    setWorking(true);
    tool();
    setWorking(false);
    if (leaving_)
        leave();
}

void DataEditorWindow::setWorking(bool working)
{
    if (working && !working_)
        focusBeforeWork_ = focusWidget();
    working_ = working;
    for (QWidget *w : std::initializer_list<QWidget *> {
             runList_, pupilChoice_, timeBox_, timeScroll_, exportButton_, checkButton_, undoButton_, backButton_ })
        w->setEnabled(!working);
    changeButton_->setEnabled(!working && openedRecord_ != 0);
    deleteButton_->setEnabled(!working && openedRecord_ != 0);
    // Disabling the focused control took the focus from the window; a
    // teacher at the keyboard gets it back where it was.
    if (!working) {
        QWidget *back = focusBeforeWork_ ? focusBeforeWork_.data() : runList_;
        if (!back->isVisible() || !back->isEnabled())
            back = runList_;
        back->setFocus();
        focusBeforeWork_ = nullptr;
    }
}

void DataEditorWindow::reportNotDone(
    const RecordEditResult &result, const QString &what, const QString &staleText, QWidget *parent)
{
    switch (result.outcome) {
    case RecordEditOutcome::Done:
        return;
    case RecordEditOutcome::Stale:
        // Another PC changed the file: the opened run is no longer known.
        showMessage(staleText, parent);
        openedRecord_ = 0;
        fillList();
        return;
    case RecordEditOutcome::MayBeWritten:
        // The write began: the record may be the old one, the new one or,
        // for a write cut short, a mixture. The list shows what is there.
        reportFailure(QStringLiteral("書き込みの途中で失敗しました。記録が書かれたかどうか分かりません。"
                                     "一覧を読み直しますので、その記録を確かめてください。"),
            result.failedFile, result.errorNumber, parent);
        openedRecord_ = 0;
        editPanel_->hide();
        fillList();
        return;
    case RecordEditOutcome::AlreadyUndone:
        showMessage(QStringLiteral("これはもう元に戻してあります。何も書いていません。"), parent);
        return;
    case RecordEditOutcome::NotUndoable:
        showMessage(QStringLiteral("この記録は元に戻せません。何も書いていません。"), parent);
        return;
    case RecordEditOutcome::Failed:
        if (!result.detail.isEmpty())
            showMessage(what + QLatin1Char('\n') + result.detail, parent);
        else
            reportFailure(what, result.failedFile, result.errorNumber, parent);
        return;
    }
}

void DataEditorWindow::showMessage(const QString &text, QWidget *parent)
{
    QMessageBox box(QMessageBox::Information, state_.ProgramName, text, QMessageBox::Ok, parent ? parent : this);
    box.exec();
}

void DataEditorWindow::reportFailure(const QString &what, const QString &file, int errorNumber, QWidget *parent)
{
    QMessageBox box(QMessageBox::Warning, state_.ProgramName,
        QStringLiteral("%1\n%2\n%3（%4）").arg(what, file, fileErrorDescription(errorNumber)).arg(errorNumber),
        QMessageBox::Ok, parent ? parent : this);
    box.exec();
}

bool DataEditorWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        const bool enter = key == Qt::Key_Return || key == Qt::Key_Enter;
        if (enter && watched == runList_) {
            // Enter opens the line, as a double-click does.
            openRun(currentRow());
            return true;
        }
        // The arrow keys in the time box step the time as the scroll bar's
        // arrows do.
        if (watched == timeBox_ && (key == Qt::Key_Up || key == Qt::Key_Down)) {
            timeScroll_->triggerAction(
                key == Qt::Key_Up ? QAbstractSlider::SliderSingleStepAdd : QAbstractSlider::SliderSingleStepSub);
            return true;
        }
        if (enter) {
            if (auto *button = qobject_cast<QPushButton *>(watched); button && button->isEnabled()) {
                button->click();
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void DataEditorWindow::closeEvent(QCloseEvent *event)
{
    // Closing the window is leaving it: the teacher goes back to the hub
    // rather than ending the program, once any work under way has ended.
    if (!event->spontaneous()) {
        QWidget::closeEvent(event);
        return;
    }
    event->ignore();
    leave();
}
