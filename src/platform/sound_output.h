// SPDX-License-Identifier: MIT
// Synchronous sound playback: play one WAV file to its end, then report
// 0 or an error code with its text.
#pragma once

#include <QString>

class SoundOutput {
public:
    virtual ~SoundOutput() = default;
    // Plays the file and returns when it has finished (the user interface
    // is blocked meanwhile). 0 on success, else an error code.
    virtual int play(const QString &path) = 0;
    // Text of an error code returned by play().
    virtual QString errorText(int code) const = 0;
};
