// SPDX-License-Identifier: MIT
// Whether the program plays its sounds: on, unless rukamina.conf says
// "sound=off" under [sound], or no sound device can be opened at start-up.
// Without a device every run would otherwise end with "音声エラー" after
// four sounds and be lost; the program then plays nothing and says so once,
// on the name list.
#pragma once

#include "platform/sound_output.h"

#include <QString>
#include <functional>
#include <memory>

namespace soundchoice {

enum class Choice {
    Play, // sounds as always: four failed sounds in a row end the program
    Off, // switched off in rukamina.conf
    NoDevice, // nothing to play on
};

struct Decision {
    Choice choice = Choice::Play;
    QString reason; // the conf file that switched it off, or the device's error
};

// `offIn` is the conf file that switched sound off (empty: none did);
// `probe` opens the sound device and gives the reason it cannot, or empty.
// The device is not touched when sound is off.
Decision decide(const QString &offIn, const std::function<QString()> &probe);

// From rukamina.conf and ALSA's default device.
Decision decideForThisPc();

// What the name list says when nothing will be heard for want of a device;
// empty for the other choices (sound switched off is the administrator's
// own choice and needs no notice).
QString noticeText(const Decision &decision);

// The output to play through: ALSA's default device, or silence.
std::unique_ptr<SoundOutput> makeOutput(const Decision &decision);

} // namespace soundchoice
