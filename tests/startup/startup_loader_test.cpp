// SPDX-License-Identifier: MIT
#include "setup/data_files.h"
#include "startup/startup_loader.h"
#include "state/level_table.h"
#include "state/shared_state.h"
#include "support/data_root.h"
#include "support/fake_navigator.h"
#include "support/fakes.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <memory>

namespace {

struct StartUp : ::testing::Test {
    std::unique_ptr<SharedState> state = std::make_unique<SharedState>();
    FakePlatform fakes;
    FakeNavigator navigator;
    TestInstall install;

    bool load() { return LoadPathsAndSettings(*state, fakes.platform, install.programFolder()); }
};

TEST_F(StartUp, LoadsFoldersSettingsCriteriaAndSoundsFromAGeneratedInstallation)
{
    install.writeDefaults();
    ASSERT_TRUE(FinishStartUp(*state, fakes.platform, navigator, install.programFolder()));
    EXPECT_FALSE(fakes.fatal.called()) << fakes.fatal.messages.join(QLatin1Char('\n')).toStdString();

    EXPECT_EQ(state->InstallFolder, install.programFolder() + QStringLiteral("/"));
    EXPECT_EQ(state->DataRootFolder, install.dataRoot());
    EXPECT_EQ(state->ProgramFolderName, QStringLiteral("prog"));
    EXPECT_EQ(state->ProgramDataFolder, install.dataRoot() + QStringLiteral("prog/"));
    EXPECT_EQ(state->SoundFolder, install.dataRoot() + QStringLiteral("音フォルダ/"));
    EXPECT_EQ(state->SchoolYearStartMonth, 4);
    EXPECT_EQ(state->SchoolCode, QStringLiteral("12345"));
    EXPECT_EQ(state->SchoolName, QStringLiteral("テスト学習塾"));
    EXPECT_EQ(state->IncludeStatus2Pupils, 0);
    EXPECT_EQ(state->DataChangePassword.toText(), QStringLiteral("1234"));
    EXPECT_EQ(state->ProgramName, QStringLiteral("ルカミナ"));
    EXPECT_EQ(state->AllLevelsFree, 1);
    EXPECT_EQ(state->TargetTime[1], 60);
    EXPECT_EQ(state->PassLineTime[4], 200);
    EXPECT_FLOAT_EQ(state->PointMultiplier[3], 1.5f);
    EXPECT_EQ(state->SoundTable[2].count, 2);
    EXPECT_EQ(state->SoundTable[2].files[2], QStringLiteral("B"));
    EXPECT_EQ(navigator.calls, QStringList { QStringLiteral("showNameSelection") });
}

TEST_F(StartUp, DataRootWrittenWithBackslashesAndWithoutTrailingSeparator)
{
    install.writeDefaults();
    QString root = install.dataRoot();
    root.chop(1);
    root.replace(QLatin1Char('/'), QLatin1Char('\\'));
    install.writePathFile(root);
    ASSERT_TRUE(load());
    EXPECT_EQ(state->DataRootFolder, install.dataRoot());
    EXPECT_EQ(state->ProgramDataFolder, install.dataRoot() + QStringLiteral("prog/"));
}

TEST_F(StartUp, SettingsItemsMaySpreadOverLinesOrShareOne)
{
    install.writeDefaults();
    install.writeSettings(QStringLiteral("4,\"00000本校, 第二教室\",1\n0,0,\"abc\",0,0,0,0\n"));
    ASSERT_TRUE(load());
    EXPECT_EQ(state->SchoolCode, QString());
    EXPECT_EQ(state->SchoolName, QStringLiteral("00000本校, 第二教室"));
    EXPECT_EQ(state->IncludeStatus2Pupils, 1);
    EXPECT_EQ(state->DataChangePassword.toText(), QStringLiteral("abc"));
}

struct MissingFileCase {
    const char *name;
    void (*damage)(const TestInstall &);
    const char16_t *fileInMessage;
    const char16_t *problemInMessage;
};

class StartUpRefuses : public StartUp, public ::testing::WithParamInterface<MissingFileCase> { };

TEST_P(StartUpRefuses, WithAMessageNamingTheFileAndCreatesNothing)
{
    install.writeDefaults();
    GetParam().damage(install);
    const QStringList before = QDir(install.dataRoot()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

    EXPECT_FALSE(FinishStartUp(*state, fakes.platform, navigator, install.programFolder()));
    ASSERT_EQ(fakes.fatal.messages.size(), 1);
    const QString message = fakes.fatal.messages.first();
    EXPECT_TRUE(message.contains(QString::fromUtf16(GetParam().fileInMessage))) << message.toStdString();
    EXPECT_TRUE(message.contains(QString::fromUtf16(GetParam().problemInMessage))) << message.toStdString();
    EXPECT_TRUE(navigator.calls.isEmpty()) << "name selection must not open";
    EXPECT_EQ(QDir(install.dataRoot()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
}

INSTANTIATE_TEST_SUITE_P(BadInstallations, StartUpRefuses,
    ::testing::Values(
        MissingFileCase { "NoPathFile", [](const TestInstall &i) { QFile::remove(i.suiteFolder() + "パスデータ.txt"); },
            u"suite/パスデータ.txt", u"ありません" },
        MissingFileCase { "ShortPathFile",
            [](const TestInstall &i) { i.writeItemFile(i.suiteFolder() + "パスデータ.txt", "\"/x/\",0,0\n"); },
            u"パスデータ.txt", u"10項目のうち3項目" },
        MissingFileCase { "NoSettings", [](const TestInstall &i) { QFile::remove(i.dataRoot() + "共通データ.txt"); },
            u"共通データ.txt", u"ありません" },
        MissingFileCase { "ShortSettings",
            [](const TestInstall &i) { i.writeSettings("4,\"学校\",0,0,0,1234,0,0,0\n"); }, u"共通データ.txt",
            u"10項目のうち9項目" },
        MissingFileCase { "NoCriteria",
            [](const TestInstall &i) { QFile::remove(i.programDataFolder() + "タイム回数データ.txt"); },
            u"prog/タイム回数データ.txt", u"読めません" },
        MissingFileCase { "ShortCriteriaRow",
            [](const TestInstall &i) { i.writeCriteria(TestInstall::defaultCriteria() + "1,2,3\n"); },
            u"タイム回数データ.txt", u"6行目の項目が足りません" },
        MissingFileCase { "NoSoundList",
            [](const TestInstall &i) { QFile::remove(i.soundFolder() + "新音ファイル.txt"); },
            u"音フォルダ/新音ファイル.txt", u"読めません" }),
    [](const auto &info) { return std::string(info.param.name); });

struct SchoolCodeCase {
    const char16_t *item;
    const char16_t *code;
    const char16_t *name;
};

class SchoolCodeSplitTest : public ::testing::TestWithParam<SchoolCodeCase> { };

TEST_P(SchoolCodeSplitTest, SplitsOnANonZeroNumericPrefix)
{
    const SchoolCodeSplit split = splitSchoolCode(QString::fromUtf16(GetParam().item));
    EXPECT_EQ(split.code, QString::fromUtf16(GetParam().code));
    EXPECT_EQ(split.name, QString::fromUtf16(GetParam().name));
}

INSTANTIATE_TEST_SUITE_P(Examples, SchoolCodeSplitTest,
    ::testing::Values(SchoolCodeCase { u"12345みなみ学習塾", u"12345", u"みなみ学習塾" },
        SchoolCodeCase { u"みなみ学習塾", u"", u"みなみ学習塾" },
        SchoolCodeCase { u"00000みなみ学習塾", u"", u"00000みなみ学習塾" },
        SchoolCodeCase { u"12ab3塾", u"12ab3", u"塾" }, SchoolCodeCase { u"", u"", u"" }),
    [](const auto &info) { return "item" + std::to_string(info.index); });

TEST(LevelTable, HoldsTheProgramsLevelsAndIsTheSameAtEverySignIn)
{
    auto state = std::make_unique<SharedState>();
    FakeNavigator navigator;
    SetUpLevelTable(*state, navigator);
    EXPECT_EQ(state->LevelCount, 4);
    EXPECT_EQ(state->GoalLevel, 4);
    EXPECT_EQ(state->LevelName[1], QStringLiteral("レベル1"));
    EXPECT_EQ(state->LevelName[4], QStringLiteral("レベル４"));
    EXPECT_EQ(state->LevelName[9], QStringLiteral("レベル３－２"));
    EXPECT_EQ(state->LevelName[11], QStringLiteral("レベル４－1"));
    EXPECT_EQ(state->LevelName[25], QString());
    EXPECT_EQ(state->LevelTimed[24], 1);
    EXPECT_EQ(state->LevelTimed[25], 0);
    EXPECT_EQ(state->LevelTimed[0], 0);
    EXPECT_TRUE(isPracticeLevelName(state->LevelName[10]));
    EXPECT_FALSE(isPracticeLevelName(state->LevelName[4]));
    EXPECT_EQ(navigator.calls, QStringList { QStringLiteral("showHub") });

    const auto names = state->LevelName;
    SetUpLevelTable(*state, navigator);
    EXPECT_EQ(state->LevelName, names);
}

} // namespace

namespace {

TEST_F(StartUp, ALevelWhoseStoredCriteriaAreOutOfRangeIsReportedAndStartUpGoesOn)
{
    install.writeDefaults();
    QString criteria = TestInstall::defaultCriteria();
    criteria.replace(QStringLiteral("\n80,150,100,5,1,"), QStringLiteral("\n80,500000000,100,5,-2,"));
    install.writeCriteria(criteria);
    ASSERT_TRUE(FinishStartUp(*state, fakes.platform, navigator, install.programFolder()));
    EXPECT_FALSE(fakes.fatal.called());
    ASSERT_EQ(navigator.toldAtStartUp.size(), 1);
    const QString &said = navigator.toldAtStartUp[0];
    EXPECT_TRUE(said.contains(install.programDataFolder() + QStringLiteral("タイム回数データ.txt")));
    EXPECT_TRUE(
        said.contains(QStringLiteral("レベル2：「最低Time」500000000（10～19999）、「ﾎﾟｲﾝﾄ倍率」-2（0.1～100）")))
        << said.toStdString();
    EXPECT_FALSE(said.contains(QStringLiteral("レベル1")));
    EXPECT_TRUE(said.contains(QStringLiteral("合格タイムデータ変更")));
    // The program goes on to name selection; the level is marked so that
    // it cannot be started, and the others run as before.
    EXPECT_EQ(navigator.calls, QStringList { QStringLiteral("showNameSelection") });
    EXPECT_FALSE(state->CriteriaOutOfRange[2].isEmpty());
    EXPECT_TRUE(state->CriteriaOutOfRange[1].isEmpty());
    EXPECT_EQ(state->PassLineTime[1], 120);
}

TEST_F(StartUp, ARunnableTableStartsWithoutAWord)
{
    install.writeDefaults();
    ASSERT_TRUE(FinishStartUp(*state, fakes.platform, navigator, install.programFolder()));
    EXPECT_TRUE(navigator.toldAtStartUp.isEmpty());
}

} // namespace
