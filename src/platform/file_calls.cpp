// SPDX-License-Identifier: MIT
#include "platform/file_calls.h"

#include <cerrno>
#include <cstdio>
#include <sys/stat.h>
#include <unistd.h>

namespace {

FileCalls calls = systemFileCalls();

} // namespace

FileCalls systemFileCalls()
{
    return { ::write, ::pwrite, ::fsync, ::fdatasync, ::close, ::rename, ::fchown, ::fchmod };
}

const FileCalls &fileCalls()
{
    return calls;
}

FileCalls replaceFileCalls(const FileCalls &replacement)
{
    const FileCalls previous = calls;
    calls = replacement;
    return previous;
}

int writeFully(int fd, const char *data, size_t size)
{
    while (size > 0) {
        const ssize_t n = calls.write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return EIO; // a write that makes no progress would loop for ever
        data += n;
        size -= size_t(n);
    }
    return 0;
}

int pwriteFully(int fd, const char *data, size_t size, off_t offset)
{
    while (size > 0) {
        const ssize_t n = calls.pwrite(fd, data, size, offset);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return EIO;
        data += n;
        size -= size_t(n);
        offset += n;
    }
    return 0;
}

int syncFile(int fd)
{
    int r;
    do {
        r = calls.fsync(fd);
    } while (r != 0 && errno == EINTR);
    return r == 0 ? 0 : errno;
}

int syncData(int fd)
{
    int r;
    do {
        r = calls.fdatasync(fd);
    } while (r != 0 && errno == EINTR);
    return r == 0 ? 0 : errno;
}

int closeChecked(int fd)
{
    // Never retried: on Linux the descriptor is released even when close
    // reports EINTR, and a second close could hit a descriptor opened since.
    if (calls.close(fd) == 0)
        return 0;
    return errno == EINTR ? 0 : errno;
}
