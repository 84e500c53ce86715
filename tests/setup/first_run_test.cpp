// SPDX-License-Identifier: MIT
#include "drill/sound_table.h"
#include "platform/shared_folder.h"
#include "results/results_file.h"
#include "results/results_loader.h"
#include "roster/roster_file.h"
#include "setup/data_files.h"
#include "setup/first_run.h"
#include "setup/installed_sounds.h"
#include "startup/startup_loader.h"
#include "state/shared_state.h"
#include "support/data_root.h"
#include "support/fakes.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace {

const QDateTime kNow(QDate(2026, 12, 9), QTime(10, 30, 15));

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

struct EntryCase {
    const char *name;
    int month;
    const char16_t *code;
    const char16_t *schoolName;
    const char16_t *password;
};

class FirstRunWriter : public ::testing::TestWithParam<EntryCase> {
protected:
    TestInstall install; // only its program folder and suite folder are used
    QTemporaryDir share;
    FakePlatform fakes;
    std::unique_ptr<SharedState> state = std::make_unique<SharedState>();

    QString root() const { return share.path() + QStringLiteral("/学校データ/"); }
};

// Everything the writer puts down is read back by the program's own
// start-up, roster, results and sound loaders, with the values entered.
TEST_P(FirstRunWriter, EveryFileReadsBackThroughTheProgramsLoaders)
{
    const EntryCase &c = GetParam();
    firstrun::NewDataFolder entry;
    entry.folder = root();
    entry.settings.schoolYearStartMonth = c.month;
    entry.settings.schoolCode = QString::fromUtf16(c.code);
    entry.settings.schoolName = QString::fromUtf16(c.schoolName);
    entry.settings.password = QString::fromUtf16(c.password);
    ASSERT_TRUE(firstrun::check(entry).isEmpty()) << firstrun::check(entry).join('\n').toStdString();

    QString error;
    ASSERT_TRUE(firstrun::createDataFolder(entry, QStringLiteral("prog"), QString(), false, kNow, &error))
        << error.toStdString();
    ASSERT_TRUE(firstrun::writePathFile(install.suiteFolder(), root(), &error)) << error.toStdString();

    ASSERT_TRUE(LoadPathsAndSettings(*state, fakes.platform, install.programFolder()))
        << fakes.fatal.messages.join('\n').toStdString();
    EXPECT_EQ(state->DataRootFolder, root());
    EXPECT_EQ(state->SchoolYearStartMonth, c.month);
    EXPECT_EQ(state->SchoolCode, QString::fromUtf16(c.code));
    EXPECT_EQ(state->SchoolName, QString::fromUtf16(c.schoolName));
    EXPECT_EQ(state->IncludeStatus2Pupils, 0);
    EXPECT_EQ(state->DataChangePassword.toText(), QString::fromUtf16(c.password));

    // Four levels of criteria and nothing beyond.
    for (int level = 1; level <= 4; ++level) {
        EXPECT_GT(state->TargetTime[level], 0) << level;
        EXPECT_GT(state->PassLineTime[level], state->TargetTime[level]) << level;
        EXPECT_GT(state->ClearCount[level], 0) << level;
    }
    EXPECT_EQ(state->TargetTime[5], 0);

    // Every played category has sounds, and each named file is a WAV.
    for (int category : { soundcat::Correct, soundcat::Wrong, soundcat::OwnRecord, soundcat::NoRecord }) {
        ASSERT_GT(state->SoundTable[category].count, 0) << category;
        const QString wav = state->SoundFolder + state->SoundTable[category].files[1] + QStringLiteral(".wav");
        EXPECT_TRUE(readAll(wav).startsWith("RIFF")) << wav.toStdString();
    }
    for (const char16_t *fixed : { u"最高1", u"合格" })
        EXPECT_TRUE(readAll(state->SoundFolder + QString::fromUtf16(fixed) + ".wav").startsWith("RIFF"));

    // The starter roster lists one teacher.
    RosterFailure failure;
    int visited = 0;
    ASSERT_TRUE(LoadRoster(
        *state, kNow.date(), [&](const RosterRecord &, int, const ListGrade &) { ++visited; }, &failure))
        << failure.description.toStdString();
    EXPECT_EQ(state->ListedPupilCount, 1);
    EXPECT_EQ(visited, 1);
    EXPECT_EQ(state->RosterName[5000], fixedRosterText(QStringLiteral("先生")));

    // An empty results file that loads.
    EXPECT_EQ(QFileInfo(state->ProgramDataFolder + QStringLiteral("成績累積データ.dat")).size(), 0);
    EXPECT_TRUE(成績ランダムファイル表示(*state, fakes.platform));
    EXPECT_EQ(state->LoadedRecordCount, 0);

    // Item files are CP932 with CR LF throughout.
    for (const QString &file : { root() + "共通データ.txt", root() + "新名簿.txt", root() + "prog/タイム回数データ.txt",
             root() + "音フォルダ/新音ファイル.txt" }) {
        const QByteArray bytes = readAll(file);
        EXPECT_EQ(bytes.count('\n'), bytes.count("\r\n")) << file.toStdString();
        EXPECT_TRUE(bytes.endsWith("\r\n")) << file.toStdString();
    }
    EXPECT_FALSE(fakes.fatal.called());
}

