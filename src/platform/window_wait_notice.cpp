// SPDX-License-Identifier: MIT
#include "platform/window_wait_notice.h"
#include "platform/layout.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>

WindowWaitNotice::WindowWaitNotice() = default;
WindowWaitNotice::~WindowWaitNotice() = default;

void WindowWaitNotice::show(const QString &text)
{
    if (!window_) {
        window_ = std::make_unique<QLabel>();
        window_->setObjectName(QStringLiteral("WaitNotice"));
        window_->setWindowTitle(QStringLiteral("お知らせ"));
        window_->setWindowFlags(Qt::Window | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
        // Hiding the notice must never count as closing the last window.
        window_->setAttribute(Qt::WA_QuitOnClose, false);
        window_->setFont(layoutFont(kGothicProportional, 16, true));
        window_->setAlignment(Qt::AlignCenter);
        window_->setWordWrap(true);
        window_->setMargin(24);
        setColours(window_.get(), QColor(255, 255, 192), QColor(192, 0, 0));
        window_->setFixedWidth(twips(9000));
    }
    window_->setText(text);
    window_->setAccessibleName(text);
    window_->adjustSize();
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        window_->move(screen->geometry().center() - window_->rect().center());
    window_->show();
    window_->raise();
}

void WindowWaitNotice::clear()
{
    if (window_)
        window_->hide();
}
