// SPDX-License-Identifier: MIT
// The handler half of the drill window: the set-up steps, the digit strings
// and problems, judging, the run clock, the end of the run. The widgets are
// built in drill_layout.cpp.
//
// Re-entrancy. The judging, the clock tick and the end of the run let
// events run (letEventsRun, the one-second wait before the result screen,
// waits for a busy results file) and sounds block, so a clock tick or a
// key can arrive inside another handler:
//  - RunEnding is 1 from the moment EndRun starts recording; EndRun runs
//    once, and a wrong-recall sound after a tick that ended the run is
//    skipped.
//  - TimeUp and RunComplete end the judging and the next digit string; the
//    recall box takes no Enter once either is set.
//  - activated_ runs the set-up steps once per window, so the run clock is
//    never restarted.
//  - The navigator may close (and delete) the window inside a pump: every
//    handler that pumps holds a QPointer to the window and returns when it
//    is gone.
//  - Before any "message, then end" the run clocks stop (runFatal_), so
//    nothing runs behind the message box.
#include "drill/drill_window.h"
#include "drill/run_control.h"
#include "drill/sound_effects.h"
#include "platform/blank_trim.h"
#include "platform/clock.h"
#include "platform/events.h"
#include "platform/layout.h"
#include "platform/number_text.h"
#include "platform/platform.h"
#include "results/counts.h"
#include "results/result_record.h"
#include "results/results_loader.h"
#include "state/level_table.h"
#include "state/navigator.h"
#include "state/shared_state.h"
#include "state/sign_in.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

namespace {

// Three correct answers in a row lead to the recall.
constexpr int kLampsForRecall = 3;

bool isSubmitKey(const QKeyEvent *key)
{
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter || key->text() == QLatin1String(" ");
}

} // namespace

DrillWindow::DrillWindow(SharedState &state, Platform &platform, Navigator &navigator, QWidget *parent)
    : QWidget(parent)
    , state_(state)
    , runFatal_(*this, platform.fatal)
    , platform_ { platform.clock, runFatal_, platform.sound, platform.launcher, platform.notice }
    , navigator_(navigator)
{
    setObjectName(QStringLiteral("MainFrm"));
    setWindowTitle(state_.ProgramName);
    setFixedSize(twips(kFormWidthTwips), twips(kFormHeightTwips));
    random_.seedFrom(platform_.clock);

    buildStatusStrip();
    buildWorkArea();
    buildOverlay();

    runClock_.setObjectName(QStringLiteral("sTimer1"));
    runClock_.setInterval(1000);
    connect(&runClock_, &QTimer::timeout, this, &DrillWindow::runClockTick);
    minuteClock_.setObjectName(QStringLiteral("sTimer2"));
    minuteClock_.setInterval(10000);
    connect(&minuteClock_, &QTimer::timeout, this, &DrillWindow::minuteClockTick);
    minuteClock_.start();
}

DrillWindow::~DrillWindow() = default;

void DrillWindow::StopRunThenFatal::fatal(const QString &title, const QString &message)
{
    window_.stopRunClocks();
    next_.fatal(title, message);
}

void DrillWindow::stopRunClocks()
{
    runClock_.stop();
    minuteClock_.stop();
}

void DrillWindow::onShown()
{
    if (activated_)
        return;
    activated_ = true;
    初期設定();
    レベル別設定();
    スタート();
    問題作成表示();
}

