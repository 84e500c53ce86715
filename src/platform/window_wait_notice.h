// SPDX-License-Identifier: MIT
// The wait notice of the running program (platform/wait_notice.h).
#pragma once

#include "platform/wait_notice.h"

#include <memory>

class QLabel;

// A small window on top of the program's screens, in the middle of the
// screen, with the text in large red letters.
class WindowWaitNotice final : public WaitNotice {
public:
    WindowWaitNotice();
    ~WindowWaitNotice() override;
    void show(const QString &text) override;
    void clear() override;

private:
    std::unique_ptr<QLabel> window_;
};
