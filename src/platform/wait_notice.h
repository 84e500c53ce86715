// SPDX-License-Identifier: MIT
// A notice on screen while the program waits for something only a person
// can fix (a results file it may not open): the wait goes on, so nothing is
// lost, but the pupil sees why and whom to call. Behind an interface so a
// test can see what was shown.
#pragma once

#include <QString>

class WaitNotice {
public:
    virtual ~WaitNotice() = default;
    // Shows (or replaces) the text; it stays until clear().
    virtual void show(const QString &text) = 0;
    virtual void clear() = 0;
};

// The program's own notice is a window: platform/window_wait_notice.h.
