// SPDX-License-Identifier: MIT
// Failing file system calls for a test (platform/file_calls.h): the n-th
// call of one kind fails with the error a full disk, a quota or a share gone
// away would give, for the length of a scope. A child process can also be
// made to die (SIGKILL) right before its n-th call of any kind, lock calls
// included, to stand for a power cut at that exact step.
#pragma once

#include "platform/file_calls.h"
#include "platform/file_lock.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace file_call_faults {

enum class Call { Write, Pwrite, Fsync, Fdatasync, Close, Rename, Fchown, Fchmod };

struct State {
    Call call = Call::Write;
    int error = 0; // 0: no call fails
    int nth = 1; // the n-th call of `call` fails; 0: every one
    int seen = 0;
    int failed = 0;
    long killAtStep = 0; // 0: nobody dies
    long steps = 0;
    FileCalls real = systemFileCalls();
    LockSystemCall realLock = nullptr;
};
inline State state;

inline void step()
{
    if (state.killAtStep > 0 && ++state.steps == state.killAtStep)
        ::raise(SIGKILL);
}

inline bool fails(Call call)
{
    step();
    if (state.error == 0 || call != state.call)
        return false;
    ++state.seen;
    if (state.nth != 0 && state.seen != state.nth)
        return false;
    ++state.failed;
    errno = state.error;
    return true;
}

inline FileCalls faultyCalls()
{
    FileCalls calls;
    calls.write = [](int fd, const void *data, size_t size) -> ssize_t {
        return fails(Call::Write) ? -1 : state.real.write(fd, data, size);
    };
    calls.pwrite = [](int fd, const void *data, size_t size, off_t offset) -> ssize_t {
        return fails(Call::Pwrite) ? -1 : state.real.pwrite(fd, data, size, offset);
    };
    calls.fsync = [](int fd) { return fails(Call::Fsync) ? -1 : state.real.fsync(fd); };
    calls.fdatasync = [](int fd) { return fails(Call::Fdatasync) ? -1 : state.real.fdatasync(fd); };
    calls.close = [](int fd) {
        if (fails(Call::Close)) {
            const int error = errno;
            state.real.close(fd); // the descriptor goes, as with a real failed close
            errno = error;
            return -1;
        }
        return state.real.close(fd);
    };
    calls.rename
        = [](const char *from, const char *to) { return fails(Call::Rename) ? -1 : state.real.rename(from, to); };
    calls.fchown = [](int fd, uid_t owner, gid_t group) {
        return fails(Call::Fchown) ? -1 : state.real.fchown(fd, owner, group);
    };
    calls.fchmod = [](int fd, mode_t mode) { return fails(Call::Fchmod) ? -1 : state.real.fchmod(fd, mode); };
    return calls;
}

// The n-th call of `call` from now on fails with `error` while this lives.
class Scope {
public:
    Scope(Call call, int error, int nth = 1)
    {
        state = State();
        state.call = call;
        state.error = error;
        state.nth = nth;
        state.real = replaceFileCalls(faultyCalls());
    }
    Scope(const Scope &) = delete;
    Scope &operator=(const Scope &) = delete;
    ~Scope() { replaceFileCalls(state.real); }
    int failed() const { return state.failed; }
};

// A lock call that refuses every unlock (ENOLCK), as a share whose lock
// server went away does; for replaceLockSystemCall.
inline int refuseUnlock(int fd, int command, struct flock *lock)
{
    if (lock->l_type == F_UNLCK) {
        errno = ENOLCK;
        return -1;
    }
    return fcntl(fd, command, lock);
}

// For a child process: dies right before its `step`-th file or lock call
// from now on. Never undone: the process ends one way or the other.
inline void dieAtStep(long stepNumber)
{
    state = State();
    state.killAtStep = stepNumber;
    state.real = replaceFileCalls(faultyCalls());
    state.realLock = replaceLockSystemCall([](int fd, int command, struct flock *lock) {
        step();
        return state.realLock(fd, command, lock);
    });
}

} // namespace file_call_faults
