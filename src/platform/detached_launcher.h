// SPDX-License-Identifier: MIT
// Starts another program detached, with an argument list (no shell).
#pragma once

#include "platform/program_launcher.h"

class DetachedLauncher final : public ProgramLauncher {
public:
    bool start(const QString &program, const QStringList &arguments, QString *error) override;
};
