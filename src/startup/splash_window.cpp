// SPDX-License-Identifier: MIT
#include "startup/splash_window.h"
#include "platform/clock.h"
#include "platform/events.h"
#include "platform/layout.h"
#include "platform/platform.h"
#include "setup/screen_scaling.h"
#include "startup/japanese_calendar.h"
#include "startup/startup_loader.h"
#include "state/shared_state.h"

#include <QLabel>

SplashWindow::SplashWindow(
    SharedState &state, Platform &platform, Navigator &navigator, QString executableFolder, QWidget *parent)
    : QWidget(parent)
    , state_(state)
    , platform_(platform)
    , navigator_(navigator)
    , executableFolder_(std::move(executableFolder))
{
    setObjectName(QStringLiteral("Firstfrm"));
    setWindowTitle(QStringLiteral("ルカミナ"));
    setFixedSize(twips(12300), twips(9900));
    setColours(this, QColor(0, 64, 64));

    // The title picture: the program's name on a white ground.
    picture_ = new QLabel(this);
    picture_->setObjectName(QStringLiteral("Picture1"));
    picture_->setAccessibleName(QStringLiteral("タイトル"));
    placeTwips(picture_, 450, 720, 8595, 6945);
    setColours(picture_, Qt::white, QColor(0, 128, 128));
    picture_->setAlignment(Qt::AlignCenter);
    picture_->setFont(layoutFont(kGothicFixed, 72, true));
    picture_->setText(QStringLiteral("ルカミナ"));

    dateLabel_ = new QLabel(this);
    dateLabel_->setObjectName(QStringLiteral("Label1"));
    dateLabel_->setAccessibleDescription(QStringLiteral("今日の日付"));
    placeTwips(dateLabel_, 450, 7680, 8595, 465);
    dateLabel_->setFrameStyle(QFrame::Box | QFrame::Plain);
    dateLabel_->setAlignment(Qt::AlignCenter);
    dateLabel_->setFont(layoutFont(kGothicProportional, 20.25));
    setColours(dateLabel_, QColor(0, 64, 64), QColor(255, 128, 0));

    waitLabel_ = new QLabel(QStringLiteral("Just a moment, please."), this);
    waitLabel_->setObjectName(QStringLiteral("Label2"));
    placeTwips(waitLabel_, 3360, 8820, 8535, 855);
    waitLabel_->setFont(layoutFont(kGothicProportional, 36));
    setColours(waitLabel_, QColor(0, 64, 64), QColor(0, 255, 255));

    timer_.setInterval(100);
    timer_.setSingleShot(false);
    connect(&timer_, &QTimer::timeout, this, &SplashWindow::timerTick);
}

void SplashWindow::start()
{
    screenscaling::placeOnScreen(this);
    show();
    letEventsRun();
    const QDate today = platform_.clock.today();
    state_.SeasonColour = seasonColourForMonth(today.month());
    dateLabel_->setText(japaneseDateLine(today));
    show();
    letEventsRun();
    timer_.start();
}

void SplashWindow::timerTick()
{
    timer_.stop();
    startedUp_ = FinishStartUp(state_, platform_, navigator_, executableFolder_);
    close();
}