INSTANTIATE_TEST_SUITE_P(Entries, FirstRunWriter,
    ::testing::Values(EntryCase { "CodeAndDigitPassword", 4, u"12345", u"みなみ学習塾", u"1234" },
        EntryCase { "NoCodeTextPassword", 9, u"", u"北小学校", u"ひみつ" },
        EntryCase { "PasswordWithLeadingZero", 1, u"", u"東中学校", u"0012" },
        EntryCase { "NameAndPasswordWithCommaAndBlanks", 12, u"00123", u"学校,本校 ", u" a,b " },
        EntryCase { "NameStartingWithZero", 4, u"", u"0番街スクール", u"9" }),
    [](const auto &info) { return std::string(info.param.name); });

struct BadEntryCase {
    const char *name;
    int month;
    const char16_t *code;
    const char16_t *schoolName;
    const char16_t *password;
    const char16_t *problem;
};

class FirstRunCheck : public ::testing::TestWithParam<BadEntryCase> { };

// Entries the program would read back differently, or not at all, are
// refused with a reason.
TEST_P(FirstRunCheck, RefusesWhatWouldNotReadBackAsEntered)
{
    const BadEntryCase &c = GetParam();
    firstrun::NewDataFolder entry;
    entry.folder = QStringLiteral("/tmp/somewhere");
    entry.settings.schoolYearStartMonth = c.month;
    entry.settings.schoolCode = QString::fromUtf16(c.code);
    entry.settings.schoolName = QString::fromUtf16(c.schoolName);
    entry.settings.password = QString::fromUtf16(c.password);
    const QStringList problems = firstrun::check(entry);
    ASSERT_EQ(problems.size(), 1) << problems.join('\n').toStdString();
    EXPECT_TRUE(problems.first().contains(QString::fromUtf16(c.problem))) << problems.first().toStdString();
}

