// SPDX-License-Identifier: MIT
// The real sound output, played into an ALSA configuration whose default
// device writes everything it receives to a file over the null device.
#include "platform/alsa_sound_output.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <alsa/asoundlib.h>
#include <gtest/gtest.h>
#include <sndfile.h>
#include <vector>

namespace {

struct AlsaToFile : ::testing::Test {
    QTemporaryDir dir;
    QString capture;

    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        capture = dir.filePath(QStringLiteral("captured.raw"));
        const QString config = dir.filePath(QStringLiteral("asound.conf"));
        QFile file(config);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QStringLiteral("pcm.!default {\n"
                                  "  type file\n"
                                  "  slave.pcm { type null }\n"
                                  "  file \"%1\"\n"
                                  "  format \"raw\"\n"
                                  "}\n")
                       .arg(capture)
                       .toUtf8());
        file.close();
        qputenv("ALSA_CONFIG_PATH", QFile::encodeName(config));
        // The configuration is read once per process; make ALSA read ours.
        snd_config_update_free_global();
    }
    void TearDown() override
    {
        qunsetenv("ALSA_CONFIG_PATH");
        snd_config_update_free_global();
    }

    QByteArray captured() const
    {
        QFile file(capture);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
};

// Samples that survive 8-, 16- and 24-bit storage unchanged.
std::vector<short> testSamples(int frames, int channels)
{
    std::vector<short> samples(size_t(frames * channels));
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = short((int(i * 37 % 250) - 125) * 256);
    return samples;
}

QString writeWav(const QString &path, int format, int rate, int channels, const std::vector<short> &samples)
{
    SF_INFO info {};
    info.samplerate = rate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | format;
    SNDFILE *file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &info);
    if (!file)
        return {};
    sf_writef_short(file, samples.data(), sf_count_t(samples.size()) / channels);
    sf_close(file);
    return path;
}

struct WavCase {
    const char *name;
    int format;
    int rate;
    int channels;
    int frames;
};

class PlaysToTheDevice : public AlsaToFile, public ::testing::WithParamInterface<WavCase> { };

TEST_P(PlaysToTheDevice, EverySampleOfTheWavReachesTheDeviceBeforePlayReturns)
{
    const WavCase &c = GetParam();
    const auto samples = testSamples(c.frames, c.channels);
    const QString wav = writeWav(
        dir.filePath(QStringLiteral("音 %1.wav").arg(QLatin1String(c.name))), c.format, c.rate, c.channels, samples);
    ASSERT_FALSE(wav.isEmpty());

    AlsaSoundOutput output;
    ASSERT_EQ(output.play(wav), 0) << output.errorText(output.play(wav)).toStdString();
    const QByteArray raw = captured();
    ASSERT_EQ(raw.size(), qsizetype(samples.size() * sizeof(short)));
    EXPECT_EQ(0, std::memcmp(raw.constData(), samples.data(), size_t(raw.size())));
}

INSTANTIATE_TEST_SUITE_P(Formats, PlaysToTheDevice,
    ::testing::Values(WavCase { "Pcm16Mono8k", SF_FORMAT_PCM_16, 8000, 1, 12000 },
        WavCase { "Unsigned8Stereo11k", SF_FORMAT_PCM_U8, 11025, 2, 5000 },
        WavCase { "Pcm24Mono22k", SF_FORMAT_PCM_24, 22050, 1, 30000 },
        WavCase { "Pcm16StereoLongerThanOneBuffer", SF_FORMAT_PCM_16, 44100, 2, 9001 }),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(AlsaToFile, MissingFileFailsWithATextNamingIt)
{
    AlsaSoundOutput output;
    const QString missing = dir.filePath(QStringLiteral("ない.wav"));
    const int code = output.play(missing);
    EXPECT_EQ(code, AlsaSoundOutput::kFileNotFound);
    EXPECT_TRUE(output.errorText(code).contains(missing)) << output.errorText(code).toStdString();
    EXPECT_TRUE(captured().isEmpty()) << "nothing reaches the device";
}

TEST_F(AlsaToFile, FileThatIsNotSoundFailsWithAText)
{
    const QString path = dir.filePath(QStringLiteral("text.wav"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("this is not a wave file");
    file.close();
    AlsaSoundOutput output;
    const int code = output.play(path);
    EXPECT_EQ(code, AlsaSoundOutput::kCannotDecode);
    EXPECT_FALSE(output.errorText(code).isEmpty());
    EXPECT_TRUE(captured().isEmpty());
}

TEST_F(AlsaToFile, UnknownDeviceFailsWithATextAndTheNextPlayStillWorks)
{
    const QString wav
        = writeWav(dir.filePath(QStringLiteral("ok.wav")), SF_FORMAT_PCM_16, 8000, 1, testSamples(800, 1));
    AlsaSoundOutput broken(QStringLiteral("no_such_device"));
    const int code = broken.play(wav);
    EXPECT_EQ(code, AlsaSoundOutput::kDeviceError);
    EXPECT_FALSE(broken.errorText(code).isEmpty());

    AlsaSoundOutput output;
    EXPECT_EQ(output.play(wav), 0);
    EXPECT_EQ(captured().size(), 1600);
}

} // namespace
