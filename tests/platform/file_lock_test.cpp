// SPDX-License-Identifier: MIT
#include "platform/file_lock.h"

#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A file system that refuses open-file-description locks, as some network
// shares do; everything else goes to the real call.
int classicCalls = 0;
int refusedOfdError = EINVAL;

int refuseOfdLocks(int fd, int command, struct flock *lock)
{
    if (command == F_OFD_SETLK || command == F_OFD_SETLKW) {
        errno = refusedOfdError;
        return -1;
    }
    if (command == F_SETLK)
        ++classicCalls;
    return fcntl(fd, command, lock);
}

class FileLockOnAShareWithoutOfdLocks : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        path = QFile::encodeName(dir.filePath(QStringLiteral("成績累積データ.dat")));
        fd = ::open(path.constData(), O_RDWR | O_CREAT, 0666);
        ASSERT_GE(fd, 0);
        classicCalls = 0;
        refusedOfdError = EINVAL;
        previous = replaceLockSystemCall(refuseOfdLocks);
    }
    void TearDown() override
    {
        replaceLockSystemCall(previous);
        if (fd >= 0)
            ::close(fd);
    }

    // The lock another descriptor sees on the whole file (F_UNLCK if none).
    struct flock seenFromAnotherDescriptor() const
    {
        const int other = ::open(path.constData(), O_RDWR);
        struct flock probe = {};
        probe.l_type = F_WRLCK;
        probe.l_whence = SEEK_SET;
        EXPECT_EQ(fcntl(other, F_OFD_GETLK, &probe), 0);
        ::close(other);
        return probe;
    }

    QTemporaryDir dir;
    QByteArray path;
    int fd = -1;
    LockSystemCall previous = nullptr;
};

TEST_F(FileLockOnAShareWithoutOfdLocks, FallsBackToAClassicRecordLockOnTheWholeFile)
{
    int error = -1;
    ASSERT_EQ(tryLockWholeFile(fd, &error), LockAttempt::Acquired);
    EXPECT_EQ(error, 0);
    EXPECT_EQ(classicCalls, 1);
    const struct flock held = seenFromAnotherDescriptor();
    EXPECT_EQ(held.l_type, F_WRLCK);
    EXPECT_EQ(held.l_pid, getpid()) << "a classic lock belongs to this process";
    EXPECT_EQ(held.l_start, 0);
    EXPECT_EQ(held.l_len, 0) << "the whole file, however long it grows";

    ASSERT_TRUE(unlockWholeFile(fd, &error));
    EXPECT_EQ(seenFromAnotherDescriptor().l_type, F_UNLCK);
}

TEST_F(FileLockOnAShareWithoutOfdLocks, AnotherCopyOfTheProgramFindsTheFileBusy)
{
    ASSERT_EQ(tryLockWholeFile(fd), LockAttempt::Acquired);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Another copy, with the same refusing file system.
        const int own = ::open(path.constData(), O_RDWR);
        const LockAttempt attempt = tryLockWholeFile(own);
        _exit(attempt == LockAttempt::Busy ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);

    WholeFileLock lock(fd);
    EXPECT_EQ(lock.release(), 0);
    EXPECT_EQ(seenFromAnotherDescriptor().l_type, F_UNLCK);
}

TEST_F(FileLockOnAShareWithoutOfdLocks, OtherRefusalsAreReportedNotWorkedAround)
{
    refusedOfdError = ENOLCK;
    int error = 0;
    EXPECT_EQ(tryLockWholeFile(fd, &error), LockAttempt::Failed);
    EXPECT_EQ(error, ENOLCK);
    EXPECT_EQ(classicCalls, 0);
}

} // namespace
