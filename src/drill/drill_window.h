// SPDX-License-Identifier: MIT
// The drill window: one run at CurrentLevel. A status strip with the run's
// numbers, time bar and countdown cells; a work area where the memorise,
// calculation and recall panels take turns; the overlay that covers
// everything once the run ends. Its object name stays the program's
// "MainFrm", as its controls keep theirs (docs/DESIGN-NOTES.md has the
// table).
#pragma once

#include "drill/problem_generator.h"
#include "platform/fatal_error.h"
#include "platform/platform.h"
#include "platform/random.h"

#include <QTimer>
#include <QWidget>
#include <array>

class QLabel;
class QLineEdit;
class QPushButton;
class QFrame;
struct SharedState;
class Navigator;

class DrillWindow : public QWidget {
    Q_OBJECT
public:
    // The window is 15360 x 11520 twips (1024 x 768 pixels).
    static constexpr int kFormWidthTwips = 15360;
    static constexpr int kFormHeightTwips = 11520;

    DrillWindow(SharedState &state, Platform &platform, Navigator &navigator, QWidget *parent = nullptr);
    ~DrillWindow() override;

    // The steps that run when the window is first shown: 初期設定,
    // レベル別設定, スタート, 問題作成表示. The navigator calls this once
    // after showing the window; later calls do nothing, so a run's clock is
    // never restarted.
    void onShown();

    // Procedures of the drill, by the program's names.
    void 初期設定();
    void レベル別設定();
    void スタート();
    void 問題作成表示();
    void 計算出題();
    void 判定後処理();
    void EndRun();
    void WaitThenShowResult(double seconds);

    // "覚えた": the digits are memorised, the calculations begin.
    void startCalculation();
    // "確認" after a wrong recall: the pupil has seen the right digits, the
    // next digit string follows.
    void acknowledgeCorrection();
    // Enter (or space) in the answer box and in the recall box.
    void judgeAnswer();
    void judgeRecall();
    // The run clock ticks every second from スタート to the end of the run;
    // the minute clock renews "起動後 … 分" every ten seconds.
    void runClockTick();
    void minuteClockTick();
    // The pupil closed the window (title-bar button): the run is abandoned.
    void closedByPupil();

    // The current digit string and problem.
    const QString &DigitString() const { return digits_.DigitString; }
    const Calculation &problem() const { return problem_; }
    int StreakCount() const { return StreakCount_; }
    bool lampLit(int lamp) const;
    // How many cells of a countdown row (0 Best, 1 YourBest, 2 Pass) are shown.
    int cellsShown(int row) const;
    // Object names "sTimer1" and "sTimer2".
    QTimer &runClock() { return runClock_; }
    QTimer &minuteClock() { return minuteClock_; }
    // The control that must keep the keyboard focus now, if any.
    QWidget *focusKeeper() const;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void buildStatusStrip();
    void buildWorkArea();
    void buildOverlay();
    void showOnly(QWidget *panel);
    void setLamps(int lit);
    void setElapsedBar(int twipsLength);
    void hideCountdownCells(int row, int count);
    void restoreFocus();

    // Stops the run's clocks before the program's "message, then end": the
    // message box lets events run while it waits for OK, and a run clock
    // ticking behind it would record a time-up the pupil never had.
    class StopRunThenFatal final : public FatalErrors {
    public:
        StopRunThenFatal(DrillWindow &window, FatalErrors &next)
            : window_(window)
            , next_(next)
        {
        }
        void fatal(const QString &title, const QString &message) override;

    private:
        DrillWindow &window_;
        FatalErrors &next_;
    };
    void stopRunClocks();

    SharedState &state_;
    StopRunThenFatal runFatal_;
    // The platform with runFatal_ in place of the program's fatal errors.
    Platform platform_;
    Navigator &navigator_;
    RandomSource random_;

    DigitDraw digits_;
    Calculation problem_;
    int StreakCount_ = 0;
    bool activated_ = false;
    qint64 runStartTick_ = 0;
    int timeBarFrameTwips_ = 15015;

    QTimer runClock_;
    QTimer minuteClock_;

    // Status strip.
    QWidget *strip_ = nullptr;
    QLabel *programName_ = nullptr;
    QLabel *pupilName_ = nullptr;
    QLabel *levelName_ = nullptr;
    QLabel *minutesBox_ = nullptr;
    QLabel *todayRunBox_ = nullptr;
    QLabel *levelRunBox_ = nullptr;
    QLabel *remainingBox_ = nullptr;
    QLabel *timeBox_ = nullptr;
    QWidget *timeFrame_ = nullptr;
    QWidget *passLineBar_ = nullptr;
    QWidget *targetBar_ = nullptr;
    QWidget *elapsedBar_ = nullptr;
    std::array<std::array<QWidget *, 10>, 3> cells_ {};

    // Work area.
    QWidget *workArea_ = nullptr;
    QWidget *memorisePanel_ = nullptr;
    QWidget *calculationPanel_ = nullptr;
    QWidget *recallPanel_ = nullptr;
    QLabel *digitDisplay_ = nullptr;
    QLabel *problemDisplay_ = nullptr;
    QPushButton *memorisedButton_ = nullptr; // Command4 "覚えた"
    QPushButton *confirmButton_ = nullptr; // Commandkakunin "確認"
    QLineEdit *answerBox_ = nullptr; // Text1, the calculation's answer
    QLineEdit *recallBox_ = nullptr; // Text2, the digits recalled
    QLabel *correctionBox_ = nullptr;
    std::array<QWidget *, 3> lamps_ {};

    // End-of-run overlay.
    QWidget *overlay_ = nullptr;
    QLabel *recordingCaption_ = nullptr;
    QLabel *timeUpCaption_ = nullptr;
};
