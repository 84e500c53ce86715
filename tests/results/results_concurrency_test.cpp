// SPDX-License-Identifier: MIT
// Several copies of the program appending to one results file at once, as
// classroom PCs on one share do. The copies are real processes: this test
// binary started again with a role in its environment.
#include "platform/cp932.h"
#include "platform/file_lock.h"
#include "results/results_file.h"
#include "results/results_loader.h"
#include "results_support.h"

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <map>
#include <unistd.h>

using namespace results_test;

namespace {

const char *const kRole = "RESULTS_CHILD_ROLE";
const char *const kFolder = "RESULTS_CHILD_FOLDER";
const char *const kId = "RESULTS_CHILD_ID";
const char *const kCount = "RESULTS_CHILD_COUNT";

// A child has no one to show a message box to.
class ExitingFatal final : public FatalErrors {
public:
    void fatal(const QString &title, const QString &message) override
    {
        std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(message));
        std::fflush(stderr);
        _exit(3);
    }
};

int childLevel(int id)
{
    return 1 + id % 35;
}

QString childSchoolCode(int id)
{
    return QStringLiteral("S%1").arg(id);
}

// The record a child writes as its n-th: who and which are in the fields,
// so every record can be checked whole.
void expectWholeChildRecord(const ResultRecord &r, int children, int perChild)
{
    ASSERT_GE(r.pupilNumber, 1);
    ASSERT_LE(r.pupilNumber, children);
    ASSERT_GE(r.seconds, 0);
    ASSERT_LT(r.seconds, perChild);
    EXPECT_EQ(r.level, childLevel(r.pupilNumber));
    const QByteArray code = cp932::encode(childSchoolCode(r.pupilNumber)).leftJustified(5, ' ');
    EXPECT_EQ(QByteArray(r.schoolCode.data(), 5), code);
    EXPECT_EQ(QByteArray(r.reserved1.data(), 5), QByteArray("     "));
    EXPECT_EQ(QByteArray(r.reserved2.data(), 5), QByteArray("0    "));
    EXPECT_EQ(QByteArray(r.reserved3.data(), 5), QByteArray(5, '\0'));
    EXPECT_EQ(r.date, std::floor(r.date));
    EXPECT_GT(r.date, 40000);
    EXPECT_GE(r.timeOfDay, 0.0);
    EXPECT_LT(r.timeOfDay, 1.0);
}

QProcess *startChild(const QString &role, const QString &folder, int id, int count)
{
    auto *process = new QProcess;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QString::fromLatin1(kRole), role);
    env.insert(QString::fromLatin1(kFolder), folder);
    env.insert(QString::fromLatin1(kId), QString::number(id));
    env.insert(QString::fromLatin1(kCount), QString::number(count));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process->setProcessEnvironment(env);
    process->setProcessChannelMode(QProcess::SeparateChannels);
    process->start(QCoreApplication::applicationFilePath(),
        { QStringLiteral("--gtest_also_run_disabled_tests"),
            QStringLiteral("--gtest_filter=ResultsChild.DISABLED_ActsOutItsRole") });
    return process;
}

void expectFinishedCleanly(QProcess *process)
{
    if (process->state() != QProcess::NotRunning) {
        ASSERT_TRUE(process->waitForFinished(120000));
    }
    EXPECT_EQ(process->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process->exitCode(), 0) << process->readAllStandardError().toStdString();
}

// Not a test of its own: the body of a child process.
TEST(ResultsChild, DISABLED_ActsOutItsRole)
{
    const QString role = qEnvironmentVariable(kRole);
    const QString folder = qEnvironmentVariable(kFolder);
    const int id = qEnvironmentVariableIntValue(kId);
    const int count = qEnvironmentVariableIntValue(kCount);
    ASSERT_FALSE(folder.isEmpty());

    if (role == QStringLiteral("append")) {
        SystemClock clock;
        ExitingFatal fatal;
        FakeSound sound;
        FakeLauncher launcher;
        Platform platform { clock, fatal, sound, launcher };
        auto state = std::make_unique<SharedState>();
        state->ProgramDataFolder = folder;
        state->PupilNumber = std::int16_t(id);
        state->CurrentLevel = std::int16_t(childLevel(id));
        state->SchoolCode = childSchoolCode(id);
        for (int i = 0; i < count; ++i) {
            state->RecordedTime = i;
            ASSERT_TRUE(成績ランダムファイル記録(*state, platform));
        }
    } else if (role == QStringLiteral("hold")) {
        const QString path = folder + QStringLiteral("成績累積データ.dat");
        const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(tryLockWholeFile(fd), LockAttempt::Acquired);
        std::printf("locked\n");
        std::fflush(stdout);
        ::sleep(120); // until killed
    } else {
        FAIL() << "unknown role";
    }
}

