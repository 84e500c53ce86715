// SPDX-License-Identifier: MIT
#include "platform/detached_launcher.h"

#include <QFileInfo>
#include <QProcess>

bool DetachedLauncher::start(const QString &program, const QStringList &arguments, QString *error)
{
    QProcess process;
    process.setProgram(program);
    process.setArguments(arguments);
    process.setWorkingDirectory(QFileInfo(program).absolutePath());
    if (!process.startDetached()) {
        if (error)
            *error = process.errorString();
        return false;
    }
    return true;
}
