// SPDX-License-Identifier: MIT
// Starting another program of the suite without waiting for it.
#pragma once

#include <QString>
#include <QStringList>

class ProgramLauncher {
public:
    virtual ~ProgramLauncher() = default;
    // Starts the program with the arguments as an argument list, never
    // through a shell. False with a reason when it could not be started.
    virtual bool start(const QString &program, const QStringList &arguments, QString *error) = 0;
};
