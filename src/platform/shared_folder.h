// SPDX-License-Identifier: MIT
// The one rule for files and folders the program creates where several
// accounts work. A school gives pupils and teachers their own accounts on
// one data folder that belongs to a common group (setgid, group-writable);
// whatever one account creates there, the others must be able to write, or
// the next pupil's run waits behind "先生を呼びなさい" until someone runs
// chmod. So a new file or folder in a group-writable folder:
//  - belongs to that folder's group (a setgid folder does this by itself;
//    elsewhere the group is set when this account may, and the group bits
//    are left alone when it may not, so that write access never goes to
//    some other group by accident);
//  - is readable and writable by that group whatever the umask says (and a
//    folder searchable, and setgid where its parent is);
//  - is never writable by others, whatever the umask says.
// In a folder that is not group-writable only the umask counts, as for any
// program. The umask is read from /proc, never changed to be read: other
// threads (Qt's among them) create files at the same time.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <sys/types.h>

struct stat;

namespace sharedfolder {

// The process's umask as the system reports it (022 when it cannot say).
mode_t processUmask();

// Permission bits of a new file or folder in a folder whose status is
// `folder`, under the umask `mask`.
mode_t newFileMode(const struct stat &folder, mode_t mask);
mode_t newFolderMode(const struct stat &folder, mode_t mask);

// Gives a file or folder just created in `folder` (by this process, open as
// `fd`) its group and permission bits by the rule. 0, or the error number
// of a step that failed (the file is then left with what creating it gave).
int applyToNew(int fd, const QByteArray &folder, bool isFolder);

// Creates `path` and every missing folder above it by the rule (each new
// folder takes its rule from its parent). False with `error` naming the
// folder and the reason.
bool makeFolders(const QString &path, QString *error);

// Creates a new file exclusively (O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC
// added to `flags`) by the rule. The descriptor, or -1 with errno set
// (EEXIST when the name is taken).
int createFile(const QByteArray &path, int flags);

// Opens `path` with `flags` (no O_CREAT), creating it by the rule when it is
// missing. The descriptor, or -1 with errno set.
int openOrCreate(const QByteArray &path, int flags);

// "name.ext" -> "name_yyyyMMdd-HHmmss.ext" beside it, with "_2", "_3", ...
// added when that name is taken. Copies into a new file (created by the
// shared folder rule, flushed); the original stays. False with a message
// naming the file when the copy cannot be made.
bool keepDatedCopy(const QString &path, const QDateTime &now, QString *copyPath, QString *error);

} // namespace sharedfolder
