// SPDX-License-Identifier: MIT
// A results file the program may not open: the run waits until someone
// fixes the permission and is then recorded, and meanwhile the screen says
// why. Permissions do not bind root, so as root the scene is played in a
// child process under an unprivileged user.
#include "results/results_file.h"
#include "results/results_loader.h"
#include "results_support.h"

#include <QDir>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace results_test;

namespace {

// Failure codes of a scene, so the parent can say what went wrong.
enum Scene : int { Passed = 0, NoFolder = 10, NotRefused, Failed, NoNotice, NoticeText, NoticeLeft, NotWritten };

// Runs `scene` (returning a Scene code) where a file's mode bits bind.
int runWherePermissionsBind(const std::function<int(const QString &folder)> &scene)
{
    const pid_t child = fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(NoFolder);
        char folder[] = "/tmp/permission-wait-XXXXXX";
        if (!mkdtemp(folder))
            _exit(NoFolder);
        const int code = scene(QString::fromLocal8Bit(folder) + QLatin1Char('/'));
        QDir(QString::fromLocal8Bit(folder)).removeRecursively();
        _exit(code);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

// A state pointing at `folder` whose results file exists but may not be
// opened, and a clock that gives the permission back at the third wait.
struct LockedOutFile {
    std::unique_ptr<SharedState> state = std::make_unique<SharedState>();
    HookClock clock;
    FakePlatform fakes;
    Platform platform { clock, fakes.fatal, fakes.sound, fakes.launcher, &fakes.notice };
    QByteArray path;

    explicit LockedOutFile(const QString &folder)
    {
        state->ProgramDataFolder = folder;
        state->ProgramName = QStringLiteral("ルカミナ");
        state->TargetTime[1] = 60;
        path = QFile::encodeName(resultsFilePath(*state));
        const int fd = ::open(path.constData(), O_CREAT | O_WRONLY, 0666);
        if (fd >= 0)
            ::close(fd);
        ::chmod(path.constData(), 0);
        clock.onWait = [this](int waits) {
            if (waits == 3)
                ::chmod(path.constData(), 0644);
        };
    }
    bool refusedNow() const { return ::access(path.constData(), R_OK) != 0 && errno == EACCES; }
    // The notice named the file, the reason and whom to call, and is gone.
    int noticeCode() const
    {
        if (fakes.notice.shown.isEmpty())
            return NoNotice;
        const QString text = fakes.notice.shown.front();
        if (!text.contains(resultsFilePath(*state)) || !text.contains(QStringLiteral("先生を呼びなさい"))
            || !text.contains(fileErrorDescription(EACCES)))
            return NoticeText;
        return fakes.notice.showing ? NoticeLeft : Passed;
    }
};

TEST(PermissionWait, FinishedRunWaitsWithANoticeAndIsRecordedOncePermitted)
{
    const int code = runWherePermissionsBind([](const QString &folder) {
        LockedOutFile scene(folder);
        if (!scene.refusedNow())
            return int(NotRefused);
        scene.state->PupilNumber = 7;
        scene.state->CurrentLevel = 1;
        scene.state->RecordedTime = 42;
        if (!成績ランダムファイル記録(*scene.state, scene.platform) || scene.fakes.fatal.called())
            return int(Failed);
        if (const int notice = scene.noticeCode())
            return notice;
        const QByteArray bytes = readFile(resultsFilePath(*scene.state));
        if (bytes.size() != kRecordLength || decodeRecord(bytes.constData()).seconds != 42)
            return int(NotWritten);
        return int(Passed);
    });
    EXPECT_EQ(code, Passed);
}

TEST(PermissionWait, LoadingWaitsWithANoticeAndLoadsOncePermitted)
{
    const int code = runWherePermissionsBind([](const QString &folder) {
        LockedOutFile scene(folder);
        ::chmod(scene.path.constData(), 0644);
        writeFile(resultsFilePath(*scene.state), encodeRecord(makeRecord(46365, 7, 1, 42)));
        ::chmod(scene.path.constData(), 0);
        if (!scene.refusedNow())
            return int(NotRefused);
        if (!成績ランダムファイル表示(*scene.state, scene.platform) || scene.fakes.fatal.called())
            return int(Failed);
        if (const int notice = scene.noticeCode())
            return notice;
        return scene.state->LoadedRecordCount == 1 && scene.state->BestTime(1, 7) == 42 ? int(Passed) : int(NotWritten);
    });
    EXPECT_EQ(code, Passed);
}

// The readers of the hub's lists and the graphs wait the same way, and are
// asked where to start again at each attempt, the file may have grown.
TEST(PermissionWait, ListAndGraphReadersWaitWithANoticeAndReadOncePermitted)
{
    const int code = runWherePermissionsBind([](const QString &folder) {
        LockedOutFile scene(folder);
        ::chmod(scene.path.constData(), 0644);
        writeFile(resultsFilePath(*scene.state),
            bytesOf({ makeRecord(46365, 7, 1, 42), makeRecord(46365, 8, 1, 43), makeRecord(46365, 9, 1, 44) }));
        ::chmod(scene.path.constData(), 0);
        if (!scene.refusedNow())
            return int(NotRefused);
        int asked = 0;
        QString error;
        const auto records = readResultRecordsWaiting(
            resultsFilePath(*scene.state), scene.clock, &scene.fakes.notice,
            [&](qint64 count) {
                ++asked;
                return count; // the newest record only
            },
            &error);
        if (!records || scene.clock.waits != std::vector<int> { 1000, 1000, 1000 } || asked != 4)
            return int(Failed);
        if (const int notice = scene.noticeCode())
            return notice;
        return records->size() == 1 && records->front().pupilNumber == 9 ? int(Passed) : int(NotWritten);
    });
    EXPECT_EQ(code, Passed);
}

// Only a file that cannot be read at all ends the wait, with the file and
// the reason; nothing is waited for then.
TEST(PermissionWait, AFileThatCannotBeReadAtAllIsNotWaitedFor)
{
    ResultsEnv env;
    HookClock clock;
    ASSERT_TRUE(QDir().mkpath(resultsFilePath(*env.state))); // a folder where the file should be
    QString error;
    const auto records = readResultRecordsWaiting(
        resultsFilePath(*env.state), clock, &env.fakes.notice, [](qint64) { return 1; }, &error);
    EXPECT_FALSE(records.has_value());
    EXPECT_TRUE(clock.waits.empty());
    EXPECT_TRUE(error.contains(resultsFilePath(*env.state))) << error.toStdString();
    EXPECT_TRUE(env.fakes.notice.shown.isEmpty());
}

} // namespace
