// SPDX-License-Identifier: MIT
// Where a window goes on its screen: centred in the free area with the
// window manager's frame round it, or without the frame where window and
// frame do not both fit (see screen_scaling.h for why the program never
// shrinks below its design size). Kept apart from the scaling, which runs
// before the application exists, so that every screen of every layer can
// place itself.
#pragma once

#include <QMargins>
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

namespace screenscaling {

// Where a window of `size` goes: centred with its `frame` in the free area
// `available` when both fit there; otherwise without a frame, centred in
// the free area when the window alone fits it, else in the whole `screen`
// (over a panel rather than cut by the screen's edge), and at the start of
// a side where it does not fit even the screen.
struct Placement {
    QPoint frameTopLeft;
    bool frameless = false;
};
Placement placement(const QRect &available, const QRect &screen, const QSize &size, const QMargins &frame);

// Margins multiplied by `ratio`, each side rounded to whole pixels.
QMargins scaledMargins(const QMargins &margins, double ratio);

// Keeps the frame measured before the application existed, in the
// screen's own pixels, for knownFrame().
void rememberProbedFrame(const QMargins &nativeFrame);

// The frame round the program's windows in the application's pixels: from a
// framed window on screen when there is one (the window manager's own
// figure), else as measured before the application, else none.
QMargins knownFrame();

// Places a window about to be shown by placement() on its screen, and
// takes its frame away when the placement says so.
void placeOnScreen(QWidget *window);

} // namespace screenscaling
