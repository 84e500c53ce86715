// SPDX-License-Identifier: MIT
// The results hub: the pupil's home between runs, with one column per level,
// the lists and rankings, and the start of a run. Its object name stays the
// program's "seisekitime1".
#pragma once

#include "hub/level_enabling.h"
#include "hub/rankings.h"

#include <QWidget>
#include <vector>

class ClickableLabel;
class GraphPanel;
class QComboBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QScrollBar;
struct SharedState;
struct Platform;
class Navigator;
class PasswordPanel;

class HubScreen : public QWidget {
    Q_OBJECT
public:
    HubScreen(SharedState &state, Platform &platform, Navigator &navigator, QWidget *parent = nullptr);
    ~HubScreen() override;

    // The screen refresh, run each time the hub is shown.
    void onShown();

    // Handlers other code (and tests) run.
    // A level's start button (or its digit key): the wait panel, then the run.
    void startLevel(int level);
    // A click on a level's name starts it too, without the wait panel.
    void startLevelFromName(int level);
    void backToNameSelection(); // "戻る(0)" or "0"
    void openPasswordPanel(); // "データ処理"
    // The columns follow the scroll bar (levels beyond four).
    void scrollColumns();
    // Which start buttons are enabled, and the over-practice notices.
    void enableLevels();
    // An ordering option (1..3) of the current view: its list or ranking.
    void chooseOrdering(int option);
    // A view option: 0 times, 1 points, 2 the signed-in pupil's times.
    void chooseView(int view);
    // A grade filter chosen: the current view built again for it.
    void applyGradeFilter();
    // A period chosen: counts while ordering 3 (every run) is shown.
    void choosePeriod();
    // The run lists read from the results file: today's runs, all runs of
    // the period, the signed-in pupil's runs.
    void listTodayRuns();
    void listPeriodRuns();
    void listOwnRuns();

    bool refreshDone() const { return RefreshDone == 1; }
    int listMode() const { return ListMode; }
    double columnWidth() const { return ColumnWidth; }

    // Per-level controls, by level 1..LevelCount.
    QPushButton *startButton(int level) const { return columns_[size_t(level)].startButton; }
    QLabel *overPracticeNotice(int level) const { return columns_[size_t(level)].overPracticeNotice; }
    QLabel *levelName(int level) const;
    QLabel *todayFigure(int level) const { return columns_[size_t(level)].todayFigure; }
    QLabel *allTimeFigure(int level) const { return columns_[size_t(level)].allTimeFigure; }
    QLabel *periodStanding(int level) const { return columns_[size_t(level)].periodStanding; }
    QLabel *criteria(int level) const { return columns_[size_t(level)].criteria; }
    QListWidget *resultsList(int level) const { return columns_[size_t(level)].resultsList; }
    GraphPanel *graphPanel() const { return graphPanel_; }
    PasswordPanel *passwordPanel() const { return passwordPanel_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // One level's column; object names are the control array's, with the
    // level as index (Command4_2 for level 2's start button).
    struct Column {
        QLabel *number = nullptr; // Label1
        ClickableLabel *name = nullptr; // Label3
        QPushButton *startButton = nullptr; // Command4
        QLabel *overPracticeNotice = nullptr; // Text1
        QLabel *todayHeading = nullptr; // Label9
        QLabel *allTimeHeading = nullptr; // Label10
        QLabel *todayFigure = nullptr; // Label14
        QLabel *allTimeFigure = nullptr; // Label15
        QLabel *periodStanding = nullptr; // Label8
        QListWidget *resultsList = nullptr; // List5
        QLabel *criteria = nullptr; // Label7
        // The signed-in pupil's row of the ranking shown, or -1.
        int ownRow = -1;
    };

    // Builds the screen and fills what stays for the hub's life: each
    // level's standing in its judgment period and its criteria.
    void setUp();
    // Builds every widget (hub_layout.cpp).
    void buildScreen();
    void hidePanelsOfLevel(Column &c);
    // The hub's own keys (digits start levels, "0" goes back); true when
    // the key is used up.
    bool handleKey(const QString &key);
    void applyGates(const LevelGates &gates);
    bool passwordPanelShowing() const;
    void hideListsAndStarts();
    void showListsOfTimedLevels();
    void showResultsList(int level);
    void fitListFont();
    void resetLevelPanels();
    // The time view's ranking by best time, every level.
    void rankBestTimes();
    void rankEveryLevel(RankingOrder order);
    void buildRunList(int kind);
    void showRankings(const RankingListing &listing);

    SharedState &state_;
    Platform &platform_;
    Navigator &navigator_;

    int RefreshDone = 0;
    int SuppressViewChange = 0;
    int ListMode = 0;
    int PointOrder = 0;
    double ColumnWidth = 0;
    int leftMargin_ = 0;

    std::vector<Column> columns_;
    LevelGates gates_;

    // Screen-wide controls; the program's control names are their object
    // names (in brackets).
    QLabel *programLabel_ = nullptr; // Label11
    QLabel *pupilLabel_ = nullptr; // Label12: grade and name
    QLabel *schoolLabel_ = nullptr; // Label13: school and pupil number
    QWidget *minutesBox_ = nullptr; // Picture3
    QLabel *minutesLabel_ = nullptr; // Label17: minutes since sign-in
    QWidget *todayTotalBox_ = nullptr; // Picture4
    QLabel *todayTotalLabel_ = nullptr; // Label18: today's total runs
    QLabel *listTitle_ = nullptr; // Label5
    QWidget *orderBar_ = nullptr; // Picture1
    QRadioButton *orderOptions_[4] = {}; // Option1_1..3
    QWidget *viewBar_ = nullptr; // Picture5
    QRadioButton *viewOptions_[3] = {}; // Option2_0..2
    QComboBox *gradeFilter_ = nullptr; // Combo1
    QComboBox *periodChoice_ = nullptr; // Combo2
    QScrollBar *columnScroll_ = nullptr; // HScroll1
    QPushButton *backButton_ = nullptr; // Command1 "戻る(0)"
    QPushButton *dataButton_ = nullptr; // Command8 "データ処理"
    QPushButton *graphButton_ = nullptr; // Command17 "グラフ"
    QWidget *waitPanel_ = nullptr; // Picture2, the whole screen
    QProgressBar *waitProgress_ = nullptr; // ProgressBar1
    QWidget *listWaitPanel_ = nullptr; // Picture6, over the lists
    QProgressBar *listProgress_ = nullptr; // ProgressBar2
    GraphPanel *graphPanel_ = nullptr; // Picture11
    PasswordPanel *passwordPanel_ = nullptr; // Picture7
};