void DrillWindow::初期設定()
{
    navigator_.closeHub();
    state_.RunComplete = 0;
    state_.RunEnding = 0;
    state_.RecallVerdict = 0;

    const int level = state_.CurrentLevel;
    if (state_.LevelTimed[size_t(level)] != 0) {
        state_.TimeLimit = 5 * state_.PassLineTime[size_t(level)];
        timeBox_->setText(QStringLiteral("0"));
        // A limit of 0 (an empty criteria row) would divide by zero; the bar
        // then stays empty and the first tick ends the run as time-up.
        state_.TimeBarScale = state_.TimeLimit > 0 ? double(timeBarFrameTwips_) / state_.TimeLimit : 0.0;
        setElapsedBar(0);
        const QRect frame = timeFrame_->geometry();
        targetBar_->setGeometry(frame.x(), frame.y(),
            twips(timeBarTwips(state_.TargetTime[size_t(level)], state_.TimeBarScale)), frame.height());
        passLineBar_->setGeometry(frame.x(), frame.y(),
            twips(timeBarTwips(state_.PassLineTime[size_t(level)], state_.TimeBarScale)), frame.height());
    }

    programName_->setText(state_.ProgramName);
    programName_->setFont(layoutFont(kGothicProportional, state_.ProgramName.size() > 9 ? 14 : 16.8, true));
    pupilName_->setText(trimBlanks(state_.PupilName));
    levelName_->setText(state_.LevelName[size_t(level)]);

    state_.TodayRunTotal = todaysRunTotal(state_, state_.PupilNumber);

    minutesBox_->setText(
        QString::number(minutesSinceSignIn(platform_.clock.secondsSinceMidnight(), state_.SignInTime)));

    if (isPracticeLevelName(state_.LevelName[size_t(level)])) {
        todayRunBox_->setText(QStringLiteral("－"));
        levelRunBox_->setText(QStringLiteral("－"));
    } else {
        todayRunBox_->setText(QString::number(state_.TodayRunTotal + 1));
        levelRunBox_->setText(numtext::formatSingle(state_.TodayRunCount(level, state_.PupilNumber) + 1));
    }
}

void DrillWindow::レベル別設定()
{
    state_.ProblemsPerRun = 10;
    remainingBox_->setText(QStringLiteral("10"));
}

void DrillWindow::スタート()
{
    state_.RunStartTime = runStartTimeOf(platform_.clock.secondsSinceMidnight());
    runStartTick_ = platform_.clock.tickMs();
    runClock_.start();
}

void DrillWindow::問題作成表示()
{
    if (state_.TimeUp == 1 || state_.RunComplete == 1)
        return;
    digits_ = drawDigitString(state_.CurrentLevel, random_);
    setLamps(0);
    recallBox_->clear();
    answerBox_->clear();
    StreakCount_ = 0;
    digitDisplay_->setText(digits_.DigitString);
    showOnly(memorisePanel_);
    memorisedButton_->setFocus();
}

void DrillWindow::計算出題()
{
    problem_ = drawCalculation(random_);
    problemDisplay_->setText(problem_.ProblemText);
    answerBox_->clear();
}

void DrillWindow::startCalculation()
{
    showOnly(calculationPanel_);
    計算出題();
    answerBox_->setFocus();
}

void DrillWindow::judgeAnswer()
{
    setLamps(0);
    if (numtext::leadingNumber(answerBox_->text()) == problem_.ProblemAnswer) {
        ++StreakCount_;
        setLamps(StreakCount_);
        if (StreakCount_ >= kLampsForRecall) {
            recallBox_->setEnabled(true);
            showOnly(recallPanel_);
            recallBox_->setFocus();
        } else {
            計算出題();
        }
        return;
    }
    StreakCount_ = 0;
    if (!PlayWrongSound(state_, platform_, random_))
        return;
    answerBox_->clear();
}

void DrillWindow::judgeRecall()
{
    if (recallBox_->text() == digits_.DigitString) {
        state_.RecallVerdict = 1;
    } else {
        recallBox_->setEnabled(false);
        correctionBox_->setText(digits_.DigitString);
        correctionBox_->show();
        state_.RecallVerdict = 2;
    }
    判定後処理();
}

