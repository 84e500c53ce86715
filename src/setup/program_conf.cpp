// SPDX-License-Identifier: MIT
#include "setup/program_conf.h"
#include "setup/path_file_search.h"

#include <QSettings>

namespace programconf {

QStringList files()
{
    return { pathsearch::userConfigFolder() + QStringLiteral("rukamina.conf"),
        pathsearch::kSystemConfigFolder + QStringLiteral("rukamina.conf") };
}

bool saysOff(const QString &value)
{
    const QString v = value.trimmed().toLower();
    return v == QLatin1String("off") || v == QLatin1String("0") || v == QLatin1String("no")
        || v == QLatin1String("false");
}

QString switchedOffIn(const QString &key)
{
    for (const QString &file : files()) {
        const QSettings settings(file, QSettings::IniFormat);
        if (saysOff(settings.value(key).toString()))
            return file;
    }
    return QString();
}

} // namespace programconf
