// SPDX-License-Identifier: MIT
#include "setup/screen_scaling.h"
#include "setup/program_conf.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cmath>
#include <vector>

namespace screenscaling {

double fitFactor(const QSize &available)
{
    const double fit
        = std::min(double(available.width()) / kDesignSize.width(), double(available.height()) / kDesignSize.height());
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
    if (!switchedOffBy(noScalingOption).isEmpty())
        return 1.0;
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
        const QSize native = screen->availableGeometry().size() * platformRatio;
        factor = fitFactor(native) / platformRatio;
    }
    if (factor <= 1.0)
        return 1.0;
    qputenv("QT_SCALE_FACTOR", QByteArray::number(factor, 'g', 10));
    return factor;
}

} // namespace screenscaling
