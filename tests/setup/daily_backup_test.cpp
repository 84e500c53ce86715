// SPDX-License-Identifier: MIT
#include "platform/program_log.h"
#include "setup/daily_backup.h"
#include "startup/startup_loader.h"
#include "state/shared_state.h"
#include "support/data_root.h"
#include "support/fake_navigator.h"
#include "support/fakes.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace {

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

using Kind = dailybackup::Outcome::Kind;

struct DailyCopy : ::testing::Test {
    TestInstall install;
    FakePlatform fakes;
    std::unique_ptr<SharedState> state = std::make_unique<SharedState>();

    void SetUp() override
    {
        install.writeDefaults();
        install.writeRoster(QString());
        ASSERT_TRUE(LoadFoldersAndSettings(*state, fakes.platform, install.programFolder()));
        writeResults(QByteArray(88, 'r'));
    }
    QString results() const { return install.programDataFolder() + QStringLiteral("成績累積データ.dat"); }
    QString folder() const { return install.dataRoot() + QStringLiteral("バックアップ/prog/"); }
    void writeResults(const QByteArray &bytes) const { install.writeBytes(results(), bytes); }
    QStringList filesInFolder() const { return QDir(folder()).entryList(QDir::Files | QDir::Hidden, QDir::Name); }
    dailybackup::Outcome startOn(const QDate &day)
    {
        fakes.clock.set(QDateTime(day, QTime(8, 0)));
        return dailybackup::makeTodaysCopy(*state, fakes.clock);
    }
};

TEST_F(DailyCopy, TheFirstStartOfADayCopiesTheResultsAndLaterStartsDoNot)
{
    const dailybackup::Outcome first = startOn(QDate(2026, 12, 9));
    ASSERT_EQ(first.kind, Kind::Made) << first.message.toStdString();
    EXPECT_EQ(first.path, folder() + QStringLiteral("成績累積データ_20261209.dat"));
    EXPECT_EQ(readAll(first.path), QByteArray(88, 'r'));
    EXPECT_TRUE(first.message.contains(first.path));

    writeResults(QByteArray(132, 's'));
    EXPECT_EQ(startOn(QDate(2026, 12, 9)).kind, Kind::AlreadyMade);
    EXPECT_EQ(readAll(first.path), QByteArray(88, 'r')) << "the day's copy is the first start's";
    EXPECT_EQ(startOn(QDate(2026, 12, 10)).kind, Kind::Made);
    EXPECT_EQ(readAll(folder() + QStringLiteral("成績累積データ_20261210.dat")), QByteArray(132, 's'));
    EXPECT_EQ(filesInFolder().size(), 2) << filesInFolder().join(' ').toStdString();
}

// The first PC of the day may start under a pupil's account; a teacher's
// account must still be able to remove or replace what it made.
TEST_F(DailyCopy, InAGroupWritableDataFolderTheCopiesAreGroupWritable)
{
    ASSERT_EQ(::chmod(QFile::encodeName(install.dataRoot()).constData(), 02775), 0);
    const mode_t oldMask = ::umask(022);
    const dailybackup::Outcome made = startOn(QDate(2026, 12, 9));
    ::umask(oldMask);
    ASSERT_EQ(made.kind, Kind::Made) << made.message.toStdString();
    for (const QString &path : { QDir::cleanPath(install.dataRoot() + QStringLiteral("バックアップ")),
             QDir::cleanPath(folder()), made.path }) {
        struct stat info;
        ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0) << path.toStdString();
        EXPECT_EQ(info.st_mode & 0060, 0060u) << path.toStdString();
        EXPECT_EQ(info.st_mode & 0002, 0u) << path.toStdString();
    }
}

TEST_F(DailyCopy, OnlyTheNewestFourteenAreKept)
{
    QDir().mkpath(folder());
    for (int day = 1; day <= 20; ++day)
        install.writeBytes(folder() + dailybackup::copyNameFor(QDate(2026, 11, day)), "old");
    install.writeBytes(folder() + QStringLiteral("メモ.txt"), "the administrator's own file");
    ASSERT_EQ(startOn(QDate(2026, 12, 9)).kind, Kind::Made);
    const QStringList copies = dailybackup::copies(*state);
    ASSERT_EQ(copies.size(), dailybackup::kKeptCopies);
    EXPECT_EQ(copies.first(), folder() + QStringLiteral("成績累積データ_20261209.dat"));
    EXPECT_EQ(copies.last(), folder() + QStringLiteral("成績累積データ_20261108.dat"));
    EXPECT_TRUE(QFile::exists(folder() + QStringLiteral("メモ.txt")));
}

