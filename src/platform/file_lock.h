// SPDX-License-Identifier: MIT
// Whole-file exclusive lock shared with other copies of the program, also on
// other PCs through a network share. It is an open-file-description lock
// (fcntl F_OFD_SETLK): it belongs to the descriptor, not to the process, so
// two descriptors in one process exclude each other as two processes do, and
// closing the descriptor (or the process dying, even by SIGKILL) frees it.
// Where the file system refuses such locks (EINVAL, as some network shares
// do), a classic POSIX record lock on the same whole file is taken instead:
// it belongs to the process, which is enough with one copy per PC.
#pragma once

class Clock;
struct flock;

enum class LockAttempt {
    Acquired,
    Busy, // another descriptor holds a conflicting lock
    Failed, // anything else; the error number says what
};

// One non-blocking attempt on the whole file, however long it grows.
LockAttempt tryLockWholeFile(int fd, int *errorNumber = nullptr);
// Releases the lock taken through this descriptor. False with the error
// number set when the system refuses.
bool unlockWholeFile(int fd, int *errorNumber = nullptr);

// Takes the lock, waiting while another copy holds it. A lock is normally
// held for well under a millisecond, so a few short retries come first;
// a lock still held after them costs a one-second wait during which the
// window stays responsive, then the same again, without limit.
// Returns 0 once locked, else the error number of the failed attempt.
int lockWholeFileWaiting(int fd, Clock &clock);

// The fcntl call the lock goes through. Replaceable so that a file system
// that refuses open-file-description locks can be imitated; returns the
// call in place before. A null call puts the system's back.
using LockSystemCall = int (*)(int fd, int command, struct flock *lock);
LockSystemCall replaceLockSystemCall(LockSystemCall call);

// Holds the lock of a descriptor until destroyed (or released).
class WholeFileLock {
public:
    WholeFileLock() = default;
    explicit WholeFileLock(int lockedFd)
        : fd_(lockedFd)
    {
    }
    WholeFileLock(const WholeFileLock &) = delete;
    WholeFileLock &operator=(const WholeFileLock &) = delete;
    ~WholeFileLock() { release(); }
    // Unlocks now; 0 or the error number of the refused unlock.
    int release();

private:
    int fd_ = -1;
};
