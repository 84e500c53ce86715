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

} // namespace

double fitFactor(const QSize &available, const QMargins &frame)
{
    const double width = available.width() - frame.left() - frame.right();
    const double height = available.height() - frame.top() - frame.bottom();
    const double fit = std::min(width / kDesignSize.width(), height / kDesignSize.height());
    const double stepped = std::floor(fit * 64.0) / 64.0;
    return stepped > 1.0 ? stepped : 1.0;
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
        const QMargins probedFrame = platformHasFrames() ? scaledMargins(measureFrame(), platformRatio) : QMargins();
        rememberProbedFrame(probedFrame);
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

} // namespace screenscaling
