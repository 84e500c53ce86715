// SPDX-License-Identifier: MIT
// Large screens: the windows are laid out for 1024 x 768, so on a larger
// screen the whole program is drawn larger by one factor, through Qt's own
// device-independent scaling. Fonts, positions and painted parts then grow
// alike and are rendered at the screen's resolution, so they stay sharp.
// The factor has to be known before QApplication exists, so the primary
// screen is measured with a short-lived QGuiApplication first.
#pragma once

#include <QSize>
#include <QString>

namespace screenscaling {

inline constexpr QSize kDesignSize { 1024, 768 };

// The largest factor (in steps of 1/64, so the window's edges land on whole
// pixels more often) at which the design screen fits into `available`
// pixels; 1 when the screen is not larger, since the program never shrinks.
double fitFactor(const QSize &available);

// Where scaling was turned off, or empty when it is on: the option
// "--no-scaling", the environment (RUKAMINA_SCALING=off, or a scale the user
// already gave Qt through QT_SCALE_FACTOR or QT_SCREEN_SCALE_FACTORS), or
// "scaling=off" in the [display] section of rukamina.conf in the user's
// configuration folder or /etc/rukamina/.
QString switchedOffBy(bool noScalingOption);

// Called first thing in main(): unless switched off, measures the primary
// screen and sets QT_SCALE_FACTOR for the QApplication about to be built.
// Returns the factor set, or 1.
double applyBeforeApplication(int argc, char **argv, bool noScalingOption);

} // namespace screenscaling
