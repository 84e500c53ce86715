// SPDX-License-Identifier: MIT
#include "platform/atomic_file.h"
#include "platform/file_lock.h"
#include "support/file_call_faults.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const char *const kTarget = "ATOMIC_CHILD_TARGET";

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void write(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// Two contents, each recognisable whole: a long run of one letter.
QByteArray content(char letter)
{
    return QByteArray(4 * 1024 * 1024, letter);
}

TEST(AtomicFile, ReplacesTheContentAndLeavesNothingBeside)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/タイム回数データ.txt");
    write(path, "old\r\n");
    ::chmod(QFile::encodeName(path).constData(), 0640);
    QString error;
    ASSERT_TRUE(replaceFileAtomically(path, "new content\r\n", &error)) << error.toStdString();
    EXPECT_EQ(readAll(path), QByteArray("new content\r\n"));
    struct stat info;
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    EXPECT_EQ(
        QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList { QStringLiteral("タイム回数データ.txt") });
}

TEST(AtomicFile, CreatesAMissingFile)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/new.txt");
    QString error;
    ASSERT_TRUE(replaceFileAtomically(path, "x", &error));
    EXPECT_EQ(readAll(path), QByteArray("x"));
}

TEST(AtomicFile, FailureNamesTheFileAndKeepsTheOldContent)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into a read-only folder";
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/ro");
    ASSERT_TRUE(QDir().mkpath(folder));
    const QString path = folder + QStringLiteral("/タイム回数データ.txt");
    write(path, "old");
    ::chmod(QFile::encodeName(folder).constData(), 0555);
    QString error;
    EXPECT_FALSE(replaceFileAtomically(path, "new", &error));
    ::chmod(QFile::encodeName(folder).constData(), 0755);
    EXPECT_TRUE(error.contains(path)) << error.toStdString();
    EXPECT_EQ(readAll(path), QByteArray("old"));
}

TEST(AtomicFile, FailedRenameLeavesNothingBeside)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/busy");
    ASSERT_TRUE(QDir().mkpath(path + QStringLiteral("/inside")));
    QString error;
    EXPECT_FALSE(replaceFileAtomically(path, "new", &error));
    EXPECT_TRUE(error.contains(path));
    EXPECT_TRUE(QFileInfo(path).isDir());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList { QStringLiteral("busy") });
}

TEST(AtomicFile, MissingFolderIsAFailure)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/none/x.txt");
    QString error;
    EXPECT_FALSE(replaceFileAtomically(path, "new", &error));
    EXPECT_TRUE(error.contains(path));
}

QStringList everythingIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

TEST(AtomicFile, StreamedPiecesMakeTheWholeContent)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/runs.csv");
    write(path, "old");
    FileReplacement replacement(path);
    ASSERT_TRUE(replacement.ok()) << replacement.error().toStdString();
    QByteArray expected;
    for (int i = 0; i < 1000; ++i) {
        const QByteArray piece = QByteArray::number(i) + ",行\r\n";
        ASSERT_TRUE(replacement.write(piece));
        expected += piece;
    }
    // Nothing shows under the name before the commit.
    EXPECT_EQ(readAll(path), QByteArray("old"));
    ASSERT_TRUE(replacement.commit()) << replacement.error().toStdString();
    EXPECT_EQ(readAll(path), expected);
    EXPECT_TRUE(replacement.note().isEmpty()) << replacement.note().toStdString();
    EXPECT_EQ(everythingIn(dir.path()), QStringList { QStringLiteral("runs.csv") });
}

TEST(AtomicFile, TwoReplacementsAtOnceWriteTwoTemporaryFiles)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/新名簿.txt");
    write(path, "old");
    FileReplacement first(path);
    FileReplacement second(path);
    ASSERT_TRUE(first.ok() && second.ok());
    EXPECT_EQ(everythingIn(dir.path()).size(), 3);
    ASSERT_TRUE(first.write("first") && second.write("second"));
    ASSERT_TRUE(first.commit());
    ASSERT_TRUE(second.commit());
    EXPECT_EQ(readAll(path), QByteArray("second"));
    EXPECT_EQ(everythingIn(dir.path()), QStringList { QStringLiteral("新名簿.txt") });
}