TEST(ResultsConcurrency, EightCopiesAppendingAtOnceLoseAndDuplicateNothing)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/");
    constexpr int kChildren = 8;
    constexpr int kEach = 500;
    std::vector<std::unique_ptr<QProcess>> children;
    for (int id = 1; id <= kChildren; ++id)
        children.emplace_back(startChild(QStringLiteral("append"), folder, id, kEach));
    for (auto &child : children)
        expectFinishedCleanly(child.get());

    const QString path = folder + QStringLiteral("成績累積データ.dat");
    const QByteArray bytes = readFile(path);
    ASSERT_EQ(bytes.size(), kChildren * kEach * kRecordLength);
    std::map<std::pair<int, int>, int> seen;
    for (int i = 0; i < kChildren * kEach; ++i) {
        const ResultRecord r = decodeRecord(bytes.constData() + i * kRecordLength);
        expectWholeChildRecord(r, kChildren, kEach);
        ++seen[{ r.pupilNumber, r.seconds }];
    }
    EXPECT_EQ(seen.size(), size_t(kChildren * kEach));
    for (const auto &[key, times] : seen)
        EXPECT_EQ(times, 1) << key.first << "/" << key.second;
}

// Rewrites the file the way a teacher's deletion does, keeping every
// record: under the old file's lock, the content written beside it and
// renamed over the name.
void replaceUnderLock(const QString &path)
{
    SystemClock clock;
    ResultsFile file;
    ASSERT_EQ(openLockedResultsFile(path, clock, file, OpenRetry::Once), 0);
    WholeFileLock lock(file.handle());
    int error = 0;
    const qint64 count = file.recordCount(&error);
    ASSERT_GE(count, 0) << error;
    std::vector<char> bytes;
    ASSERT_EQ(file.readRecords(1, count, bytes, &error), count) << error;
    const QString beside = path + QStringLiteral(".rewrite");
    writeFile(beside, QByteArray(bytes.data(), qsizetype(bytes.size())));
    ASSERT_EQ(::rename(QFile::encodeName(beside).constData(), QFile::encodeName(path).constData()), 0);
}

// Every append that waited on the old file's lock moves to the file the
// name points to now; none lands in a file nobody reads any more.
TEST(ResultsConcurrency, FourCopiesAppendingWhileTheFileIsReplacedLoseNothing)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/");
    const QString path = folder + QStringLiteral("成績累積データ.dat");
    writeFile(path, QByteArray());
    constexpr int kChildren = 4;
    constexpr int kEach = 400;
    std::vector<std::unique_ptr<QProcess>> children;
    for (int id = 1; id <= kChildren; ++id)
        children.emplace_back(startChild(QStringLiteral("append"), folder, id, kEach));
    auto running = [&] {
        for (auto &c : children) {
            c->waitForFinished(0); // lets QProcess notice a child that ended
            if (c->state() != QProcess::NotRunning)
                return true;
        }
        return false;
    };
    int replacements = 0;
    while (running()) {
        replaceUnderLock(path);
        if (::testing::Test::HasFatalFailure())
            return;
        ++replacements;
        // Room for the copies between two rewrites, as a teacher leaves.
        ::usleep(2000);
    }
    for (auto &child : children)
        expectFinishedCleanly(child.get());
    std::printf("%d replacements while the copies appended\n", replacements);

    const QByteArray bytes = readFile(path);
    ASSERT_EQ(bytes.size(), kChildren * kEach * kRecordLength);
    std::map<int, int> nextOfChild;
    for (int i = 0; i < kChildren * kEach; ++i) {
        const ResultRecord r = decodeRecord(bytes.constData() + i * kRecordLength);
        expectWholeChildRecord(r, kChildren, kEach);
        // Each copy's runs arrive once each, in the order it stored them.
        EXPECT_EQ(r.seconds, nextOfChild[r.pupilNumber]++) << "record " << i + 1;
    }
    for (int id = 1; id <= kChildren; ++id)
        EXPECT_EQ(nextOfChild[id], kEach);
}

