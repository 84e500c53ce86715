// SPDX-License-Identifier: MIT
#include "setup/screen_scaling.h"
#include "setup/program_conf.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QScreen>
#include <QThread>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cmath>
#include <vector>

namespace screenscaling {

namespace {

// The frame as the probe measured it, in the screen's own pixels; kept for
// the first window, which has no frame on screen to go by yet, and for
// when every window on screen goes without one.
QMargins probedFrame;

bool platformHasFrames()
{
    // The minimal platform (scripts) shows no window at all; offscreen
    // draws a frame of its own, as a window manager would.
    return QGuiApplication::platformName() != QLatin1String("minimal");
}

// The window manager's frame, read from a small window shown minimised so
// that it hardly shows: the manager frames it (and says how) when it takes
// the window on, before anything is drawn. Without a window manager the
// window is simply mapped, exposed and never framed.
QMargins measureFrame()
{
    QWindow window;
    window.setFlags(Qt::Window);
    window.resize(160, 120);
    window.showMinimized();
    QElapsedTimer timer;
    timer.start();
    qint64 exposedAt = -1;
    while (timer.elapsed() < 1000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        const QMargins frame = window.frameMargins();
        if (!frame.isNull())
            return frame;
        if (window.isExposed() && exposedAt < 0)
            exposedAt = timer.elapsed();
        if (exposedAt >= 0 && timer.elapsed() - exposedAt > 100)
            break; // on screen and still no frame: nobody frames windows
        QThread::msleep(5);
    }
    return {};
}

QMargins scaled(const QMargins &margins, double ratio)
{
    return QMargins(int(std::lround(margins.left() * ratio)), int(std::lround(margins.top() * ratio)),
        int(std::lround(margins.right() * ratio)), int(std::lround(margins.bottom() * ratio)));
}

} // namespace

double fitFactor(const QSize &available, const QMargins &frame)
{
    const double width = available.width() - frame.left() - frame.right();
    const double height = available.height() - frame.top() - frame.bottom();
    const double fit = std::min(width / kDesignSize.width(), height / kDesignSize.height());
    const double stepped = std::floor(fit * 64.0) / 64.0;
    return stepped > 1.0 ? stepped : 1.0;
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

QString switchedOffBy(bool noScalingOption)
{
    if (noScalingOption)
        return QStringLiteral("--no-scaling");
    if (programconf::saysOff(qEnvironmentVariable("RUKAMINA_SCALING")))
        return QStringLiteral("RUKAMINA_SCALING");
    if (!qEnvironmentVariableIsEmpty("QT_SCALE_FACTOR"))
        return QStringLiteral("QT_SCALE_FACTOR");
    if (!qEnvironmentVariableIsEmpty("QT_SCREEN_SCALE_FACTORS"))
        return QStringLiteral("QT_SCREEN_SCALE_FACTORS");
    return programconf::switchedOffIn(QStringLiteral("display/scaling"));
}

double applyBeforeApplication(int argc, char **argv, bool noScalingOption)
{
    const bool scaling = switchedOffBy(noScalingOption).isEmpty();
    double factor = 1.0;
    {
        // QGuiApplication takes its own options (-platform, ...) out of the
        // list it is given; the real application must still see them.
        int probeArgc = argc;
        std::vector<char *> probeArgv(argv, argv + argc);
        probeArgv.push_back(nullptr);
        QGuiApplication probe(probeArgc, probeArgv.data());
        const QScreen *screen = QGuiApplication::primaryScreen();
        if (!screen)
            return 1.0;
        // The platform may already scale (a desktop set to 200 %); the
        // factor asked of Qt comes on top of it.
        const double platformRatio = screen->devicePixelRatio();
        // The frame is wanted for placing windows even when scaling is off.
        probedFrame = platformHasFrames() ? scaled(measureFrame(), platformRatio) : QMargins();
        if (!scaling)
            return 1.0;
        const QSize native = screen->availableGeometry().size() * platformRatio;
        factor = fitFactor(native, probedFrame) / platformRatio;
    }
    if (factor == 1.0)
        return 1.0;
    qputenv("QT_SCALE_FACTOR", QByteArray::number(factor, 'g', 10));
    return factor;
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
    return screen ? scaled(probedFrame, 1.0 / screen->devicePixelRatio()) : QMargins();
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
