// SPDX-License-Identifier: MIT
// The graph panel of the hub (Picture11): for each chosen level a strip of
// the pupil's runs with the personal bests joined by a line and the
// school's figures beside it, drawn on the panel's surface (Picture12) or,
// for teachers, printed. Any pupil may look at another pupil's graphs.
//
// Re-entrancy: reading the results file waits, letting events run, while
// another copy of the program holds it. `drawing_` is set while one pupil's
// graphs are drawn, `printing_` from the print dialog to the end of the
// print job; the handlers that start either (Command21_Click,
// Command24_Click, printPupils and the list handlers that run them) return
// at once while one is set. The panel is a child of the hub, so it never
// outlives the widgets it uses.
#pragma once

#include "hub/graph_drawing.h"
#include "hub/graph_statistics.h"
#include "hub/rankings.h"
#include "results/result_record.h"
#include "state/tables.h"

#include <QFrame>
#include <QImage>
#include <array>
#include <functional>
#include <vector>

class QListView;
class QListWidget;
class QStringListModel;
class QPainter;
class QPrinter;
class QPushButton;
struct Platform;
struct SharedState;

// The drawing surface (Picture12): keeps what was drawn, as a picture box
// that redraws itself does, so strips survive being covered and uncovered.
class GraphCanvas : public QWidget {
    Q_OBJECT
public:
    explicit GraphCanvas(QWidget *parent = nullptr);
    // The picture, the size of the surface (a new size starts it blank).
    QImage &image();
    const QImage &image() const { return image_; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage image_;
};

class GraphPanel : public QFrame {
    Q_OBJECT
public:
    GraphPanel(SharedState &state, Platform &platform, QWidget *hub);

    // "印刷" is for teachers only; the hub decides at each refresh.
    void setTeacher(bool teacher);

    // Asks where to print: the system's print dialog unless a test puts a
    // file in its place. False when the user cancels.
    using PrinterChooser = std::function<bool(QPrinter &printer, QWidget *parent)>;
    void setPrinterChooser(PrinterChooser chooser) { chooser_ = std::move(chooser); }

    // Handlers, by the program's names.
    void Command17_Click(); // "グラフ" on the hub
    void Command25_Click(); // "他の人のデータを見る"
    void List2_Click();
    void List3_Click();
    void Command24_Click(int index); // 0 "表示", 1 "印刷"
    void Command18_Click(); // "戻る"
    void Command21_Click(int index); // every chosen level, screen or paper
    void Command23_Click(int index); // 1 time rank, 0 points figures
    void Command22_Click(int m); // a level's ranking into List4(m)
    void Command19_Click(); // one strip

    // Prints the graphs of the pupils, one after another, in one document.
    void printPupils(const std::vector<int> &pupils);

    int graphPupil() const { return GraphPupil; }
    const QImage &surfaceImage() const;
    const LevelStanding &standing(int level) const { return standings_[size_t(level)]; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void build();
    void fillLists();
    std::vector<int> chosenPupils() const;
    QString gradeFilter() const;
    // Reads the records of the one-pupil window once per drawing, waiting
    // on a busy or refused file as every reader does; false with the
    // message (file named) when the file cannot be read.
    bool loadRecords(QString *error);

    SharedState &state_;
    Platform &platform_;
    PrinterChooser chooser_;

    // Graph state, by the program's names.
    int GraphPupil = 0;
    int GraphLevel = 0;
    int GraphToPrinter = 0;
    double StripTop = 0;
    double GraphFontSize = kGraphFontSize;
    int GraphRunCount = 0;
    int GraphTimeMax = 0;
    LevelTable<LevelStanding> standings_ {};
    std::array<LevelRanking, 3> rankings_ {}; // [1] time, [2] points

    std::vector<ResultRecord> records_;
    int recordsFirst_ = 1;
    bool drawing_ = false;
    bool printing_ = false;
    QPainter *painter_ = nullptr;
    QPrinter *printer_ = nullptr;
    GraphSurface surface_;

    GraphCanvas *Picture12 = nullptr;
    QListWidget *List3 = nullptr;
    QListWidget *List2 = nullptr;
    QPushButton *Command24[2] = {};
    QPushButton *Command25 = nullptr;
    QPushButton *Command18 = nullptr;
    // [1], [2]: hidden lists over a string model, which takes a ranking of
    // 5000 rows without building an item per row.
    QListView *List4[3] = {};
    QStringListModel *rankingRows_[3] = {};
};
