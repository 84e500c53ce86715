// SPDX-License-Identifier: MIT
// Sound output on ALSA's default device: the WAV file is decoded with
// libsndfile (PCM, ADPCM, mu-law ...) and written to the device, and play()
// returns once the device has drained.
#pragma once

#include "platform/sound_output.h"

#include <QHash>

class AlsaSoundOutput final : public SoundOutput {
public:
    // Error codes play() returns besides 0.
    static constexpr int kFileNotFound = 275; // the file does not exist
    static constexpr int kCannotDecode = 276; // not a sound file libsndfile reads
    static constexpr int kDeviceError = 277; // the device refused to open or play

    explicit AlsaSoundOutput(QString device = QStringLiteral("default"));
    int play(const QString &path) override;
    QString errorText(int code) const override;

    // Whether the device can be opened for playback at all: empty when it
    // can (or is only busy with another program), else ALSA's reason. Says
    // nothing on the error output, where ALSA would otherwise complain.
    static QString probe(const QString &device = QStringLiteral("default"));

private:
    int fail(int code, const QString &text);

    QString device_;
    QHash<int, QString> lastText_;
};
