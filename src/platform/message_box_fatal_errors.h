// SPDX-License-Identifier: MIT
// The fatal-error path of the running program (platform/fatal_error.h).
#pragma once

#include "platform/fatal_error.h"

// Message box with an OK button, then every window closed (last opened
// first) and the program ended.
class MessageBoxFatalErrors final : public FatalErrors {
public:
    void fatal(const QString &title, const QString &message) override;
};
