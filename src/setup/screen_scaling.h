// SPDX-License-Identifier: MIT
// Screens of every size: the windows are laid out for 1024 x 768. On a
// larger screen the whole program is drawn larger by one factor, through
// Qt's own device-independent scaling, chosen so that a window and the
// frame the window manager puts round it fit the screen's free area. Fonts,
// positions and painted parts then grow alike and are rendered at the
// screen's resolution, so they stay sharp. The factor has to be known
// before QApplication exists, so the primary screen and the frame are
// measured with a short-lived QGuiApplication first.
//
// Qt cannot draw widgets smaller than their layout (QPainter never paints
// below one device pixel per pixel: a factor under 1 shrinks the window but
// not what is drawn in it, and the window's right and bottom parts are cut
// off). Where window and frame do not fit at 1, the windows go without the
// frame instead, so the whole window shows on a 1024 x 768 screen.
#pragma once

#include "platform/window_placement.h"

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

class QWidget;

namespace screenscaling {

inline constexpr QSize kDesignSize { 1024, 768 };

// The largest factor (in steps of 1/64, so the window's edges land on whole
// pixels more often) at which the design window together with its `frame`
// fits into `available`; 1 when the screen is not larger, since the program
// never shrinks. Both are in the screen's own pixels: the window manager
// draws its frame unscaled.
double fitFactor(const QSize &available, const QMargins &frame = {});

// Where scaling was turned off, or empty when it is on: the option
// "--no-scaling", the environment (RUKAMINA_SCALING=off, or a scale the user
// already gave Qt through QT_SCALE_FACTOR or QT_SCREEN_SCALE_FACTORS), or
// "scaling=off" in the [display] section of rukamina.conf in the user's
// configuration folder or /etc/rukamina/.
QString switchedOffBy(bool noScalingOption);

// Called first thing in main(): measures the primary screen and the window
// manager's frame (showing a small minimised window for a moment), and
// unless switched off sets QT_SCALE_FACTOR for the QApplication about to be
// built. Returns the factor set, or 1. The frame is kept for placeOnScreen() (rememberProbedFrame).
double applyBeforeApplication(int argc, char **argv, bool noScalingOption);

} // namespace screenscaling
