// SPDX-License-Identifier: MIT
// The report of the results-file check for the results-data editor: the
// file checked, one finding a line, the summary. A list a screen reader can
// walk line by line with the arrow keys, opening at its first line.
#pragma once

#include <QDialog>

struct CheckReport;
class QLabel;
class QListWidget;
class QPushButton;

class CheckReportWindow : public QDialog {
    Q_OBJECT
public:
    // Beyond this many findings the window lists the first ones and says how
    // many more the command line shows; a list of a million lines would take
    // the window longer to build than the check took.
    static constexpr int kMaxListedFindings = 10000;

    explicit CheckReportWindow(const CheckReport &report, QWidget *parent = nullptr);

    QListWidget *reportList() const { return reportList_; }
    QLabel *summaryLabel() const { return summaryLabel_; }
    QPushButton *showRecordButton() const { return showRecordButton_; }

    // The record of the finding the teacher chose (Enter, a double-click or
    // "一覧で選ぶ" on its line; the window then closes), for the editor to
    // select in its list; 0 when none was chosen.
    qint64 chosenRecord() const { return chosenRecord_; }
    // The finding's first record on `row`, 0 when the line names none.
    qint64 recordOfRow(int row) const;
    void chooseRow(int row);

private:
    void build(const CheckReport &report);

    QLabel *fileLabel_ = nullptr;
    QListWidget *reportList_ = nullptr;
    QLabel *summaryLabel_ = nullptr;
    QPushButton *showRecordButton_ = nullptr;
    QPushButton *closeButton_ = nullptr;
    qint64 chosenRecord_ = 0;
};
