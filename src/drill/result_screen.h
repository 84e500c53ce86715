// SPDX-License-Identifier: MIT
// The end-of-drill result screen (FrmSyuuryou): the run's time and points,
// a record or time-up message with its sound, a cleared level or reached
// goal, and the way on: back to the hub or another run.
#pragma once

#include "platform/random.h"

#include <QTimer>
#include <QWidget>

class QLabel;
class QPushButton;
struct SharedState;
struct Platform;
class Navigator;

class FrmSyuuryou : public QWidget {
    Q_OBJECT
public:
    FrmSyuuryou(SharedState &state, Platform &platform, Navigator &navigator, QWidget *parent = nullptr);

    // The steps that run when the screen first becomes the active window;
    // the navigator calls this once after showing it.
    void Form_Activate();
    // The one tick of the 500 ms timer that reveals the buttons.
    void Timer1_Timer();
    void MenuButton_Click();
    void AgainButton_Click();

    QTimer &Timer1() { return timer_; }
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
    QTimer timer_;
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
