// SPDX-License-Identifier: MIT
#include "platform/atomic_file.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QString reason(int errorNumber)
{
    return QString::fromLocal8Bit(std::strerror(errorNumber));
}

bool writeAll(int fd, const QByteArray &bytes, int *errorNumber)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            *errorNumber = errno;
            return false;
        }
        done += n;
    }
    return true;
}

int fsyncRetrying(int fd)
{
    int r;
    do {
        r = ::fsync(fd);
    } while (r != 0 && errno == EINTR);
    return r;
}

} // namespace

bool replaceFileAtomically(const QString &path, const QByteArray &bytes, QString *error)
{
    const QFileInfo info(path);
    const QByteArray target = QFile::encodeName(path);
    const QByteArray folder = QFile::encodeName(info.absolutePath());
    auto fail = [&](const QString &what, int errorNumber) {
        if (error)
            *error = QStringLiteral("%1\n%2（%3）").arg(path, what, reason(errorNumber));
        return false;
    };

    // The new content lives beside the old file, so the rename stays on one
    // file system (and one share) and is a single step there.
    mode_t mode = 0666 & ~[] {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        return mask;
    }();
    struct stat old;
    if (::stat(target.constData(), &old) == 0)
        mode = old.st_mode & 07777;

    QByteArray temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = folder + "/." + QFile::encodeName(info.fileName()) + '.' + QByteArray::number(quint64(::getpid()))
            + '.' + QByteArray::number(QRandomGenerator::global()->generate64(), 36) + ".tmp";
        fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0 && errno != EEXIST)
            return fail(QStringLiteral("新しい内容を書く一時ファイルを作れません"), errno);
    }
    if (fd < 0)
        return fail(QStringLiteral("新しい内容を書く一時ファイルを作れません"), EEXIST);

    auto abandon = [&](const QString &what, int errorNumber) {
        ::close(fd);
        ::unlink(temporary.constData());
        return fail(what, errorNumber);
    };
    int errorNumber = 0;
    if (!writeAll(fd, bytes, &errorNumber))
        return abandon(QStringLiteral("新しい内容を書けません"), errorNumber);
    if (::fchmod(fd, mode) != 0)
        return abandon(QStringLiteral("新しい内容の属性を設定できません"), errno);
    // Flushed before the rename: otherwise a crash right after it can leave
    // the name pointing at a file whose blocks never reached the disk.
    if (fsyncRetrying(fd) != 0)
        return abandon(QStringLiteral("新しい内容をディスクに書き込めません"), errno);
    if (::close(fd) != 0) {
        const int closeError = errno;
        ::unlink(temporary.constData());
        return fail(QStringLiteral("新しい内容をディスクに書き込めません"), closeError);
    }
    if (::rename(temporary.constData(), target.constData()) != 0) {
        const int renameError = errno;
        ::unlink(temporary.constData());
        return fail(QStringLiteral("古いファイルを新しい内容に置き換えられません"), renameError);
    }
    // The rename itself is only durable once the folder is flushed. The new
    // content is in place whatever happens here, so a folder that cannot be
    // flushed (some network shares refuse) is not a failure.
    const int dirFd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        fsyncRetrying(dirFd);
        ::close(dirFd);
    }
    return true;
}
