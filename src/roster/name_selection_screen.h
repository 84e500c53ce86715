// SPDX-License-Identifier: MIT
// The name-selection screen: the pupils of the roster with two statistics
// columns each, narrowed by grade; a pupil signs in here, and the suite's
// menu program is started from here. Its object name stays the program's
// "namesel".
#pragma once

#include "platform/random.h"
#include "roster/name_list.h"

#include <QStringList>
#include <QWidget>

class QButtonGroup;
class QComboBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
struct SharedState;
struct Platform;
class Navigator;
struct RosterFailure;

class NameSelectionScreen : public QWidget {
    Q_OBJECT
public:
    NameSelectionScreen(SharedState &state, Platform &platform, Navigator &navigator, QWidget *parent = nullptr);

    // Shows the window and builds the list. False when the program is
    // ending after a reported failure.
    bool open();
    // Run when the window has become active through this program: shown
    // by the navigator, or back from the version dialog.
    void onShown();
    // Rebuilds the whole list: counts, roster, lines, filter. False when
    // the program is ending after a reported failure.
    bool 名簿表示();
    // "O.K.", "1", Enter or space on a name: the chosen pupil signs in.
    void ConfirmName();
    // "ﾌﾟﾟﾛｸﾞﾗﾑメニューへ(0)" or "0".
    void ReturnToMenu();

    int DisplayMode() const { return displayMode_; }
    int RetryCount() const { return retryCount_; }
    double StageMarker() const { return stageMarker_; }
    // The hidden lists, for the screen's own checks: every listed pupil's
    // line, and the numbered line of each shown line after line 0.
    const NameList &pupilLines() const { return pupilLines_; }
    const QStringList &shownLines() const { return shownLines_; }

    // The menu program the suite starts this program from.
    static QString menuProgramPath(const QString &installFolder);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    // One of the four statistics options: the list built again for it.
    void chooseDisplayMode(int mode);
    // A grade chosen in the filter: the list built again for it.
    void applyGradeFilter();
    // The line under the cursor shown large above the list, with its number.
    void showSelectedName();
    // A double-click on a line: shown as confirmed, then signed in.
    void confirmClickedName();
    // A click on the program's title: the version window.
    void showVersion();
    // The screen's own keys, "1" (sign in) and "0" (back to the menu),
    // wherever the focus is.
    void handleKey(const QString &key);
    bool rebuildList();
    bool retryAfter(const RosterFailure &failure);
    void playWrongSound();
    void fillGradeFilter();

    SharedState &state_;
    Platform &platform_;
    Navigator &navigator_;
    RandomSource random_;

    int displayMode_ = 0;
    int retryCount_ = 0;
    double stageMarker_ = 0;
    bool signingIn_ = false;
    bool rebuilding_ = false;
    bool rebuildAgain_ = false;
    NameList pupilLines_;
    QStringList shownLines_;

    // The program's control names are the object names (in brackets).
    QWidget *titleBar_ = nullptr; // Picture4
    QLabel *programTitle_ = nullptr; // Label4
    QPushButton *menuButton_ = nullptr; // Command7 "ﾌﾟﾟﾛｸﾞﾗﾑメニューへ(0)"
    QLabel *chosenName_ = nullptr; // Label1
    QLabel *chosenNumber_ = nullptr; // Label2, hidden
    QPushButton *okButton_ = nullptr; // Command14 "O.K."
    QWidget *modeBar_ = nullptr; // Picture7
    QButtonGroup *displayModeGroup_ = nullptr;
    QRadioButton *displayModeButtons_[kDisplayModes] = {}; // Option1_0..3
    QComboBox *gradeFilter_ = nullptr; // Combo1
    QListWidget *nameList_ = nullptr; // List1
    QLabel *soundNotice_ = nullptr; // SoundNotice
    QWidget *waitCover_ = nullptr; // Picture5
};