TEST(ResultsConcurrency, CopyKilledWhileHoldingTheLockBlocksNoOne)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/");
    const QString path = folder + QStringLiteral("成績累積データ.dat");
    std::unique_ptr<QProcess> holder(startChild(QStringLiteral("hold"), folder, 1, 0));
    QByteArray out;
    while (!out.contains("locked\n") && holder->waitForReadyRead(30000))
        out += holder->readAllStandardOutput();
    ASSERT_TRUE(out.contains("locked\n")) << holder->readAllStandardError().toStdString();

    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(tryLockWholeFile(fd), LockAttempt::Busy);

    holder->kill(); // SIGKILL: no chance to unlock
    ASSERT_TRUE(holder->waitForFinished(30000));
    EXPECT_EQ(tryLockWholeFile(fd), LockAttempt::Acquired);
    ASSERT_TRUE(unlockWholeFile(fd));
    ::close(fd);

    ResultsEnv env;
    env.state->ProgramDataFolder = folder;
    HookClock clock;
    Platform platform { clock, env.fakes.fatal, env.fakes.sound, env.fakes.launcher };
    env.state->PupilNumber = 1;
    env.state->CurrentLevel = 1;
    env.state->RecordedTime = 42;
    ASSERT_TRUE(成績ランダムファイル記録(*env.state, platform));
    EXPECT_TRUE(clock.waits.empty());
    EXPECT_EQ(resultRecordCount(path), 1);
}

TEST(ResultsConcurrency, ReaderDuringAppendsSeesOnlyWholeRecords)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/");
    const QString path = folder + QStringLiteral("成績累積データ.dat");
    constexpr int kChildren = 4;
    constexpr int kEach = 1500;
    std::vector<std::unique_ptr<QProcess>> children;
    for (int id = 1; id <= kChildren; ++id)
        children.emplace_back(startChild(QStringLiteral("append"), folder, id, kEach));

    ResultsEnv env;
    env.state->ProgramDataFolder = folder;
    SharedState &state = *env.state;
    qint64 lastCount = 0;
    int loads = 0;
    auto running = [&] {
        for (auto &c : children)
            if (c->state() != QProcess::NotRunning)
                return true;
        return false;
    };
    while (running() || loads == 0) {
        QString error;
        auto records = readResultRecords(path, 1, &error);
        if (!records) // before the first child created the file
            continue;
        ASSERT_GE(qint64(records->size()), lastCount);
        lastCount = qint64(records->size());
        for (const ResultRecord &r : *records) {
            expectWholeChildRecord(r, kChildren, kEach);
            if (::testing::Test::HasFailure())
                return;
        }
        ASSERT_TRUE(成績ランダムファイル表示(state, env.fakes.platform));
        for (int i = 1; i <= state.LoadedRecordCount; ++i) {
            ASSERT_GE(state.RecPupil[size_t(i)], 1);
            ASSERT_LE(state.RecPupil[size_t(i)], kChildren);
            ASSERT_EQ(state.RecLevel[size_t(i)], childLevel(state.RecPupil[size_t(i)]));
            ASSERT_LT(state.RecTime[size_t(i)], kEach);
        }
        ++loads;
        for (auto &c : children)
            c->waitForFinished(0); // lets QProcess notice a child that ended
    }
    for (auto &child : children)
        expectFinishedCleanly(child.get());
    EXPECT_GT(loads, 1);
    EXPECT_EQ(resultRecordCount(path), kChildren * kEach);
}

} // namespace
