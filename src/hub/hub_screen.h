// SPDX-License-Identifier: MIT
// The results hub (seisekitime1): the pupil's home between runs, with one
// column per level, the lists and rankings, and the start of a run.
#pragma once

#include "hub/level_enabling.h"
#include "hub/rankings.h"

#include <QWidget>
#include <vector>

class ClickableLabel;
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

class HubScreen : public QWidget {
    Q_OBJECT
public:
    HubScreen(SharedState &state, Platform &platform, Navigator &navigator, QWidget *parent = nullptr);
    ~HubScreen() override;

    // The screen refresh, run each time the hub is shown.
    void Form_Activate();

    // Handlers other code (and tests) run.
    void Command4_Click(int index);
    void Label3_Click(int index);
    void Command1_Click();
    void Command8_Click();
    void HScroll1_Change();
    void Command9_Click();
    void Option1_Click(int index);
    void Option2_Click(int index);
    void Combo1_Click();
    void Combo2_Click();
    // The run lists read from the results file: today's runs, all runs of
    // the period, the signed-in pupil's runs.
    void Command5_Click();
    void Command7_Click();
    void Command16_Click();

    bool refreshDone() const { return RefreshDone == 1; }
    int listMode() const { return ListMode; }
    double columnWidth() const { return ColumnWidth; }

    // Per-level controls, by level 1..LevelCount.
    QPushButton *startButton(int level) const { return columns_[size_t(level)].Command4; }
    QLabel *overPracticeNotice(int level) const { return columns_[size_t(level)].Text1; }
    QLabel *levelName(int level) const;
    QLabel *todayFigure(int level) const { return columns_[size_t(level)].Label14; }
    QLabel *allTimeFigure(int level) const { return columns_[size_t(level)].Label15; }
    QLabel *periodStanding(int level) const { return columns_[size_t(level)].Label8; }
    QLabel *criteria(int level) const { return columns_[size_t(level)].Label7; }
    QListWidget *resultsList(int level) const { return columns_[size_t(level)].List5; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Column {
        QLabel *Label1 = nullptr;
        ClickableLabel *Label3 = nullptr;
        QPushButton *Command4 = nullptr;
        QLabel *Text1 = nullptr;
        QLabel *Label9 = nullptr;
        QLabel *Label10 = nullptr;
        QLabel *Label14 = nullptr;
        QLabel *Label15 = nullptr;
        QLabel *Label8 = nullptr;
        QListWidget *List5 = nullptr;
        QLabel *Label7 = nullptr;
        // The signed-in pupil's row of the ranking shown, or -1.
        int ownRow = -1;
    };

    void Form_Load();
    void hidePanelsOfLevel(Column &c);
    bool Form_KeyPress(const QString &key);
    void showWaitPanel(QWidget *panel);
    void applyGates(const LevelGates &gates);
    bool passwordPanelShowing() const;
    void hideListsAndStarts();
    void showListsOfTimedLevels();
    void showResultsList(int level);
    void fitListFont();
    void resetLevelPanels();
    void Command6_Click();
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

    QLabel *Label11 = nullptr;
    QLabel *Label12 = nullptr;
    QLabel *Label13 = nullptr;
    QWidget *Picture3 = nullptr;
    QLabel *Label17 = nullptr;
    QWidget *Picture4 = nullptr;
    QLabel *Label18 = nullptr;
    QLabel *Label5 = nullptr;
    QWidget *Picture1 = nullptr;
    QRadioButton *Option1[4] = {};
    QWidget *Picture5 = nullptr;
    QRadioButton *Option2[3] = {};
    QComboBox *Combo1 = nullptr;
    QComboBox *Combo2 = nullptr;
    QScrollBar *HScroll1 = nullptr;
    QPushButton *Command1 = nullptr;
    QPushButton *Command8 = nullptr;
    QPushButton *Command17 = nullptr;
    QWidget *Picture2 = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    QWidget *Picture6 = nullptr;
    QProgressBar *ProgressBar2 = nullptr;
};
