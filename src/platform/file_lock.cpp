// SPDX-License-Identifier: MIT
#include "platform/file_lock.h"
#include "platform/clock.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

int systemFcntlLock(int fd, int command, struct flock *lock)
{
    return fcntl(fd, command, lock);
}

LockSystemCall lockCall = systemFcntlLock;

int setLockWith(int fd, int command, short type)
{
    struct flock lock = {};
    lock.l_type = type;
    lock.l_whence = SEEK_SET;
    lock.l_start = 0;
    lock.l_len = 0; // to the end of the file, whatever it grows to
    lock.l_pid = 0; // required for open-file-description locks
    int rc;
    do {
        rc = lockCall(fd, command, &lock);
    } while (rc != 0 && errno == EINTR);
    return rc == 0 ? 0 : errno;
}

int setLock(int fd, short type)
{
    const int error = setLockWith(fd, F_OFD_SETLK, type);
    // Some network file systems refuse open-file-description locks. One
    // copy of the program runs per PC, so a classic record lock, which
    // belongs to the process, excludes the other PCs just as well.
    if (error == EINVAL)
        return setLockWith(fd, F_SETLK, type);
    return error;
}

bool isBusy(int error)
{
    return error == EAGAIN || error == EACCES;
}

// Short pauses before falling back to the one-second wait: enough for any
// append to finish, short enough not to be noticed.
constexpr int kShortPausesUs[] = { 200, 500, 1000, 2000, 4000, 8000, 16000, 32000 };

} // namespace

LockAttempt tryLockWholeFile(int fd, int *errorNumber)
{
    const int error = setLock(fd, F_WRLCK);
    if (errorNumber)
        *errorNumber = error;
    if (error == 0)
        return LockAttempt::Acquired;
    return isBusy(error) ? LockAttempt::Busy : LockAttempt::Failed;
}

bool unlockWholeFile(int fd, int *errorNumber)
{
    const int error = setLock(fd, F_UNLCK);
    if (errorNumber)
        *errorNumber = error;
    return error == 0;
}

int lockWholeFileWaiting(int fd, Clock &clock)
{
    while (true) {
        int error = 0;
        LockAttempt attempt = tryLockWholeFile(fd, &error);
        for (int pause : kShortPausesUs) {
            if (attempt != LockAttempt::Busy)
                break;
            usleep(useconds_t(pause));
            attempt = tryLockWholeFile(fd, &error);
        }
        if (attempt == LockAttempt::Acquired)
            return 0;
        if (attempt == LockAttempt::Failed)
            return error;
        clock.waitResponsive(1000);
    }
}

LockSystemCall replaceLockSystemCall(LockSystemCall call)
{
    const LockSystemCall previous = lockCall;
    lockCall = call ? call : systemFcntlLock;
    return previous;
}

int WholeFileLock::release()
{
    if (fd_ < 0)
        return 0;
    int error = 0;
    unlockWholeFile(fd_, &error);
    fd_ = -1;
    return error;
}
