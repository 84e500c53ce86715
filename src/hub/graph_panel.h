// SPDX-License-Identifier: MIT
// The graph panel of the hub (object name "Picture11"): for each chosen
// level a strip of the pupil's runs with the personal bests joined by a
// line and the school's figures beside it, drawn on the panel's surface or,
// for teachers, printed. Any pupil may look at another pupil's graphs. The
// widgets are built in graph_panel_layout.cpp.
//
// Re-entrancy: reading the results file waits, letting events run, while
// another copy of the program holds it. `drawing_` is set while one pupil's
// graphs are drawn, `printing_` from the print dialog to the end of the
// print job; the handlers that start either (drawPupil, drawChosenPupils,
// printPupils and the list handlers that run them) return at once while
// one is set. The panel is a child of the hub, so it never outlives the
// widgets it uses.
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

// The drawing surface (object name "Picture12"): keeps what was drawn, as a
// picture box that redraws itself does, so strips survive being covered and
// uncovered.
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

// Where a pupil's graphs go: the panel's surface ("表示") or paper ("印刷").
enum class GraphOutput { Screen, Paper };

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

    // "グラフ" on the hub: the signed-in pupil's graphs of levels 1 to 3.
    void openGraphs();
    // "他の人のデータを見る": the pupil list in place of the button.
    void showPupilList();
    // A new choice in the pupil list or the level list draws again.
    void redrawForPupils();
    void redrawForLevels();
    // "表示" and "印刷": the graphs of the pupils chosen in the list (or of
    // the pupil shown when none is chosen).
    void drawChosenPupils(GraphOutput output);
    // "戻る" or Esc: the panel hides, the focus goes back to "グラフ".
    void closeGraphs();
    // Every chosen level of GraphPupil, one strip each.
    void drawPupil(GraphOutput output);
    // GraphPupil's rank by best time, and points figures, at GraphLevel.
    void findTimeRank();
    void findPointsStanding();
    // GraphLevel's ranking into hidden list m: 1 by best time, 2 by points.
    void rankLevel(int m);
    // One strip: GraphPupil at GraphLevel, at StripTop.
    void drawStrip();

    // Prints the graphs of the pupils, one after another, in one document.
    void printPupils(const std::vector<int> &pupils);

    int graphPupil() const { return GraphPupil; }
    const QImage &surfaceImage() const;
    const LevelStanding &standing(int level) const { return standings_[size_t(level)]; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    // Builds every widget (graph_panel_layout.cpp).
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

    // The strips on the surface as a screen reader reads them: one
    // unpainted widget over each of the three strips, named for the level,
    // with the strip's summary as its description (GraphStrip_1..3).
    void clearStripReaders();
    void describeStrip(const StripPicture &picture);
    std::array<QWidget *, 3> stripReaders_ {};
    size_t stripsOnSurface_ = 0;

    // The program's control names are the object names (in brackets).
    GraphCanvas *canvas_ = nullptr; // Picture12
    QListWidget *levelList_ = nullptr; // List3
    QListWidget *pupilList_ = nullptr; // List2
    QPushButton *showButton_ = nullptr; // Command24_0 "表示"
    QPushButton *printButton_ = nullptr; // Command24_1 "印刷"
    QPushButton *otherPupilsButton_ = nullptr; // Command25
    QPushButton *backButton_ = nullptr; // Command18 "戻る"
    // [1] by best time, [2] by points (List4_1, List4_2): hidden lists over
    // a string model, which takes a ranking of 5000 rows without building an
    // item per row.
    QListView *rankingLists_[3] = {};
    QStringListModel *rankingRows_[3] = {};
};
