// SPDX-License-Identifier: MIT
// A notice on screen while the program waits for something only a person
// can fix (a results file it may not open): the wait goes on, so nothing is
// lost, but the pupil sees why and whom to call. Behind an interface so a
// test can see what was shown.
#pragma once

#include <QString>
#include <memory>

class QLabel;

class WaitNotice {
public:
    virtual ~WaitNotice() = default;
    // Shows (or replaces) the text; it stays until clear().
    virtual void show(const QString &text) = 0;
    virtual void clear() = 0;
};

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