INSTANTIATE_TEST_SUITE_P(Entries, FirstRunCheck,
    ::testing::Values(BadEntryCase { "NoSchoolName", 4, u"", u"  ", u"1", u"学校名を入れて" },
        BadEntryCase { "NameReadAsCode", 4, u"", u"1年生塾", u"1", u"学校コードと読まれます" },
        BadEntryCase { "QuoteInName", 4, u"", u"\"北\"校", u"1", u"学校名に「\"」" },
        BadEntryCase { "NameOutsideCp932", 4, u"", u"𠮷野小学校", u"1", u"Shift-JIS" },
        BadEntryCase { "ShortCode", 4, u"1234", u"北校", u"1", u"半角数字5桁" },
        BadEntryCase { "ZeroCode", 4, u"00000", u"北校", u"1", u"半角数字5桁" },
        BadEntryCase { "FullWidthCode", 4, u"１２３４５", u"北校", u"1", u"半角数字5桁" },
        BadEntryCase { "MonthZero", 0, u"", u"北校", u"1", u"1から12" },
        BadEntryCase { "MonthThirteen", 13, u"", u"北校", u"1", u"1から12" },
        BadEntryCase { "NoPassword", 4, u"", u"北校", u"", u"パスワードを入れて" },
        BadEntryCase { "QuoteInPassword", 4, u"", u"北校", u"a\"b", u"パスワードに「\"」" }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(FirstRunCheck, FolderMustBeGivenAsAnAbsolutePath)
{
    firstrun::NewDataFolder entry;
    entry.settings.schoolName = QStringLiteral("北校");
    entry.settings.password = QStringLiteral("1");
    entry.folder = QStringLiteral("data");
    EXPECT_TRUE(firstrun::check(entry).join("").contains(QStringLiteral("絶対パス")));
    entry.folder = QString();
    EXPECT_TRUE(firstrun::check(entry).join("").contains(QStringLiteral("場所を入れて")));
}

struct ExistingFolder : ::testing::Test {
    QTemporaryDir dir;
    QString root() const { return dir.path() + QStringLiteral("/data/"); }
    firstrun::NewDataFolder entry() const
    {
        firstrun::NewDataFolder e;
        e.folder = root();
        e.settings.schoolName = QStringLiteral("新しい学校");
        e.settings.password = QStringLiteral("1");
        return e;
    }
    void write(const QString &relative, const QByteArray &bytes) const
    {
        QString error;
        ASSERT_TRUE(datafiles::writeFileAtomically(root() + relative, bytes, &error)) << error.toStdString();
    }
};

TEST_F(ExistingFolder, IsNotTouchedUnlessReplacingWasConfirmed)
{
    write("共通データ.txt", "old settings");
    write("prog/成績累積データ.dat", QByteArray(44, 'r'));
    EXPECT_EQ(firstrun::existingFiles(root(), "prog"), (QStringList { "共通データ.txt", "prog/成績累積データ.dat" }));

    QString error;
    EXPECT_FALSE(firstrun::createDataFolder(entry(), "prog", QString(), false, kNow, &error));
    EXPECT_TRUE(error.contains(root() + "共通データ.txt")) << error.toStdString();
    EXPECT_EQ(readAll(root() + "共通データ.txt"), "old settings");
    EXPECT_FALSE(QFile::exists(root() + "新名簿.txt")) << "nothing may be written before the refusal";
}

TEST_F(ExistingFolder, ReplacingKeepsDatedCopiesAndNeverTheRuns)
{
    write("共通データ.txt", "old settings");
    write("prog/成績累積データ.dat", QByteArray(44, 'r'));
    QString error;
    ASSERT_TRUE(firstrun::createDataFolder(entry(), "prog", QString(), true, kNow, &error)) << error.toStdString();
    EXPECT_EQ(readAll(root() + "共通データ_20261209-103015.txt"), "old settings");
    EXPECT_TRUE(readAll(root() + "共通データ.txt").contains(datafiles::itemFileBytes("新しい学校")));
    EXPECT_EQ(readAll(root() + "prog/成績累積データ.dat"), QByteArray(44, 'r'));
}

TEST_F(ExistingFolder, FailureHalfwayTakesBackWhatWasWritten)
{
    // A plain file where the sound folder belongs: the writer fails after
    // the settings, roster and criteria are down.
    write("共通データ.txt", "old settings");
    write("音フォルダ", "not a folder");
    QString error;
    EXPECT_FALSE(firstrun::createDataFolder(entry(), "prog", QString(), true, kNow, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("音フォルダ"))) << error.toStdString();
    EXPECT_EQ(readAll(root() + "共通データ.txt"), "old settings");
    EXPECT_FALSE(QFile::exists(root() + "共通データ_20261209-103015.txt"));
    EXPECT_FALSE(QFile::exists(root() + "新名簿.txt"));
    EXPECT_FALSE(QFile::exists(root() + "prog/タイム回数データ.txt"));
    EXPECT_FALSE(QFile::exists(root() + "prog/成績累積データ.dat"));
}

TEST_F(ExistingFolder, InstalledSoundsAreCopiedInsteadOfTheBuiltInTones)
{
    QTemporaryDir installed;
    QString error;
    ASSERT_TRUE(datafiles::writeItemFile(installed.path() + "/新音ファイル.txt", "正解音2\n声\n*\n", &error));
    ASSERT_TRUE(datafiles::writeFileAtomically(installed.path() + "/声.wav", "RIFFvoice", &error));
    ASSERT_TRUE(firstrun::createDataFolder(entry(), "prog", installed.path(), false, kNow, &error))
        << error.toStdString();
    EXPECT_EQ(readAll(root() + "音フォルダ/声.wav"), "RIFFvoice");
    EXPECT_EQ(readAll(root() + "音フォルダ/新音ファイル.txt"), readAll(installed.path() + "/新音ファイル.txt"));
    EXPECT_FALSE(QFile::exists(root() + "音フォルダ/正解1.wav"));
}

// The package installs its sounds under ASCII names; a new data folder
// gets them under the names its sound list uses, and a sound the
// administrator added there under its own name.
TEST_F(ExistingFolder, InstalledAsciiNamedSoundsArriveUnderTheirOwnNames)
{
    QTemporaryDir installed;
    QString error;
    ASSERT_TRUE(
        datafiles::writeItemFile(installed.path() + "/" + installedsounds::installedName(datafiles::kSoundListFileName),
            datafiles::defaultSoundListText(), &error));
    for (const datafiles::Tone &tone : datafiles::defaultTones()) {
        const QString name = installedsounds::installedName(tone.name + ".wav");
        ASSERT_TRUE(QString(name).remove(QRegularExpression("[ -~]")).isEmpty()) << name.toStdString();
        ASSERT_TRUE(datafiles::writeFileAtomically(installed.path() + "/" + name, "RIFF" + name.toUtf8(), &error));
    }
    ASSERT_TRUE(datafiles::writeFileAtomically(installed.path() + "/声.wav", "RIFFvoice", &error));
    ASSERT_TRUE(firstrun::createDataFolder(entry(), "prog", installed.path(), false, kNow, &error))
        << error.toStdString();

    EXPECT_EQ(
        readAll(root() + "音フォルダ/新音ファイル.txt"), datafiles::itemFileBytes(datafiles::defaultSoundListText()));
    EXPECT_EQ(readAll(root() + "音フォルダ/正解1.wav"), "RIFFcorrect1.wav");
    EXPECT_EQ(readAll(root() + "音フォルダ/合格.wav"), "RIFFgoal.wav");
    EXPECT_EQ(readAll(root() + "音フォルダ/声.wav"), "RIFFvoice");
    QStringList names = QDir(root() + "音フォルダ").entryList(QDir::Files);
    QStringList expected { "新音ファイル.txt", "声.wav" };
    for (const datafiles::Tone &tone : datafiles::defaultTones())
        expected << tone.name + ".wav";
    names.sort();
    expected.sort();
    EXPECT_EQ(names, expected) << "no installed name left in the data folder";
}

TEST_F(ExistingFolder, ChosenFolderMustHoldTheProgramsFiles)
{
    EXPECT_TRUE(firstrun::checkExistingDataFolder(root(), "prog").contains(QStringLiteral("フォルダがありません")));
    write("共通データ.txt", datafiles::itemFileBytes("4,\"北校\",0,0,0,1,0,0,0\n"));
    const QString missing = firstrun::checkExistingDataFolder(root(), "prog");
    EXPECT_TRUE(missing.contains("新名簿.txt")) << missing.toStdString();
    EXPECT_TRUE(missing.contains("prog/タイム回数データ.txt")) << missing.toStdString();
    EXPECT_TRUE(missing.contains("音フォルダ/新音ファイル.txt")) << missing.toStdString();

    write("新名簿.txt", "");
    write("prog/タイム回数データ.txt", datafiles::itemFileBytes(datafiles::defaultCriteriaText()));
    write("音フォルダ/新音ファイル.txt", datafiles::itemFileBytes(datafiles::defaultSoundListText()));
    EXPECT_TRUE(firstrun::checkExistingDataFolder(root(), "prog").contains(QStringLiteral("9項目")));
    write("共通データ.txt", datafiles::itemFileBytes("4,\"北校\",0,0,0,1,0,0,0,0\n"));
    EXPECT_EQ(firstrun::checkExistingDataFolder(root(), "prog"), QString());
}

TEST(DatedCopy, TakesTheNextFreeNameWithinTheSameSecond)
{
    QTemporaryDir dir;
    const QString file = dir.path() + "/新名簿.txt";
    QString error;
    ASSERT_TRUE(datafiles::writeFileAtomically(file, "v1", &error));
    QString first, second;
    ASSERT_TRUE(sharedfolder::keepDatedCopy(file, kNow, &first, &error));
    ASSERT_TRUE(sharedfolder::keepDatedCopy(file, kNow, &second, &error));
    EXPECT_EQ(first, dir.path() + "/新名簿_20261209-103015.txt");
    EXPECT_EQ(second, dir.path() + "/新名簿_20261209-103015_2.txt");
    EXPECT_EQ(readAll(second), "v1");
}

TEST(AtomicWrite, AFolderThatCannotBeMadeIsReportedByName)
{
    QTemporaryDir dir;
    QString error;
    ASSERT_TRUE(datafiles::writeFileAtomically(dir.path() + "/blocker", "x", &error));
    EXPECT_FALSE(datafiles::writeFileAtomically(dir.path() + "/blocker/sub/file.txt", "y", &error));
    EXPECT_TRUE(error.contains(dir.path() + "/blocker/sub")) << error.toStdString();
}

} // namespace
