// SPDX-License-Identifier: MIT
// Storage that refuses an append's write, flush or close a given number of
// times with a given error number, as a full disk, a used-up quota, a
// failing disk or a share that lost the file would, and then goes through.
// Every call that reaches the system is logged, so a test can see where a
// record was written and how often.
#pragma once

#include "platform/file_calls.h"

#include <cerrno>
#include <functional>
#include <unistd.h>
#include <vector>

namespace append_faults {

enum class Stage { Write, Flush, Close };

struct Script {
    Stage stage = Stage::Flush;
    int error = 0;
    int failures = 0; // how many calls of the stage fail before they go through
    // Bytes a failing write still gets through before it fails (a write
    // cut short by the disk filling up).
    size_t partialBytes = 0;
    // Runs at each failure, before it is answered.
    std::function<void()> onFailure;

    std::vector<off_t> writtenAt; // offsets of the writes that went through
    int writtenFd = -1; // the descriptor last written through
    int flushes = 0; // flushes that went through
    int failed = 0;
};

inline Script failing(Stage stage, int error, int failures)
{
    Script script;
    script.stage = stage;
    script.error = error;
    script.failures = failures;
    return script;
}

inline Script *active = nullptr;

inline bool failNow(Stage stage)
{
    Script &s = *active;
    if (s.stage != stage || s.failed >= s.failures)
        return false;
    ++s.failed;
    if (s.onFailure)
        s.onFailure();
    return true;
}

inline ssize_t pwriteCall(int fd, const void *data, size_t size, off_t offset)
{
    if (failNow(Stage::Write)) {
        const size_t partial = std::min(active->partialBytes, size);
        if (partial > 0 && ::pwrite(fd, data, partial, offset) == ssize_t(partial)) {
            // The next call (for the rest) is the one that fails.
            --active->failed;
            active->partialBytes = 0;
            return ssize_t(partial);
        }
        errno = active->error;
        return -1;
    }
    const ssize_t n = ::pwrite(fd, data, size, offset);
    if (n > 0)
        active->writtenAt.push_back(offset);
    active->writtenFd = fd;
    return n;
}

inline int fdatasyncCall(int fd)
{
    if (failNow(Stage::Flush)) {
        errno = active->error;
        return -1;
    }
    ++active->flushes;
    return ::fdatasync(fd);
}

inline int closeCall(int fd)
{
    // A close that reports an error has still let the descriptor go. Only
    // the close of the descriptor written through fails, as a share
    // reporting the write it could not keep would.
    const int rc = ::close(fd);
    if (fd == active->writtenFd && failNow(Stage::Close)) {
        errno = active->error;
        return -1;
    }
    return rc;
}

// Puts the script's storage in place for the scope's lifetime.
class Installed {
public:
    explicit Installed(Script &script)
    {
        active = &script;
        FileCalls calls = systemFileCalls();
        calls.pwrite = pwriteCall;
        calls.fdatasync = fdatasyncCall;
        calls.close = closeCall;
        previous_ = replaceFileCalls(calls);
    }
    Installed(const Installed &) = delete;
    Installed &operator=(const Installed &) = delete;
    ~Installed()
    {
        replaceFileCalls(previous_);
        active = nullptr;
    }

private:
    FileCalls previous_;
};

} // namespace append_faults
