// SPDX-License-Identifier: MIT
// "Show a message box, then end the program": the way the program gives up
// on a failure it cannot get past. Behind an interface so that a test can
// catch it without the process dying.
//
// The real reporter never returns. A test double records the call and
// returns, so every caller returns right after reporting and leaves its
// work undone.
#pragma once

#include <QString>

class FatalErrors {
public:
    virtual ~FatalErrors() = default;
    virtual void fatal(const QString &title, const QString &message) = 0;
};

// The program's own reporter shows a message box:
// platform/message_box_fatal_errors.h.