void DrillWindow::判定後処理()
{
    if (state_.TimeUp == 1 || state_.RunComplete == 1)
        return;
    if (state_.RecallVerdict == 1) {
        state_.RecallVerdict = 0;
        if (!PlayCorrectSound(state_, platform_, random_))
            return;
        ++state_.ProblemsDone;
        remainingBox_->setText(QString::number(state_.ProblemsPerRun - state_.ProblemsDone));
        if (state_.ProblemsDone < state_.ProblemsPerRun) {
            問題作成表示();
        } else {
            overlay_->show();
            overlay_->raise();
            runClock_.stop();
            state_.RunComplete = 1;
            EndRun();
        }
        return;
    }
    QPointer<DrillWindow> self(this);
    letEventsRun();
    // A clock tick let in above may have ended the run by time-up; the wrong
    // sound and "確認" then belong to a run that is over.
    if (!self || state_.RunEnding == 1)
        return;
    if (!PlayWrongSound(state_, platform_, random_))
        return;
    confirmButton_->show();
    confirmButton_->setFocus();
}

void DrillWindow::acknowledgeCorrection()
{
    confirmButton_->hide();
    correctionBox_->hide();
    memorisePanel_->hide();
    calculationPanel_->hide();
    recallPanel_->hide();
    correctionBox_->clear();
    問題作成表示();
}

void DrillWindow::runClockTick()
{
    const int level = state_.CurrentLevel;
    state_.ElapsedSeconds = elapsedSecondsBetween(runStartTick_, platform_.clock.tickMs());
    const int elapsed = state_.ElapsedSeconds;

    hideCountdownCells(2, countdownCellsHidden(state_.TargetTime[size_t(level)], elapsed));
    if (const int cell = passLineCellHidden(state_.PassLineTime[size_t(level)], elapsed))
        cells_[2][size_t(cell - 1)]->hide();
    // Nothing gives the Best and YourBest rows a mark yet: 0 keeps them whole.
    hideCountdownCells(0, countdownCellsHidden(0, elapsed));
    hideCountdownCells(1, countdownCellsHidden(0, elapsed));

    const bool timed = state_.LevelTimed[size_t(level)] != 0;
    if (timed) {
        timeBox_->setText(QString::number(elapsed));
        if (elapsed < state_.TimeLimit)
            setElapsedBar(timeBarTwips(elapsed, state_.TimeBarScale));
    }
    QPointer<DrillWindow> self(this);
    letEventsRun();
    if (!self)
        return;
    if (elapsed < state_.TimeLimit) {
        setElapsedBar(timeBarTwips(elapsed, state_.TimeBarScale));
        return;
    }
    setElapsedBar(timeBarFrameTwips_);
    if (state_.RunEnding == 0 && state_.RunComplete == 0) {
        state_.TimeUp = 1;
        runClock_.stop();
        EndRun();
    }
    letEventsRun();
}

void DrillWindow::minuteClockTick()
{
    minutesBox_->setText(
        QString::number(minutesSinceSignIn(platform_.clock.secondsSinceMidnight(), state_.SignInTime)));
}

void DrillWindow::EndRun()
{
    QPointer<DrillWindow> self(this);
    letEventsRun();
    if (!self || state_.RunEnding == 1)
        return;
    state_.RunEnding = 1;
    recordingCaption_->setVisible(state_.TimeUp != 1);
    timeUpCaption_->setVisible(state_.TimeUp == 1);
    overlay_->show();
    overlay_->raise();
    letEventsRun();
    if (!self)
        return;

    const int level = state_.CurrentLevel;
    if (isPracticeLevelName(state_.LevelName[size_t(level)])) {
        runClock_.stop();
        navigator_.showWait();
        navigator_.closeDrill();
        navigator_.showHub();
        // No result screen follows to close the wait window: it goes with
        // the drill window.
        navigator_.closeWait();
        letEventsRun();
        return;
    }
    if (state_.LevelTimed[size_t(level)] != 1)
        return;
    runClock_.stop();
    state_.RecordedTime = state_.TimeUp == 1 ? kTimeUpSeconds : state_.ElapsedSeconds;
    if (!Seisekikiroku(state_, platform_, level))
        return;
    navigator_.showWait();
    letEventsRun();
    if (!self)
        return;
    WaitThenShowResult(1);
}

