// SPDX-License-Identifier: MIT
#include "startup/wait_window.h"
#include "platform/events.h"
#include "platform/layout.h"
#include "setup/screen_scaling.h"

#include <QLabel>

WaitWindow::WaitWindow(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("BASEFRM"));
    setWindowTitle(QStringLiteral("Form1"));
    setFixedSize(twips(15360), twips(11520));
    setColours(this, QColor(0, 0, 128));
    auto *label = new QLabel(QStringLiteral("Just a moment, please."), this);
    label->setObjectName(QStringLiteral("Label1"));
    placeTwips(label, 4050, 5460, 7005, 690);
    label->setFont(layoutFont(kGothicProportional, 26.25));
    setColours(label, QColor(0, 0, 128), Qt::white);
}

void WaitWindow::open()
{
    screenscaling::placeOnScreen(this);
    show();
    raise();
    letEventsRun();
}
