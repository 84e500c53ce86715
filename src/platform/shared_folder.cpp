// SPDX-License-Identifier: MIT
#include "platform/shared_folder.h"
#include "platform/file_calls.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sharedfolder {
namespace {

constexpr mode_t kGroupReadWrite = S_IRGRP | S_IWGRP;

bool groupWritable(const struct stat &folder)
{
    return (folder.st_mode & S_IWGRP) != 0;
}

QByteArray parentOf(const QByteArray &path)
{
    const QByteArray trimmed = path.endsWith('/') && path.size() > 1 ? path.chopped(1) : path;
    const qsizetype slash = trimmed.lastIndexOf('/');
    if (slash < 0)
        return QByteArray(".");
    return slash == 0 ? QByteArray("/") : trimmed.left(slash);
}

QString reason(int errorNumber)
{
    return QString::fromLocal8Bit(std::strerror(errorNumber));
}

} // namespace

mode_t processUmask()
{
    // "Umask:\t0022" since Linux 4.7; older systems and other kernels fall
    // back to the usual default rather than calling umask() twice.
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (!line.startsWith("Umask:"))
                continue;
            bool ok = false;
            const uint mask = line.mid(6).trimmed().toUInt(&ok, 8);
            if (ok)
                return mode_t(mask & 0777);
        }
    }
    return 022;
}

mode_t newFileMode(const struct stat &folder, mode_t mask)
{
    mode_t mode = 0666 & ~mask;
    if (groupWritable(folder))
        mode |= kGroupReadWrite;
    return mode & ~mode_t(S_IWOTH);
}

mode_t newFolderMode(const struct stat &folder, mode_t mask)
{
    mode_t mode = 0777 & ~mask;
    if (groupWritable(folder))
        mode |= kGroupReadWrite | S_IXGRP;
    mode |= folder.st_mode & S_ISGID;
    return mode & ~mode_t(S_IWOTH);
}

int applyToNew(int fd, const QByteArray &folder, bool isFolder)
{
    struct stat parent;
    if (::stat(folder.constData(), &parent) != 0)
        return errno;
    struct stat created;
    if (::fstat(fd, &created) != 0)
        return errno;
    mode_t mode = isFolder ? newFolderMode(parent, processUmask()) : newFileMode(parent, processUmask());
    if (groupWritable(parent) && created.st_gid != parent.st_gid) {
        // A folder without setgid gives new files the creator's own group.
        // Write access for the group is only given to the folder's group:
        // the creator's own group may hold accounts the share is not for.
        if (fileCalls().fchown(fd, uid_t(-1), parent.st_gid) != 0)
            mode = (isFolder ? 0777 : 0666) & ~processUmask() & ~mode_t(S_IWOTH);
    }
    // The setgid bit a folder got from its parent stays; changing nothing
    // avoids a chmod that could drop it for an account outside the group.
    mode |= created.st_mode & S_ISGID;
    if ((created.st_mode & 07777) != mode && fileCalls().fchmod(fd, mode) != 0)
        return errno;
    return 0;
}

namespace {

// 0 or the error number of the folder that could not be made.
int makeFolderChain(const QByteArray &name)
{
    struct stat info;
    if (::stat(name.constData(), &info) == 0)
        return S_ISDIR(info.st_mode) ? 0 : ENOTDIR;
    const QByteArray parent = parentOf(name);
    if (parent != name)
        if (const int error = makeFolderChain(parent))
            return error;
    if (::mkdir(name.constData(), 0777 & ~mode_t(S_IWOTH)) != 0) {
        // Another PC made it meanwhile: what it made is used as it is.
        if (errno == EEXIST && ::stat(name.constData(), &info) == 0 && S_ISDIR(info.st_mode))
            return 0;
        return errno;
    }
    // The folder exists with what the umask gave it; a share that refuses
    // to change modes or groups leaves it so, as any program would.
    const int fd = ::open(name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0) {
        applyToNew(fd, parent, true);
        ::close(fd);
    }
    return 0;
}

} // namespace

bool makeFolders(const QString &path, QString *error)
{
    const QString clean = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    if (const int failure = makeFolderChain(QFile::encodeName(clean))) {
        if (error)
            *error = QStringLiteral("%1\nフォルダを作れません（%2）。").arg(clean, reason(failure));
        return false;
    }
    return true;
}

int createFile(const QByteArray &path, int flags)
{
    int fd;
    do {
        fd = ::open(path.constData(), flags | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666 & ~mode_t(S_IWOTH));
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return -1;
    // Where the share refuses, the file keeps what the umask gave it.
    applyToNew(fd, parentOf(path), false);
    return fd;
}

int openOrCreate(const QByteArray &path, int flags)
{
    while (true) {
        int fd;
        do {
            fd = ::open(path.constData(), flags | O_CLOEXEC);
        } while (fd < 0 && errno == EINTR);
        if (fd >= 0 || errno != ENOENT)
            return fd;
        fd = createFile(path, flags);
        // Another copy created it between the two opens: open that one.
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
}

bool keepDatedCopy(const QString &path, const QDateTime &now, QString *copyPath, QString *error)
{
    const QFileInfo info(path);
    const QString stem = info.dir().filePath(
        info.completeBaseName() + QLatin1Char('_') + now.toString(QStringLiteral("yyyyMMdd-HHmmss")));
    const QString suffix = info.suffix().isEmpty() ? QString() : QLatin1Char('.') + info.suffix();
    auto fail = [&](const QString &target, const QString &why) {
        if (error)
            *error = QStringLiteral("%1\n控えを %2 に作れません（%3）。何も変えていません。").arg(path, target, why);
        return false;
    };
    QFile source(path);
    if (!source.open(QIODevice::ReadOnly))
        return fail(stem + suffix, source.errorString());
    const QByteArray bytes = source.readAll();
    // A new file of its own, by the data folder's rule, so that the other
    // accounts of a shared folder can tidy the copies up too.
    QString target = stem + suffix;
    int fd = -1;
    for (int n = 2; fd < 0; ++n) {
        fd = createFile(QFile::encodeName(target), O_WRONLY);
        if (fd < 0 && errno != EEXIST)
            return fail(target, QString::fromLocal8Bit(std::strerror(errno)));
        if (fd < 0)
            target = stem + QStringLiteral("_%1").arg(n) + suffix;
    }
    int failure = writeFully(fd, bytes.constData(), size_t(bytes.size()));
    if (failure == 0)
        failure = syncFile(fd);
    const int closeFailure = closeChecked(fd);
    if (failure == 0)
        failure = closeFailure;
    if (failure != 0) {
        ::unlink(QFile::encodeName(target).constData());
        return fail(target, QString::fromLocal8Bit(std::strerror(failure)));
    }
    if (copyPath)
        *copyPath = target;
    return true;
}

} // namespace sharedfolder
