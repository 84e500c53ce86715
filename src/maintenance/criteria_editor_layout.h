// SPDX-License-Identifier: MIT
// The widgets of the criteria editor, built in one place. Each member is
// named for its role; its objectName is the program's control name, so
// tests and automation find it by that name.
#pragma once

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTableWidget;
class QWidget;

struct CriteriaEditorWidgets {
    QLabel *intro = nullptr; // Label2
    QPushButton *saveButton = nullptr; // Command3 "更新記録"
    QPushButton *revertButton = nullptr; // Command2 "元に戻す"
    QPushButton *backButton = nullptr; // Command4 "戻る"
    QTableWidget *grid = nullptr; // MSFlexGrid1
    QLineEdit *editBox = nullptr; // Gridinputtext, a child of the grid's viewport
    QLabel *columnTitle = nullptr; // Label6 "列の説明"
    QLabel *columnHelp = nullptr; // Label3
    QRadioButton *showHistograms = nullptr; // Option1_0 "度数表示"
    QRadioButton *hideHistograms = nullptr; // Option1_1 "度数非表示"
    QWidget *histogramPanel = nullptr; // Picture5
    QLabel *histogramTitle = nullptr; // Label7
    QLabel *allRunsTitle = nullptr; // Label9 "全成績"
    QListWidget *allRunsList = nullptr; // List3
    QLabel *bestTimesTitle = nullptr; // Label10 "最高タイム"
    QListWidget *bestTimesList = nullptr; // List4
    QWidget *waitPanel = nullptr; // Picture6
    QLabel *waitLabel = nullptr; // Label8
};

// Builds every control on `form` (15360 x 11520 twips). Handlers are
// connected by the window.
CriteriaEditorWidgets buildCriteriaEditor(QWidget *form);

// Row height of the grid, in pixels.
inline constexpr int kGridRowHeight = 22;
