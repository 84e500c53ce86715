// SPDX-License-Identifier: MIT
// The end-of-drill result screen: the run's time and points, a record or
// time-up message with its sound, a cleared level or reached goal, and the
// way on: back to the hub or another run. Its object name stays the
// program's "FrmSyuuryou".
#pragma once

#include "platform/random.h"

#include <QTimer>
#include <QWidget>

class QLabel;
class QPushButton;
struct SharedState;
struct Platform;
class Navigator;

class ResultScreen : public QWidget {
    Q_OBJECT
public:
    ResultScreen(SharedState &state, Platform &platform, Navigator &navigator, QWidget *parent = nullptr);

    // The steps that run when the screen is first shown; the navigator
    // calls this once after showing it.
    void onShown();
    // Half a second after the screen's steps: "メニューへ", and "もう一度"
    // unless the pupil should move on.
    void showButtons();
    void backToHub(); // "メニューへ"
    void runAgain(); // "もう一度"

    // The half second before the buttons (object name "Timer1").
    QTimer &buttonsDelay() { return buttonsDelay_; }
    int BasePoints() const { return basePoints_; }
    int EarnedPoints() const { return earnedPoints_; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLabel *field(const QString &name, const QString &purpose, int left, int top, int width, int height,
        const QColor &background, double points, bool bold = false);

    SharedState &state_;
    Platform &platform_;
    Navigator &navigator_;
    RandomSource random_;
    QTimer buttonsDelay_;
    bool activated_ = false;
    int basePoints_ = 0;
    int earnedPoints_ = 0;

    QLabel *program_ = nullptr;
    QLabel *todayTotal_ = nullptr;
    QLabel *level_ = nullptr;
    QLabel *levelRun_ = nullptr;
    QLabel *pupil_ = nullptr;
    QLabel *time_ = nullptr;
    QLabel *points_ = nullptr;
    QLabel *message_ = nullptr;
    QLabel *levelCleared_ = nullptr;
    QWidget *goalBanner_ = nullptr;
    QLabel *goalLabel_ = nullptr;
    QPushButton *menuButton_ = nullptr;
    QPushButton *againButton_ = nullptr;
};