TEST(AtomicFile, AbandonedReplacementLeavesTheOldFileAndNothingBeside)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/pupils.csv");
    write(path, "old");
    {
        FileReplacement replacement(path);
        ASSERT_TRUE(replacement.write("half of it"));
    }
    EXPECT_EQ(readAll(path), QByteArray("old"));
    EXPECT_EQ(everythingIn(dir.path()), QStringList { QStringLiteral("pupils.csv") });
}

// A full disk, a quota, a share gone away or a refused rename at any step:
// the old file stays whole, nothing is left beside it, and the message
// names the file and the system's reason.
struct StepFailure {
    const char *name;
    file_call_faults::Call call;
    int error;
    int nth;
};
class AtomicFileFailure : public ::testing::TestWithParam<StepFailure> { };
INSTANTIATE_TEST_SUITE_P(Steps, AtomicFileFailure,
    ::testing::Values(StepFailure { "FirstWriteDiskFull", file_call_faults::Call::Write, ENOSPC, 1 },
        StepFailure { "LaterWriteOverQuota", file_call_faults::Call::Write, EDQUOT, 3 },
        StepFailure { "FlushIoError", file_call_faults::Call::Fsync, EIO, 1 },
        StepFailure { "CloseOnAStaleShare", file_call_faults::Call::Close, ESTALE, 1 },
        StepFailure { "RenameRefused", file_call_faults::Call::Rename, EACCES, 1 }),
    [](const auto &info) { return std::string(info.param.name); });

TEST_P(AtomicFileFailure, KeepsTheOldFileAndSaysWhichFileAndWhy)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/タイム回数データ.txt");
    write(path, "old");
    bool written = false;
    QString error;
    int failed = 0;
    {
        file_call_faults::Scope faults(GetParam().call, GetParam().error, GetParam().nth);
        FileReplacement replacement(path);
        for (int i = 0; i < 4; ++i)
            replacement.write(QByteArray(1000, 'n'));
        written = replacement.commit();
        error = replacement.error();
        failed = faults.failed();
    }
    EXPECT_EQ(failed, 1);
    EXPECT_FALSE(written);
    EXPECT_EQ(readAll(path), QByteArray("old"));
    EXPECT_EQ(everythingIn(dir.path()), QStringList { QStringLiteral("タイム回数データ.txt") });
    EXPECT_TRUE(error.contains(path)) << error.toStdString();
    EXPECT_TRUE(error.contains(QString::fromLocal8Bit(std::strerror(GetParam().error)))) << error.toStdString();
}

// What a crash leaves beside a file goes the next time the same file is
// replaced, but never a file someone may still be writing.
struct Leftover {
    const char *name;
    const char *fileName;
    int ageSeconds;
    bool heldByItsWriter;
    bool removed;
};
class AtomicFileLeftover : public ::testing::TestWithParam<Leftover> { };
INSTANTIATE_TEST_SUITE_P(Cases, AtomicFileLeftover,
    ::testing::Values(Leftover { "QuietAndUnheld", ".新名簿.txt.4242.k3j9x.tmp", 120, false, true },
        Leftover { "JustWritten", ".新名簿.txt.4242.k3j9x.tmp", 0, false, false },
        Leftover { "HeldByItsWriter", ".新名簿.txt.4242.k3j9x.tmp", 3600, true, false },
        Leftover { "AnotherFilesTemporary", ".共通データ.txt.4242.k3j9x.tmp", 3600, false, false },
        Leftover { "NotATemporaryName", ".新名簿.txt.backup", 3600, false, false },
        Leftover { "TheUserFileItself", "新名簿.txt.4242.k3j9x.tmp", 3600, false, false }),
    [](const auto &info) { return std::string(info.param.name); });

