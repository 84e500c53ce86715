// SPDX-License-Identifier: MIT
// The results hub's layout, in twips, shared by the half of the screen that
// builds the widgets (hub_layout.cpp) and the handlers (hub_screen.cpp).
#pragma once

#include "platform/layout.h"

#include <QColor>

namespace hublayout {

inline constexpr int kFormWidth = 15360;
inline constexpr int kFormHeight = 11520;

// Vertical layout of a level column.
inline constexpr int kListTitleTop = 1400;
inline constexpr int kListTitleHeight = 400;
inline constexpr int kNameHeight = 420;
inline constexpr int kStartHeight = 600;
inline constexpr int kFigureHeight = 300;
inline constexpr int kListHeight = 6900;
inline constexpr int kCriteriaHeight = 330;

// Background of the standing and criteria captions.
inline QColor greyCaption()
{
    return bgrHex(0xE0E0E0);
}

// The lists' fixed-pitch font, and the smallest it may shrink to so that
// the longest rows of a view (four-digit times in "すべて") fit.
inline constexpr double kListPoints = 11.25;
inline constexpr double kSmallestListPoints = 9.0;

} // namespace hublayout