TEST_F(DailyCopy, AClaimOfAnotherPcIsLeftToItAndAnOldOneIsCleared)
{
    QDir().mkpath(folder());
    // Another PC is writing today's copy; one stopped while writing last week's.
    install.writeBytes(folder() + QStringLiteral(".成績累積データ_20261209.dat.part"), "half");
    install.writeBytes(folder() + QStringLiteral(".成績累積データ_20261202.dat.part"), "half");
    const dailybackup::Outcome busy = startOn(QDate(2026, 12, 9));
    EXPECT_EQ(busy.kind, Kind::MadeElsewhere) << busy.message.toStdString();
    EXPECT_FALSE(QFile::exists(busy.path)) << "nobody sees half a copy";
    EXPECT_EQ(readAll(folder() + QStringLiteral(".成績累積データ_20261209.dat.part")), "half");

    // The next day the PC that claimed the 9th is taken to have stopped.
    ASSERT_EQ(startOn(QDate(2026, 12, 10)).kind, Kind::Made);
    EXPECT_EQ(filesInFolder(), QStringList { QStringLiteral("成績累積データ_20261210.dat") });
}

TEST_F(DailyCopy, NothingToCopyAndNowhereToCopyAreSaid)
{
    QFile::remove(results());
    EXPECT_EQ(startOn(QDate(2026, 12, 9)).kind, Kind::NoResultsFile);
    EXPECT_FALSE(QFileInfo::exists(install.dataRoot() + QStringLiteral("バックアップ")));

    writeResults("r");
    install.writeBytes(install.dataRoot() + QStringLiteral("バックアップ"), "a file in the way");
    const dailybackup::Outcome blocked = startOn(QDate(2026, 12, 9));
    EXPECT_EQ(blocked.kind, Kind::Failed);
    EXPECT_TRUE(blocked.message.contains(QDir::cleanPath(folder()))) << blocked.message.toStdString();
}

// Thirty PCs of one classroom started at once on one share. Whatever the
// order the system runs them in, one makes the copy, none sees half of it
// and no claim is left behind.
TEST_F(DailyCopy, ThirtyStartsAtOnceMakeOneCopy)
{
    constexpr int kPcs = 30;
    std::vector<FakeClock> clocks(kPcs, FakeClock(QDateTime(QDate(2026, 12, 9), QTime(8, 0))));
    std::vector<Kind> kinds(kPcs, Kind::Failed);
    std::atomic<int> ready { 0 };
    std::vector<std::thread> pcs;
    for (int i = 0; i < kPcs; ++i) {
        pcs.emplace_back([&, i] {
            ++ready;
            while (ready < kPcs)
                std::this_thread::yield();
            kinds[size_t(i)] = dailybackup::makeTodaysCopy(*state, clocks[size_t(i)]).kind;
        });
    }
    for (std::thread &pc : pcs)
        pc.join();
    EXPECT_EQ(std::count(kinds.begin(), kinds.end(), Kind::Made), 1);
    EXPECT_EQ(std::count(kinds.begin(), kinds.end(), Kind::Failed), 0);
    EXPECT_EQ(filesInFolder(), QStringList { QStringLiteral("成績累積データ_20261209.dat") });
    EXPECT_EQ(readAll(folder() + QStringLiteral("成績累積データ_20261209.dat")), QByteArray(88, 'r'));
}

TEST_F(DailyCopy, StartUpMakesTheCopyAndWritesItInTheLog)
{
    QTemporaryDir logDir;
    ProgramLog log(logDir.path() + QStringLiteral("/rukamina.log"), fakes.clock);
    fakes.platform.log = &log;
    FakeNavigator navigator;
    ASSERT_TRUE(FinishStartUp(*state, fakes.platform, navigator, install.programFolder()));
    const QString copy = folder() + dailybackup::copyNameFor(fakes.clock.today());
    EXPECT_TRUE(QFile::exists(copy));
    EXPECT_TRUE(QString::fromUtf8(readAll(log.path())).contains(copy));
    EXPECT_EQ(navigator.calls.last(), QStringLiteral("showNameSelection"));
}

TEST_F(DailyCopy, TheCheckSaysWhereTheCopiesAreAndHowToRestoreOne)
{
    QStringList lines = dailybackup::describe(*state);
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].contains(folder() + QStringLiteral(" にはまだありません"))) << lines[0].toStdString();

    startOn(QDate(2026, 12, 8));
    startOn(QDate(2026, 12, 9));
    lines = dailybackup::describe(*state);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].contains(folder() + QStringLiteral(" に 2 件"))) << lines[0].toStdString();
    EXPECT_TRUE(lines[0].contains(QStringLiteral("最新は 成績累積データ_20261209.dat")));
    EXPECT_TRUE(lines[1].contains(results())) << lines[1].toStdString();
}

} // namespace
