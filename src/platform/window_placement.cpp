// SPDX-License-Identifier: MIT
#include "platform/window_placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cmath>

namespace screenscaling {

namespace {

// The frame as the probe measured it, in the screen's own pixels; kept for
// the first window, which has no frame on screen to go by yet, and for
// when every window on screen goes without one.
QMargins probedFrame;

} // namespace

QMargins scaledMargins(const QMargins &margins, double ratio)
{
    return QMargins(int(std::lround(margins.left() * ratio)), int(std::lround(margins.top() * ratio)),
        int(std::lround(margins.right() * ratio)), int(std::lround(margins.bottom() * ratio)));
}

void rememberProbedFrame(const QMargins &nativeFrame)
{
    probedFrame = nativeFrame;
}

Placement placement(const QRect &available, const QRect &screen, const QSize &size, const QMargins &frame)
{
    const QSize framed = size.grownBy(frame);
    const bool framedFits = framed.width() <= available.width() && framed.height() <= available.height();
    const bool aloneFits = size.width() <= available.width() && size.height() <= available.height();
    const QRect area = framedFits || aloneFits ? available : screen;
    const QSize outer = framedFits ? framed : size;
    return Placement { QPoint(area.x() + std::max(0, (area.width() - outer.width()) / 2),
                           area.y() + std::max(0, (area.height() - outer.height()) / 2)),
        !framedFits };
}

QMargins knownFrame()
{
    for (QWindow *window : QGuiApplication::topLevelWindows()) {
        if (window->isVisible() && window->type() == Qt::Window && !window->flags().testFlag(Qt::FramelessWindowHint)) {
            const QMargins frame = window->frameMargins();
            if (!frame.isNull())
                return frame;
        }
    }
    const QScreen *screen = QGuiApplication::primaryScreen();
    return screen ? scaledMargins(probedFrame, 1.0 / screen->devicePixelRatio()) : QMargins();
}

void placeOnScreen(QWidget *window)
{
    // A window on screen stays where it is: changing its flags would hide it.
    if (window->isVisible())
        return;
    const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const Placement place = placement(screen->availableGeometry(), screen->geometry(), window->size(), knownFrame());
    if (place.frameless)
        window->setWindowFlag(Qt::FramelessWindowHint);
    window->move(place.frameTopLeft);
}

} // namespace screenscaling
