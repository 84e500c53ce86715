// SPDX-License-Identifier: MIT
#include "platform/alsa_sound_output.h"

#include <QFile>
#include <QFileInfo>
#include <alsa/asoundlib.h>
#include <cerrno>
#include <sndfile.h>
#include <vector>

AlsaSoundOutput::AlsaSoundOutput(QString device)
    : device_(std::move(device))
{
}

int AlsaSoundOutput::fail(int code, const QString &text)
{
    lastText_[code] = text;
    return code;
}

int AlsaSoundOutput::play(const QString &path)
{
    if (!QFileInfo::exists(path))
        return fail(kFileNotFound, QStringLiteral("指定されたファイルが見つかりません: %1").arg(path));

    SF_INFO info {};
    SNDFILE *file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!file)
        return fail(kCannotDecode,
            QStringLiteral("音声ファイルを読めません: %1 (%2)")
                .arg(path, QString::fromLocal8Bit(sf_strerror(nullptr))));

    snd_pcm_t *pcm = nullptr;
    // Opened without blocking: a device held by another program must fail
    // at once rather than freeze the drill until it is free. Playing then
    // blocks, so play() returns only when the sound is through.
    int err = snd_pcm_open(&pcm, device_.toLocal8Bit().constData(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
    if (err >= 0)
        err = snd_pcm_nonblock(pcm, 0);
    if (err < 0) {
        if (pcm)
            snd_pcm_close(pcm);
        sf_close(file);
        return fail(
            kDeviceError, QStringLiteral("音声装置を開けません: %1").arg(QString::fromLocal8Bit(snd_strerror(err))));
    }
    err = snd_pcm_set_params(pcm, SND_PCM_FORMAT_S16_LE, SND_PCM_ACCESS_RW_INTERLEAVED, unsigned(info.channels),
        unsigned(info.samplerate), 1, 200000);
    if (err < 0) {
        snd_pcm_close(pcm);
        sf_close(file);
        return fail(kDeviceError,
            QStringLiteral("音声装置の設定ができません: %1").arg(QString::fromLocal8Bit(snd_strerror(err))));
    }

    constexpr sf_count_t kFrames = 4096;
    std::vector<short> buffer(size_t(kFrames) * size_t(info.channels));
    sf_count_t got;
    while ((got = sf_readf_short(file, buffer.data(), kFrames)) > 0) {
        const short *p = buffer.data();
        sf_count_t left = got;
        while (left > 0) {
            snd_pcm_sframes_t written = snd_pcm_writei(pcm, p, snd_pcm_uframes_t(left));
            if (written < 0)
                written = snd_pcm_recover(pcm, int(written), 1);
            if (written < 0) {
                snd_pcm_close(pcm);
                sf_close(file);
                return fail(kDeviceError,
                    QStringLiteral("音声を再生できません: %1").arg(QString::fromLocal8Bit(snd_strerror(int(written)))));
            }
            p += written * info.channels;
            left -= written;
        }
    }
    err = snd_pcm_drain(pcm);
    snd_pcm_close(pcm);
    sf_close(file);
    // A device that cannot finish the sound has not played it.
    if (err < 0)
        return fail(
            kDeviceError, QStringLiteral("音声を再生できません: %1").arg(QString::fromLocal8Bit(snd_strerror(err))));
    return 0;
}

namespace {
void quietAlsaError(const char *, int, const char *, int, const char *, ...) { }
} // namespace

QString AlsaSoundOutput::probe(const QString &device)
{
    snd_lib_error_set_handler(&quietAlsaError);
    snd_pcm_t *pcm = nullptr;
    const int err = snd_pcm_open(&pcm, device.toLocal8Bit().constData(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
    if (err >= 0)
        snd_pcm_close(pcm);
    snd_lib_error_set_handler(nullptr);
    // A device another program holds is there; playing then fails or
    // succeeds sound by sound, as it always has.
    if (err >= 0 || err == -EBUSY || err == -EAGAIN)
        return QString();
    return QString::fromLocal8Bit(snd_strerror(err));
}

QString AlsaSoundOutput::errorText(int code) const
{
    if (code == 0)
        return QString();
    const auto it = lastText_.find(code);
    return it != lastText_.end() ? it.value() : QStringLiteral("音声エラー %1").arg(code);
}
