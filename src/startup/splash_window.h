// SPDX-License-Identifier: MIT
// The splash window (Firstfrm): title picture and today's date while the
// start-up loading runs; then it hands over to name selection.
#pragma once

#include <QTimer>
#include <QWidget>

class QLabel;
struct SharedState;
struct Platform;
class Navigator;

class SplashWindow : public QWidget {
    Q_OBJECT
public:
    SplashWindow(SharedState &state, Platform &platform, Navigator &navigator, QString executableFolder,
        QWidget *parent = nullptr);

    // Shows the window and runs the load steps up to switching the timer on.
    void start();

    QLabel *dateLabel() const { return dateLabel_; }
    QTimer *timer() { return &timer_; }
    // Result of FinishStartUp once the timer has ticked.
    bool startedUp() const { return startedUp_; }

private:
    void timerTick();

    SharedState &state_;
    Platform &platform_;
    Navigator &navigator_;
    QString executableFolder_;
    QLabel *picture_ = nullptr;
    QLabel *dateLabel_ = nullptr;
    QLabel *waitLabel_ = nullptr;
    QTimer timer_;
    bool startedUp_ = false;
};
