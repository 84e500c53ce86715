// SPDX-License-Identifier: MIT
// The results-data editor: every stored run listed, a run opened by
// double-click (or Enter), its pupil or time corrected, or the run deleted,
// while other PCs go on appending to the same file; and any change or
// deletion undone from the journal ("元に戻す"). Its object name stays the
// program's "FrmData".
//
// Re-entrancy: waiting for the whole-file lock lets events run, and the
// message boxes run their own event loop. `working_` is set from the start
// of a change or deletion (its question included) to its end, and while a
// tool's dialog is open (CSV出力, データ点検, 元に戻す and the undos made in
// it); the list, the inputs and the buttons are disabled meanwhile, and the
// handlers that start work return at once while it is set. A leave asked for meanwhile (closing
// the window by its frame) only sets `leaving_`, and the work leaves when it
// ends, so the window is never gone when a handler comes back to it.
// `left_` makes leaving happen once.
#pragma once

#include "maintenance/data_editor_rules.h"
#include "results/results_edit.h"

#include <QByteArray>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QScrollBar;
class ResultsListModel;
struct SharedState;
struct Platform;
class Navigator;

class DataEditorWindow : public QWidget {
    Q_OBJECT
public:
    DataEditorWindow(SharedState &state, Platform &platform, Navigator &navigator, QWidget *parent = nullptr);
    ~DataEditorWindow() override;

    // Fills the list; the navigator calls it once, right after showing.
    void onShown();

    // Handlers, also run by tests and by the keyboard.
    // Another line became the current one: the opened run's panel closes.
    void closeEditPanel();
    // Double-click or Enter on a line: the run opens in the edit panel.
    void openRun(int row);
    // A pupil chosen in the edit panel: their grade beside the choice.
    void showChosenPupilGrade();
    // The time scroll bar moved: its value into the time box.
    void showScrolledTime();
    void changeRun(); // 変更して記録
    void deleteRun(); // 消去
    void leave(); // 戻る
    void exportCsv(); // CSV出力
    void checkData(); // データ点検
    void showUndoList(); // 元に戻す
    // Undoes one journal entry and tells the outcome (messages over `parent`).
    void undoEntry(qint64 entryNumber, QWidget *parent);

    // What the screen shows, for the program's own checks and the tests.
    ResultsListModel &listModel() const { return *model_; }
    qint64 openedRecord() const { return openedRecord_; }
    int currentRow() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildWidgets();
    void fillList();
    void selectRow(int row);
    void setWorking(bool working);
    void runTool(const std::function<void()> &tool);
    void showMessage(const QString &text, QWidget *parent = nullptr);
    void reportFailure(const QString &what, const QString &file, int errorNumber, QWidget *parent = nullptr);
    // A change, deletion or undo that did not end as asked: what happened,
    // and the list read again where the file may differ from it.
    void reportNotDone(
        const RecordEditResult &result, const QString &what, const QString &staleText, QWidget *parent = nullptr);
    void showTime(std::int32_t seconds);

    SharedState &state_;
    Platform &platform_;
    Navigator &navigator_;

    ResultsListModel *model_ = nullptr;
    std::shared_ptr<const EditorRoster> roster_;
    // The roster file as `roster_` was read from it, for the school year.
    std::optional<FileState> rosterState_;
    int rosterSchoolYear_ = 0;
    qint64 openedRecord_ = 0;
    QByteArray openedBytes_;
    bool working_ = false;
    bool leaving_ = false;
    bool left_ = false;

    QLabel *recordCount_ = nullptr; // 総レコード数
    QLabel *hint_ = nullptr; // Label5
    QListView *runList_ = nullptr; // List1
    QWidget *editPanel_ = nullptr; // Picture3
    QLabel *recordNumber_ = nullptr; // Label1
    QLabel *secondsCaption_ = nullptr; // Label2(0)
    QLabel *level_ = nullptr; // Label2(1)
    QLabel *date_ = nullptr; // Label2(2)
    QLabel *pupilCaption_ = nullptr; // Label2(3)
    QLabel *gradeLabel_ = nullptr; // Label2(4)
    QComboBox *pupilChoice_ = nullptr; // Combo1
    QLineEdit *timeBox_ = nullptr; // Text1(1)
    QScrollBar *timeScroll_ = nullptr; // VScroll1
    QPushButton *changeButton_ = nullptr; // Command2
    QPushButton *deleteButton_ = nullptr; // Command3
    QPushButton *exportButton_ = nullptr; // CSV出力
    QPushButton *checkButton_ = nullptr; // データ点検
    QPushButton *undoButton_ = nullptr; // 元に戻す
    QPushButton *backButton_ = nullptr; // Command4
    QWidget *cover_ = nullptr; // Picture1
};
