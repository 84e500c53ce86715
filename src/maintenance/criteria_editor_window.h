// SPDX-License-Identifier: MIT
// The criteria editor: the criteria table as a grid, edited through one box
// laid over the current cell, with the explanation of the current column
// and star histograms of the times recorded at the level of the current
// row, so that target times can be set from real data. Its object name
// stays the program's "FrmTimeData".
#pragma once

#include "maintenance/criteria_editor_layout.h"
#include "maintenance/criteria_grid.h"
#include "maintenance/time_histograms.h"

#include <QWidget>
#include <vector>

class QKeyEvent;
struct SharedState;
struct Platform;
class Navigator;

class CriteriaEditorWindow : public QWidget {
    Q_OBJECT
public:
    CriteriaEditorWindow(SharedState &state, Platform &platform, Navigator &navigator, QWidget *parent = nullptr);

    // Loads the grid and places the box on level 1, column 1; the navigator
    // runs it once the window is shown.
    void onShown();

    // Handlers other code (and tests) run.
    void saveAndRefocus(); // "更新記録": save(), then back to the edit box
    void revertToFile(); // "元に戻す": the grid read again from the file
    void leave(); // "戻る", asking about unsaved edits
    void setHistogramsShown(bool shown); // "度数表示" / "度数非表示"
    // A click on the grid: the box moves to that cell unless it is a title.
    void moveToCell(int row, int column);
    // The edit box and the current cell follow each other (the program's
    // names).
    void TextToGrid転送();
    void GridToText転送();

    // Saves the grid; false when nothing was written (a cell the loader
    // would refuse, another PC saved since the grid was loaded, or the file
    // could not be replaced).
    bool save();

    bool changed() const { return Changed == 1; }
    int currentRow() const { return row_; }
    int currentColumn() const { return column_; }
    int selectionEndRow() const { return rowSel_; }
    int lastRow() const { return LastRow; }
    QString cellText(int row, int column) const;
    const CriteriaEditorWidgets &widgets() const { return ui_; }
    const TimeHistograms &histograms() const { return histograms_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void loadGrid();
    void placeEditBox();
    void showSelection();
    void computeHistograms();
    // Arrow keys move the box, Shift+Down fills the column; true when the
    // key is used up.
    bool handleEditBoxKey(QKeyEvent *key);
    void setCell(int row, int column, const QString &text);
    void markCell(int row, int column, const QColor &colour);
    std::vector<CriteriaGridRow> gridRows() const;
    void showWaitPanel(bool on);
    // After a save refused because another PC saved since the grid was
    // loaded: asks whether to load that table, dropping the edits.
    void offerReload(const QString &path);
    void tell(const QString &title, const QString &text);
    QString criteriaPath() const;

    SharedState &state_;
    Platform &platform_;
    Navigator &navigator_;
    CriteriaEditorWidgets ui_;
    TimeHistograms histograms_;

    int Changed = 0; // an edit altered a cell since the last save
    int LastRow = 0; // N: the last grid row loaded (= last level)
    int row_ = 0; // current cell
    int column_ = 0;
    int rowSel_ = 0; // end row of the selection (Shift+Down)
    int shownLevel_ = 0; // level the histogram lists show, to keep their scroll
    bool loadedOk_ = false;
    QByteArray loadedBytes_; // the file as the grid was loaded from it
    bool leaving_ = false;
};