TEST_P(AtomicFileLeftover, IsRemovedOnlyWhenNobodyCanStillBeWritingIt)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/新名簿.txt");
    write(path, "old");
    const QString leftover = dir.path() + QLatin1Char('/') + QString::fromUtf8(GetParam().fileName);
    write(leftover, "half");
    const QByteArray name = QFile::encodeName(leftover);
    const timespec when[2]
        = { { ::time(nullptr) - GetParam().ageSeconds, 0 }, { ::time(nullptr) - GetParam().ageSeconds, 0 } };
    ASSERT_EQ(::utimensat(AT_FDCWD, name.constData(), when, 0), 0);
    const int writer = ::open(name.constData(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(writer, 0);
    if (GetParam().heldByItsWriter) {
        ASSERT_EQ(tryLockWholeFile(writer), LockAttempt::Acquired);
    }

    QString error;
    ASSERT_TRUE(replaceFileAtomically(path, "new", &error)) << error.toStdString();
    ::close(writer);
    EXPECT_EQ(readAll(path), QByteArray("new"));
    EXPECT_EQ(QFileInfo::exists(leftover), !GetParam().removed);
}

TEST(AtomicFile, RootKeepsTheOwnerGroupAndModeOfAnotherAccountsFile)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root may give a file to another account";
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/成績累積データ.dat");
    write(path, "old");
    const QByteArray name = QFile::encodeName(path);
    ASSERT_EQ(::chown(name.constData(), 23456, 12345), 0);
    ASSERT_EQ(::chmod(name.constData(), 0664), 0);
    QString error;
    QString note = QStringLiteral("unset");
    ASSERT_TRUE(replaceFileAtomically(path, "new", &error, &note)) << error.toStdString();
    struct stat info;
    ASSERT_EQ(::stat(name.constData(), &info), 0);
    EXPECT_EQ(info.st_uid, 23456u);
    EXPECT_EQ(info.st_gid, 12345u);
    EXPECT_EQ(info.st_mode & 07777, 0664u);
    EXPECT_TRUE(note.isEmpty()) << note.toStdString();
}

// Not a test of its own: a child that saves the two contents in turn until
// it is killed.
TEST(AtomicFileChild, DISABLED_SavesUntilKilled)
{
    const QString path = qEnvironmentVariable(kTarget);
    ASSERT_FALSE(path.isEmpty());
    const QByteArray a = content('a');
    const QByteArray b = content('b');
    std::printf("saving\n");
    std::fflush(stdout);
    for (int i = 0;; ++i) {
        QString error;
        ASSERT_TRUE(replaceFileAtomically(path, i % 2 ? a : b, &error)) << error.toStdString();
    }
}

TEST(AtomicFile, CopyKilledWhileSavingLeavesTheOldOrTheNewFileComplete)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/タイム回数データ.txt");
    write(path, content('a'));
    std::mt19937 random(7);
    for (int round = 0; round < 6; ++round) {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QString::fromLatin1(kTarget), path);
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(),
            { QStringLiteral("--gtest_also_run_disabled_tests"),
                QStringLiteral("--gtest_filter=AtomicFileChild.DISABLED_SavesUntilKilled") });
        QByteArray out;
        while (!out.contains("saving\n") && child.waitForReadyRead(30000))
            out += child.readAllStandardOutput();
        ASSERT_TRUE(out.contains("saving\n")) << child.readAllStandardError().toStdString();
        ::usleep(useconds_t(20000 + random() % 200000));
        child.kill();
        ASSERT_TRUE(child.waitForFinished(30000));
        ASSERT_EQ(child.exitStatus(), QProcess::CrashExit) << "the child stopped saving on its own";

        const QByteArray now = readAll(path);
        EXPECT_TRUE(now == content('a') || now == content('b')) << "round " << round << ": " << now.size() << " bytes";
    }
}

} // namespace
