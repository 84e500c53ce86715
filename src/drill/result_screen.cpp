// SPDX-License-Identifier: MIT
#include "drill/result_screen.h"
#include "drill/run_control.h"
#include "drill/sound_effects.h"
#include "platform/blank_trim.h"
#include "platform/events.h"
#include "platform/layout.h"
#include "platform/platform.h"
#include "results/counts.h"
#include "results/points.h"
#include "results/result_lines.h"
#include "state/navigator.h"
#include "state/shared_state.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

namespace {
const QColor kPaleGreen(192, 255, 192);
}

ResultScreen::ResultScreen(SharedState &state, Platform &platform, Navigator &navigator, QWidget *parent)
    : QWidget(parent)
    , state_(state)
    , platform_(platform)
    , navigator_(navigator)
{
    setObjectName(QStringLiteral("FrmSyuuryou"));
    setWindowTitle(QStringLiteral("終了"));
    setFixedSize(twips(15360), twips(11520));
    // The background picture is free; a plain sky colour stands in for it.
    setColours(this, QColor(160, 208, 255));
    random_.seedFrom(platform_.clock);

    program_ = field(QStringLiteral("ProgramLabel"), QStringLiteral("プログラム名"), 1845, 405, 11490, 960,
        QColor(255, 224, 192), 48);
    todayTotal_ = field(QStringLiteral("TodayTotalLabel"), QStringLiteral("今日の何回目"), 10215, 1395, 3135, 375,
        QColor(), 14.25, true);
    level_ = field(
        QStringLiteral("LevelLabel"), QStringLiteral("レベル"), 1845, 1755, 11490, 960, QColor(255, 255, 192), 36);
    levelRun_ = field(QStringLiteral("LevelRunLabel"), QStringLiteral("このレベルの何回目"), 10260, 2745, 3105, 405,
        QColor(), 14.25, true);
    pupil_ = field(QStringLiteral("PupilLabel"), QStringLiteral("名前"), 1845, 3255, 11490, 960, kPaleGreen, 48);
    time_ = field(QStringLiteral("TimeLabel"), QStringLiteral("今の成績"), 1845, 4440, 11490, 825, kPaleGreen, 36);
    points_
        = field(QStringLiteral("PointsLabel"), QStringLiteral("獲得ポイント"), 1845, 5280, 11490, 825, kPaleGreen, 36);
    message_
        = field(QStringLiteral("MessageLabel"), QStringLiteral("お知らせ"), 1845, 6390, 11490, 735, kPaleGreen, 27.75);
    message_->hide();
    levelCleared_ = field(QStringLiteral("LevelClearedLabel"), QStringLiteral("レベルの合格"), 180, 7710, 15075, 555,
        QColor(0, 192, 0), 24);
    levelCleared_->setText(QStringLiteral("このレベルクリア"));
    levelCleared_->hide();

    goalBanner_ = new QWidget(this);
    goalBanner_->setObjectName(QStringLiteral("GoalBanner"));
    goalBanner_->setAccessibleName(QStringLiteral("目標レベルクリア"));
    placeTwips(goalBanner_, 180, 8145, 15105, 1785);
    setColours(goalBanner_, QColor(0, 128, 0));
    goalLabel_ = new QLabel(QStringLiteral("目標レベルクリア。おめでとう！"), goalBanner_);
    goalLabel_->setObjectName(QStringLiteral("GoalLabel"));
    placeTwips(goalLabel_, 3330, 390, 8415, 615);
    goalLabel_->setAlignment(Qt::AlignCenter);
    goalLabel_->setFont(layoutFont(kGothicProportional, 27.75));
    goalLabel_->setFrameStyle(QFrame::Box | QFrame::Plain);
    setColours(goalLabel_, QColor(128, 255, 128), Qt::black);
    goalBanner_->hide();

    menuButton_ = new QPushButton(QStringLiteral("メニューへ"), this);
    menuButton_->setObjectName(QStringLiteral("MenuButton"));
    placeTwips(menuButton_, 1890, 8325, 5235, 1005);
    againButton_ = new QPushButton(QStringLiteral("もう一度"), this);
    againButton_->setObjectName(QStringLiteral("AgainButton"));
    placeTwips(againButton_, 8055, 8325, 5235, 1005);
    for (QPushButton *button : { menuButton_, againButton_ }) {
        button->setFont(layoutFont(kGothicProportional, 27.75));
        button->installEventFilter(this);
        button->hide();
    }
    connect(menuButton_, &QPushButton::clicked, this, &ResultScreen::backToHub);
    connect(againButton_, &QPushButton::clicked, this, &ResultScreen::runAgain);

    buttonsDelay_.setObjectName(QStringLiteral("Timer1"));
    buttonsDelay_.setInterval(500);
    connect(&buttonsDelay_, &QTimer::timeout, this, &ResultScreen::showButtons);
}

