// SPDX-License-Identifier: MIT
// The window of the class overview "学習状況", opened from the password
// panel over the hub: a level chooser, the hub's grade filter, the table,
// sorting by any column from the header or the keyboard, printing, and
// "戻る" (or Esc) back to the hub.
//
// Re-entry: printing shows a modal dialog and lets events run; `printing_`
// keeps a second "印刷" (or a level change) from starting inside it, and
// the window leaves only after the job has ended.
#pragma once

#include <QWidget>
#include <functional>

class ClassOverviewModel;
class QCheckBox;
class QComboBox;
class QKeyEvent;
class QLabel;
class QPrinter;
class QPushButton;
class QTableView;
struct SharedState;
struct Platform;

class ClassOverviewWindow : public QWidget {
    Q_OBJECT
public:
    // `level` is the hub's current level (level 1 when it has none yet) and
    // `gradeFilter` the text of the hub's grade filter.
    ClassOverviewWindow(
        SharedState &state, Platform &platform, int level, const QString &gradeFilter, QWidget *parent = nullptr);
    ~ClassOverviewWindow() override;

    // Reads the results file again (the counts, as the hub does) and fills
    // the table. False when the file could not be read; the reason is shown.
    bool onShown();

    // Asks where to print: the system's print dialog unless a test puts a
    // file in its place. False when the user cancels.
    using PrinterChooser = std::function<bool(QPrinter &printer, QWidget *parent)>;
    void setPrinterChooser(PrinterChooser chooser) { chooser_ = std::move(chooser); }

    void chooseLevel(int level);
    void chooseGradeFilter(const QString &filter);
    // Sorts by a column from the sort chooser or the header; ties keep
    // roster order.
    void sortBy(int column, bool descending);
    void print();
    // "戻る" or Esc.
    void leave();

    int level() const { return level_; }
    QString gradeFilter() const;
    ClassOverviewModel *model() const { return model_; }
    QTableView *table() const { return table_; }

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void buildScreen();
    void refill();
    void showSummary();
    QString levelText() const;

    SharedState &state_;
    Platform &platform_;
    int level_ = 1;
    bool printing_ = false;
    bool syncingSort_ = false;
    PrinterChooser chooser_;

    ClassOverviewModel *model_ = nullptr;
    QLabel *title_ = nullptr;
    QComboBox *levelChoice_ = nullptr;
    QComboBox *gradeChoice_ = nullptr;
    QComboBox *sortChoice_ = nullptr;
    QCheckBox *descending_ = nullptr;
    QPushButton *printButton_ = nullptr;
    QPushButton *backButton_ = nullptr;
    QLabel *summary_ = nullptr; // shows a value: no fixed accessible name
    QTableView *table_ = nullptr;
};
