// SPDX-License-Identifier: MIT
#include "drill/sound_effects.h"
#include "drill/sound_table.h"
#include "platform/item_reader.h"
#include "platform/random.h"
#include "state/shared_state.h"
#include "support/data_root.h"
#include "support/fakes.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

struct Sounds : ::testing::Test {
    std::unique_ptr<SharedState> state = std::make_unique<SharedState>();
    FakePlatform fakes;
    RandomSource random { 5 };

    void SetUp() override
    {
        state->SoundFolder = QStringLiteral("/data/音 フォルダ/");
        ItemReader reader = ItemReader::fromText(QStringLiteral(
            "正解音2\r\nA\r\nB\r\n*\r\n間違い音2\r\nW\r\n*\r\n自己最高音2\r\nO\r\n*\r\n不合格音1\r\nN\r\n*\r\n"));
        readSoundTable(*state, reader);
    }
};

// One step of a failure sequence: which sound, whether it plays.
enum class Which { Correct, Wrong, OwnRecord };
struct Step {
    Which which;
    int code;
};
struct SequenceCase {
    const char *name;
    std::vector<Step> steps;
    bool fatalAtLast;
    int countAfter;
};

class FailureSequence : public Sounds, public ::testing::WithParamInterface<SequenceCase> { };

TEST_P(FailureSequence, FourthFailureInARowAcrossCorrectAndWrongEndsTheProgram)
{
    const auto &steps = GetParam().steps;
    for (size_t i = 0; i < steps.size(); ++i) {
        fakes.sound.results = { steps[i].code };
        bool goOn = true;
        switch (steps[i].which) {
        case Which::Correct:
            goOn = PlayCorrectSound(*state, fakes.platform, random);
            break;
        case Which::Wrong:
            goOn = PlayWrongSound(*state, fakes.platform, random);
            break;
        case Which::OwnRecord:
            PlayOwnRecordSound(*state, fakes.platform, random);
            break;
        }
        const bool last = i + 1 == steps.size();
        if (!last || !GetParam().fatalAtLast) {
            ASSERT_TRUE(goOn) << "step " << i;
            ASSERT_FALSE(fakes.fatal.called()) << "step " << i;
        }
    }
    if (GetParam().fatalAtLast) {
        ASSERT_EQ(fakes.fatal.titles, QStringList { QStringLiteral("音声エラー") });
        EXPECT_EQ(fakes.fatal.messages.first(),
            QStringLiteral("音声がでません。先生を呼びなさい。\r\nfake error %1").arg(steps.back().code));
    }
    EXPECT_EQ(state->SoundFailureCount, GetParam().countAfter);
}

INSTANTIATE_TEST_SUITE_P(Sequences, FailureSequence,
    ::testing::Values(SequenceCase { "ThreeSilentFailures",
                          { { Which::Wrong, 263 }, { Which::Wrong, 263 }, { Which::Correct, 263 } }, false, 3 },
        SequenceCase { "FourthFailureIsFatal",
            { { Which::Correct, 263 }, { Which::Wrong, 275 }, { Which::Wrong, 263 }, { Which::Correct, 277 } }, true,
            3 },
        SequenceCase { "SuccessResets",
            { { Which::Wrong, 263 }, { Which::Wrong, 263 }, { Which::Wrong, 263 }, { Which::Correct, 0 },
                { Which::Wrong, 263 }, { Which::Wrong, 263 }, { Which::Correct, 263 } },
            false, 3 },
        // The result screen's sounds neither count nor reset.
        SequenceCase { "ResultScreenSoundsDoNotTakePart",
            { { Which::Wrong, 263 }, { Which::OwnRecord, 263 }, { Which::Wrong, 263 }, { Which::OwnRecord, 0 },
                { Which::Wrong, 263 }, { Which::Correct, 263 } },
            true, 3 }),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(Sounds, CommandAndResultAreKeptAndThePathIsNotQuoted)
{
    fakes.sound.results = { 263 };
    PlayWrongSound(*state, fakes.platform, random);
    EXPECT_EQ(fakes.sound.played, QStringList { QStringLiteral("/data/音 フォルダ/W.wav") });
    EXPECT_EQ(state->LastMciCommand, QStringLiteral("play /data/音 フォルダ/W.wav wait"));
    EXPECT_EQ(state->LastMciResult, QStringLiteral("263"));

    PlayTopRecordSound(*state, fakes.platform);
    EXPECT_EQ(state->LastMciCommand, QStringLiteral("play /data/音 フォルダ/最高1.wav wait"));
    EXPECT_EQ(state->LastMciResult, QStringLiteral("0"));
    PlayGoalSound(*state, fakes.platform);
    PlayOwnRecordSound(*state, fakes.platform, random);
    PlayNoRecordSound(*state, fakes.platform, random);
    EXPECT_EQ(fakes.sound.played.mid(1),
        (QStringList { QStringLiteral("/data/音 フォルダ/最高1.wav"), QStringLiteral("/data/音 フォルダ/合格.wav"),
            QStringLiteral("/data/音 フォルダ/O.wav"), QStringLiteral("/data/音 フォルダ/N.wav") }));
}

TEST_F(Sounds, CorrectSoundChoosesBetweenItsFilesWithEqualChance)
{
    int a = 0, b = 0;
    for (int i = 0; i < 4000; ++i) {
        fakes.sound.played.clear();
        PlayCorrectSound(*state, fakes.platform, random);
        ASSERT_EQ(fakes.sound.played.size(), 1);
        const QString &path = fakes.sound.played.first();
        if (path.endsWith(QStringLiteral("/A.wav")))
            ++a;
        else if (path.endsWith(QStringLiteral("/B.wav")))
            ++b;
        else
            FAIL() << path.toStdString();
    }
    EXPECT_NEAR(a, 2000, 200);
    EXPECT_NEAR(b, 2000, 200);
}

TEST_F(Sounds, CategoryWithoutFilesFailsLikeAMissingFileAndCounts)
{
    state->SoundTable[soundcat::Correct] = SoundCategory { soundCategoryName(soundcat::Correct), {}, 0 };
    fakes.sound.results = { 275 };
    EXPECT_TRUE(PlayCorrectSound(*state, fakes.platform, random));
    EXPECT_EQ(state->LastMciCommand, QStringLiteral("play /data/音 フォルダ/.wav wait"));
    EXPECT_EQ(state->SoundFailureCount, 1);
}

struct ChoiceCase {
    int count;
    double r;
    int file;
};
class FileChoice : public ::testing::TestWithParam<ChoiceCase> { };

TEST_P(FileChoice, IntOfFractionTimesCountPlusOne)
{
    EXPECT_EQ(chooseSoundFile(GetParam().count, GetParam().r), GetParam().file);
}

INSTANTIATE_TEST_SUITE_P(Choices, FileChoice,
    ::testing::Values(ChoiceCase { 0, 0.9, 1 }, ChoiceCase { 1, 0.999, 1 }, ChoiceCase { 2, 0.0, 1 },
        ChoiceCase { 2, 0.4999, 1 }, ChoiceCase { 2, 0.5, 2 }, ChoiceCase { 2, 0.9999, 2 },
        ChoiceCase { 20, 0.99999, 20 }));

} // namespace
