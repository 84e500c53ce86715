// SPDX-License-Identifier: MIT
#include "platform/atomic_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>
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
