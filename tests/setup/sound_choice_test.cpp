// SPDX-License-Identifier: MIT
#include "drill/sound_effects.h"
#include "drill/sound_table.h"
#include "platform/item_reader.h"
#include "platform/random.h"
#include "setup/sound_choice.h"
#include "state/shared_state.h"
#include "support/fakes.h"
#include "support/scoped_env.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace {

using soundchoice::Choice;

struct ChoiceCase {
    const char *name;
    bool offInConf;
    const char *deviceProblem; // empty: the device opens
    Choice choice;
    bool probed;
    bool notice;
};

class SoundChoice : public ::testing::TestWithParam<ChoiceCase> { };

TEST_P(SoundChoice, FollowsTheSettingThenTheDevice)
{
    const ChoiceCase &c = GetParam();
    bool probed = false;
    const soundchoice::Decision d
        = soundchoice::decide(c.offInConf ? QStringLiteral("/etc/rukamina/rukamina.conf") : QString(), [&] {
              probed = true;
              return QString::fromUtf8(c.deviceProblem);
          });
    EXPECT_EQ(d.choice, c.choice);
    EXPECT_EQ(probed, c.probed) << "a PC set to play nothing does not touch the device";
    EXPECT_EQ(!soundchoice::noticeText(d).isEmpty(), c.notice);
    if (c.choice == Choice::Off) {
        EXPECT_EQ(d.reason, QStringLiteral("/etc/rukamina/rukamina.conf"));
    }
    if (c.choice == Choice::NoDevice) {
        EXPECT_EQ(d.reason, QString::fromUtf8(c.deviceProblem));
    }
}

INSTANTIATE_TEST_SUITE_P(Pcs, SoundChoice,
    ::testing::Values(ChoiceCase { "WithSound", false, "", Choice::Play, true, false },
        ChoiceCase { "SwitchedOff", true, "", Choice::Off, false, false },
        ChoiceCase { "SwitchedOffWithoutDevice", true, "No such file or directory", Choice::Off, false, false },
        ChoiceCase { "WithoutDevice", false, "No such file or directory", Choice::NoDevice, true, true }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(SoundSetting, SoundOffUnderSoundInTheConfFile)
{
    QTemporaryDir config;
    ScopedEnv home("XDG_CONFIG_HOME", config.path().toUtf8());
    QDir().mkpath(config.path() + "/rukamina");
    QFile conf(config.path() + "/rukamina/rukamina.conf");
    ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
    conf.write("[display]\nscaling=off\n[sound]\nsound=off\n");
    conf.close();
    const soundchoice::Decision d = soundchoice::decideForThisPc();
    EXPECT_EQ(d.choice, Choice::Off);
    EXPECT_EQ(d.reason, conf.fileName());
}

// The drill's correct and wrong sounds on a PC without a device: through
// the real output the fourth failure ends the program with "音声エラー"
// (as it must where sound is expected); set to play nothing, or with no
// device found at start-up, a whole run of wrong answers goes through.
struct DrillSounds {
    std::unique_ptr<SharedState> state = std::make_unique<SharedState>();
    FakePlatform fakes;
    RandomSource random { 7 };
    DrillSounds()
    {
        state->SoundFolder = QStringLiteral("/nonexistent/音フォルダ/");
        ItemReader reader = ItemReader::fromText(QStringLiteral("正解音2\r\nA\r\n*\r\n間違い音2\r\nW\r\n*\r\n"));
        readSoundTable(*state, reader);
    }
    // Plays up to 30 wrong sounds; how many went through.
    int wrongAnswers(SoundOutput &output)
    {
        Platform platform { fakes.clock, fakes.fatal, output, fakes.launcher };
        for (int i = 0; i < 30; ++i) {
            if (!PlayWrongSound(*state, platform, random))
                return i;
        }
        return 30;
    }
};

class SoundOutputFor : public ::testing::TestWithParam<Choice> { };

TEST_P(SoundOutputFor, DecidesWhetherMissingSoundsEndTheRun)
{
    DrillSounds run;
    const std::unique_ptr<SoundOutput> output = soundchoice::makeOutput({ GetParam(), QString() });
    const int played = run.wrongAnswers(*output);
    if (GetParam() == Choice::Play) {
        EXPECT_EQ(played, 3);
        ASSERT_EQ(run.fakes.fatal.titles.size(), 1);
        EXPECT_EQ(run.fakes.fatal.titles[0], QStringLiteral("音声エラー"));
    } else {
        EXPECT_EQ(played, 30);
        EXPECT_FALSE(run.fakes.fatal.called());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Choices, SoundOutputFor, ::testing::Values(Choice::Play, Choice::Off, Choice::NoDevice), [](const auto &info) {
        return std::string(info.param == Choice::Play ? "Play" : info.param == Choice::Off ? "Off" : "NoDevice");
    });

} // namespace