void DrillWindow::WaitThenShowResult(double seconds)
{
    qint64 reference = platform_.clock.tickMs();
    qint64 steps = 0;
    QPointer<DrillWindow> self(this);
    for (;;) {
        letEventsRun();
        if (!self)
            return;
        const qint64 now = platform_.clock.tickMs();
        if (now - reference > 10) {
            ++steps;
            reference += 10;
        }
        if (double(steps) * 10 / 1000 >= seconds)
            break;
        // Sleep a little between passes instead of spinning the processor;
        // the window stays responsive meanwhile.
        platform_.clock.waitResponsive(10);
    }
    navigator_.closeDrill();
    navigator_.showResult();
}

void DrillWindow::showOnly(QWidget *panel)
{
    // Show first, then hide: a focused control on a panel being hidden hands
    // its focus on without the window ever losing it.
    panel->show();
    for (QWidget *p : { memorisePanel_, calculationPanel_, recallPanel_ })
        if (p != panel)
            p->hide();
}

int DrillWindow::cellsShown(int row) const
{
    int shown = 0;
    for (QWidget *cell : cells_[size_t(row)])
        shown += cell->isHidden() ? 0 : 1;
    return shown;
}

void DrillWindow::hideCountdownCells(int row, int count)
{
    for (int i = 0; i < count && i < 10; ++i)
        cells_[size_t(row)][size_t(i)]->hide();
}

void DrillWindow::setElapsedBar(int twipsLength)
{
    const QRect frame = timeFrame_->geometry();
    elapsedBar_->setGeometry(frame.x(), frame.y(), twips(twipsLength), frame.height());
}

QWidget *DrillWindow::focusKeeper() const
{
    if (!overlay_->isHidden())
        return nullptr;
    if (!memorisePanel_->isHidden())
        return memorisedButton_;
    if (!calculationPanel_->isHidden())
        return answerBox_;
    if (!recallPanel_->isHidden()) {
        if (!confirmButton_->isHidden())
            return confirmButton_;
        if (recallBox_->isEnabled())
            return recallBox_;
    }
    return nullptr;
}

void DrillWindow::restoreFocus()
{
    QWidget *keeper = focusKeeper();
    if (keeper && focusWidget() != keeper)
        keeper->setFocus();
}

bool DrillWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::FocusOut) {
        QMetaObject::invokeMethod(this, &DrillWindow::restoreFocus, Qt::QueuedConnection);
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    auto *key = static_cast<QKeyEvent *>(event);
    if (watched == answerBox_) {
        if (!isSubmitKey(key))
            return false;
        judgeAnswer();
        return true;
    }
    if (watched == recallBox_) {
        if (state_.TimeUp == 1 || state_.RunComplete == 1 || !isSubmitKey(key))
            return false;
        judgeRecall();
        return true;
    }
    // A focused button reacts to Enter as well as to space.
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && !key->isAutoRepeat()) {
        if (auto *button = qobject_cast<QPushButton *>(watched)) {
            button->click();
            return true;
        }
    }
    return false;
}

void DrillWindow::closeEvent(QCloseEvent *event)
{
    // A run the pupil abandons by closing the window is not recorded; the
    // clock stops and the pupil is back at the hub rather than left with no
    // window at all.
    stopRunClocks();
    QWidget::closeEvent(event);
    if (event->spontaneous())
        closedByPupil();
}

void DrillWindow::closedByPupil()
{
    stopRunClocks();
    if (state_.RunEnding != 0)
        return;
    navigator_.showHub();
    navigator_.closeDrill();
    // The wait window left behind the window by "もう一度" goes with it.
    navigator_.closeWait();
}
