// SPDX-License-Identifier: MIT
// The file system calls whose failures the program must report exactly as
// they happen: a full disk, a quota, a share gone away mid-write, a flush
// the disk refused. The writers of shared files go through this table, so a
// test can put a failing call in place and see what the teacher is told.
#pragma once

#include <sys/types.h>

struct FileCalls {
    ssize_t (*write)(int fd, const void *data, size_t size);
    ssize_t (*pwrite)(int fd, const void *data, size_t size, off_t offset);
    int (*fsync)(int fd);
    int (*fdatasync)(int fd);
    int (*close)(int fd);
    int (*rename)(const char *from, const char *to);
    int (*fchown)(int fd, uid_t owner, gid_t group);
    int (*fchmod)(int fd, mode_t mode);
};

// The calls in use now.
const FileCalls &fileCalls();
// The system's own calls.
FileCalls systemFileCalls();
// Puts `calls` in place and returns the table in place before.
FileCalls replaceFileCalls(const FileCalls &calls);

// Every byte of `size` written (a short write goes on where it stopped,
// EINTR is tried again): 0, or the error number of the call that failed.
int writeFully(int fd, const char *data, size_t size);
int pwriteFully(int fd, const char *data, size_t size, off_t offset);
// fsync / fdatasync, tried again after EINTR: 0 or the error number.
int syncFile(int fd);
int syncData(int fd);
// close(), whose error is the last word of a write on a network share:
// 0 or the error number. The descriptor is gone either way.
int closeChecked(int fd);
