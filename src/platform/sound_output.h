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

// Plays nothing and reports every sound as played: for a PC set to play no
// sound, or one without a sound device, where a run must still go through.
class SilentSoundOutput final : public SoundOutput {
public:
    int play(const QString &) override { return 0; }
    QString errorText(int) const override { return QString(); }
};
