// SPDX-License-Identifier: MIT
#include "setup/sound_choice.h"
#include "platform/alsa_sound_output.h"
#include "setup/program_conf.h"

namespace soundchoice {

Decision decide(const QString &offIn, const std::function<QString()> &probe)
{
    if (!offIn.isEmpty())
        return { Choice::Off, offIn };
    const QString problem = probe();
    if (!problem.isEmpty())
        return { Choice::NoDevice, problem };
    return { Choice::Play, QString() };
}

Decision decideForThisPc()
{
    return decide(programconf::switchedOffIn(QStringLiteral("sound/sound")), [] { return AlsaSoundOutput::probe(); });
}

QString noticeText(const Decision &decision)
{
    if (decision.choice != Choice::NoDevice)
        return QString();
    // The device's own reason is in the log; pupils need only the outcome.
    return QStringLiteral("このパソコンでは音が出ません（音声装置が見つかりません）。音なしで練習できます。");
}

std::unique_ptr<SoundOutput> makeOutput(const Decision &decision)
{
    if (decision.choice == Choice::Play)
        return std::make_unique<AlsaSoundOutput>();
    return std::make_unique<SilentSoundOutput>();
}

} // namespace soundchoice
