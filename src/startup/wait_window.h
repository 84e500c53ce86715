// SPDX-License-Identifier: MIT
// The wait window (BASEFRM) shown while a slow change of screen is under way.
#pragma once

#include <QWidget>

class WaitWindow : public QWidget {
    Q_OBJECT
public:
    explicit WaitWindow(QWidget *parent = nullptr);
    // Shows the window and lets pending events run once so it is painted
    // before the slow work that follows.
    void open();
};
