// SPDX-License-Identifier: MIT
// The name-selection screen (namesel): the pupils of the roster with two
// statistics columns each, narrowed by grade; a pupil signs in here, and
// the suite's menu program is started from here.
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
    bool Form_Load();
    // Run when the window has become active through this program: shown
    // by the navigator, or back from the version dialog.
    void Form_Activate();
    // Rebuilds the whole list: counts, roster, lines, filter. False when
    // the program is ending after a reported failure.
    bool 名簿表示();
    void ConfirmName();
    void ReturnToMenu();

    int DisplayMode() const { return displayMode_; }
    int RetryCount() const { return retryCount_; }
    double StageMarker() const { return stageMarker_; }
    // The hidden lists, for the screen's own checks.
    const NameList &List2() const { return list2_; }
    const QStringList &List3() const { return list3_; }

    // The menu program the suite starts this program from.
    static QString menuProgramPath(const QString &installFolder);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildControls();
    void Option1_Click(int index);
    void Combo1_Click();
    void List1_Click();
    void List1_DblClick();
    void Label4_Click();
    // True when the key was one of the form's own keys.
    void Form_KeyPress(const QString &key);
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
    NameList list2_;
    QStringList list3_;

    QWidget *picture4_ = nullptr;
    QLabel *label4_ = nullptr;
    QPushButton *command7_ = nullptr;
    QLabel *label1_ = nullptr;
    QLabel *label2_ = nullptr;
    QPushButton *command14_ = nullptr;
    QWidget *picture7_ = nullptr;
    QButtonGroup *option1_ = nullptr;
    QRadioButton *option1Buttons_[kDisplayModes] = {};
    QComboBox *combo1_ = nullptr;
    QListWidget *list1_ = nullptr;
    QLabel *soundNotice_ = nullptr;
    QWidget *picture5_ = nullptr;
};