QLabel *ResultScreen::field(const QString &name, const QString &purpose, int left, int top, int width, int height,
    const QColor &background, double points, bool bold)
{
    // A screen reader reads the line shown; the description says which.
    auto *label = new QLabel(this);
    label->setObjectName(name);
    label->setAccessibleDescription(purpose);
    placeTwips(label, left, top, width, height);
    label->setAlignment(Qt::AlignCenter);
    label->setFont(layoutFont(kGothicProportional, points, bold));
    if (background.isValid()) {
        label->setFrameStyle(QFrame::Box | QFrame::Plain);
        setColours(label, background, Qt::black);
    }
    return label;
}

void ResultScreen::onShown()
{
    if (activated_)
        return;
    activated_ = true;
    const int level = state_.CurrentLevel;
    const int pupil = state_.PupilNumber;
    const std::int32_t recorded = state_.RecordedTime;

    levelRun_->setText(resultLevelRunLine(state_.TodayRunCount(level, pupil) + 1));
    if (!回数求(state_, platform_))
        return;

    const bool passed = LevelPassed(state_, level, pupil);
    if (passed) {
        levelCleared_->show();
        if (level == state_.GoalLevel && goalBannerAllowed(state_))
            goalBanner_->show();
    }
    QPointer<ResultScreen> self(this);
    letEventsRun();
    if (!self)
        return;
    buttonsDelay_.start();

    basePoints_ = resultBasePoints(recorded, state_.TargetTime[size_t(level)]);
    earnedPoints_ = resultEarnedPoints(basePoints_, state_.PointMultiplier[size_t(level)]);
    points_->setText(resultPointsLine(basePoints_, state_.PointMultiplier[size_t(level)], earnedPoints_));
    time_->setText(resultTimeLine(recorded));
    pupil_->setText(trimBlanks(state_.PupilName));
    program_->setText(state_.ProgramName);
    level_->setText(state_.LevelName[size_t(level)]);
    levelRun_->setText(resultLevelRunLine(state_.TodayRunCount(level, pupil)));
    state_.TodayRunTotal = todaysRunTotal(state_, pupil);
    todayTotal_->setText(resultTodayTotalLine(state_.TodayRunTotal));
    letEventsRun();
    if (!self)
        return;

    const ResultMessage message = resultMessage(state_, recorded, state_.PassLineTime[size_t(level)]);
    const QString text = resultMessageText(message);
    if (!text.isEmpty()) {
        message_->setText(text);
        message_->show();
    }
    if (message == ResultMessage::OwnRecord || message == ResultMessage::TopRecord) {
        letEventsRun();
        if (!self)
            return;
        if (message == ResultMessage::OwnRecord)
            PlayOwnRecordSound(state_, platform_, random_);
        else
            PlayTopRecordSound(state_, platform_);
        letEventsRun();
        if (!self)
            return;
    } else if (message == ResultMessage::NoRecordSound) {
        PlayNoRecordSound(state_, platform_, random_);
    }

    if (passed && level == state_.GoalLevel) {
        if (state_.LevelClearedBefore == 0)
            PlayGoalSound(state_, platform_);
    } else {
        goalBanner_->hide();
    }

    state_.NewOwnRecord = 0;
    state_.NewTopRecord = 0;
    letEventsRun();
    if (!self)
        return;
    navigator_.closeWait();
}

void ResultScreen::showButtons()
{
    goalBanner_->hide();
    menuButton_->show();
    QPointer<ResultScreen> self(this);
    letEventsRun();
    if (!self)
        return;
    menuButton_->setFocus();
    buttonsDelay_.stop();

    const int level = state_.CurrentLevel;
    const int pupil = state_.PupilNumber;
    const bool overPractised = LevelOverPractised(state_, level, pupil);
    const bool passed = LevelPassed(state_, level, pupil);
    if (againWithheld(overPractised, passed, level, state_.GoalLevel, state_.GoalCleared)) {
        levelCleared_->setText(QStringLiteral("次のレベルへ進みましょう"));
        return;
    }
    againButton_->show();
    if (overPractised && passed && level == state_.GoalLevel) {
        levelCleared_->clear();
        levelCleared_->hide();
    }
}

void ResultScreen::backToHub()
{
    menuButton_->setEnabled(false);
    navigator_.showHub();
    navigator_.closeResult();
    letEventsRun();
}

void ResultScreen::runAgain()
{
    // The screen is gone once the events have run; keep what StartDrill needs.
    SharedState &state = state_;
    Navigator &navigator = navigator_;
    menuButton_->setEnabled(false);
    navigator.showWait();
    navigator.closeResult();
    letEventsRun();
    StartDrill(state, navigator);
}

bool ResultScreen::eventFilter(QObject *watched, QEvent *event)
{
    // A focused button reacts to Enter as well as to space.
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && !key->isAutoRepeat()) {
            if (auto *button = qobject_cast<QPushButton *>(watched); button && button->isEnabled()) {
                button->click();
                return true;
            }
        }
    }
    return false;
}
