// SPDX-License-Identifier: MIT
#include "platform/atomic_file.h"
#include "platform/file_calls.h"
#include "platform/file_lock.h"
#include "platform/shared_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr time_t kLeftoverQuietSeconds = 60;
constexpr time_t kUnopenableLeftoverSeconds = 24 * 60 * 60;

QString reason(int errorNumber)
{
    return QString::fromLocal8Bit(std::strerror(errorNumber));
}

QByteArray folderOf(const QString &path)
{
    return QFile::encodeName(QFileInfo(path).absolutePath());
}

// ".<name>." + "<pid>.<random>.tmp": the part after the prefix.
bool temporaryTail(const QByteArray &tail)
{
    if (!tail.endsWith(".tmp"))
        return false;
    const QList<QByteArray> parts = tail.chopped(4).split('.');
    if (parts.size() != 2 || parts[0].isEmpty() || parts[1].isEmpty())
        return false;
    for (char c : parts[0])
        if (c < '0' || c > '9')
            return false;
    for (char c : parts[1])
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z')))
            return false;
    return true;
}

QString userName(uid_t uid)
{
    if (const passwd *p = ::getpwuid(uid))
        return QString::fromLocal8Bit(p->pw_name);
    return QString::number(uid);
}

QString groupName(gid_t gid)
{
    if (const group *g = ::getgrgid(gid))
        return QString::fromLocal8Bit(g->gr_name);
    return QString::number(gid);
}

QString modeText(mode_t mode)
{
    return QStringLiteral("%1").arg(uint(mode & 07777), 4, 8, QLatin1Char('0'));
}

void syncFolder(const QByteArray &folder)
{
    // The rename itself reaches the disk only with its folder. The new
    // content is in place whatever happens here, and some shares cannot
    // flush a folder at all, so this is not a failure.
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    syncFile(fd);
    ::close(fd);
}

} // namespace

FileReplacement::FileReplacement(const QString &path)
    : path_(path)
    , target_(QFile::encodeName(path))
    , folder_(folderOf(path))
{
    removeLeftovers(path);
    const QByteArray prefix = folder_ + "/." + QFile::encodeName(QFileInfo(path).fileName()) + '.';
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        temporary_ = prefix + QByteArray::number(quint64(::getpid())) + '.'
            + QByteArray::number(QRandomGenerator::global()->generate64(), 36) + ".tmp";
        // Exclusive and never through a link: a name planted beside the file
        // cannot catch what is written.
        fd_ = ::open(temporary_.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd_ < 0 && errno != EEXIST) {
            const int error = errno;
            temporary_.clear();
            fail(QStringLiteral("新しい内容を書く一時ファイルを作れません"), error);
            return;
        }
    }
    if (fd_ < 0) {
        temporary_.clear();
        fail(QStringLiteral("新しい内容を書く一時ファイルを作れません"), EEXIST);
        return;
    }
    // Held while the file is ours: a copy replacing the same file later
    // tells a live temporary file from a crash's leftover by it.
    tryLockWholeFile(fd_);
    keepAttributes();
}

FileReplacement::~FileReplacement()
{
    if (!committed_)
        abandon();
}

bool FileReplacement::fail(const QString &what, int errorNumber)
{
    if (errorNumber_ == 0) {
        errorNumber_ = errorNumber;
        error_ = QStringLiteral("%1\n%2（%3）").arg(path_, what, reason(errorNumber));
    }
    abandon();
    return false;
}

void FileReplacement::abandon()
{
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!temporary_.isEmpty()) {
        ::unlink(temporary_.constData());
        temporary_.clear();
    }
}

// Decided before any byte is written, so a replacement that must be refused
// costs nothing.
void FileReplacement::keepAttributes()
{
    struct stat old;
    if (::stat(target_.constData(), &old) != 0) {
        if (errno != ENOENT) {
            fail(QStringLiteral("今のファイルを調べられません"), errno);
            return;
        }
        if (const int error = sharedfolder::applyToNew(fd_, folder_, false))
            note_ = QStringLiteral("%1\n新しいファイルのグループと許可を設定できませんでした（%2）。")
                        .arg(path_, reason(error));
        return;
    }
    struct stat mine;
    if (::fstat(fd_, &mine) != 0) {
        fail(QStringLiteral("一時ファイルを調べられません"), errno);
        return;
    }
    // Only root may give a file away; anyone may give it a group they
    // belong to. Refusals are judged below by what the file ended up with.
    if (mine.st_uid != old.st_uid || mine.st_gid != old.st_gid) {
        if (fileCalls().fchown(fd_, old.st_uid, old.st_gid) != 0 && mine.st_gid != old.st_gid)
            fileCalls().fchown(fd_, uid_t(-1), old.st_gid);
    }
    // After the owner: giving a file away clears its setuid and setgid
    // bits. Data files keep only their read, write and execute bits.
    fileCalls().fchmod(fd_, old.st_mode & 0777);
    if (::fstat(fd_, &mine) != 0) {
        fail(QStringLiteral("一時ファイルを調べられません"), errno);
        return;
    }

    // Whoever could write the old file through its group or as "others"
    // must still be able to write the new one: the pupils' accounts append
    // to the results file that way, and a run would wait for a teacher.
    const bool groupLost = (old.st_mode & S_IWGRP) && !(mine.st_gid == old.st_gid && (mine.st_mode & S_IWGRP));
    const bool othersLost = (old.st_mode & S_IWOTH) && !(mine.st_mode & S_IWOTH);
    if (groupLost || othersLost) {
        errorNumber_ = EPERM;
        error_
            = QStringLiteral("%1\nこのファイルはグループ「%2」のアカウントも書き込めるようになっていますが、"
                             "このアカウント（%3）は新しいファイルにそのグループと許可（%4）を付けられません。"
                             "置き換えるとそのアカウント（生徒の記録など）が書き込めなくなるので、何も変えていません。"
                             "このアカウントをグループ「%2」に入れるか、管理者のアカウントで行ってください。")
                  .arg(path_, groupName(old.st_gid), userName(::geteuid()), modeText(old.st_mode));
        abandon();
        return;
    }
    QStringList lost;
    if (mine.st_uid != old.st_uid)
        lost << QStringLiteral("所有者（%1 → %2）").arg(userName(old.st_uid), userName(mine.st_uid));
    if (mine.st_gid != old.st_gid)
        lost << QStringLiteral("グループ（%1 → %2）").arg(groupName(old.st_gid), groupName(mine.st_gid));
    if ((mine.st_mode & 0777) != (old.st_mode & 0777))
        lost << QStringLiteral("許可（%1 → %2）").arg(modeText(old.st_mode), modeText(mine.st_mode));
    if (!lost.isEmpty())
        note_ = QStringLiteral("%1\n置き換えたファイルの%2は元のままにできませんでした"
                               "（他のアカウントが書き込む必要のあるものは保っています）。")
                    .arg(path_, lost.join(QStringLiteral("、")));
}

bool FileReplacement::write(const char *data, qsizetype size)
{
    if (!ok())
        return false;
    if (const int error = writeFully(fd_, data, size_t(size)))
        return fail(QStringLiteral("新しい内容を書けません"), error);
    return true;
}

bool FileReplacement::commit()
{
    if (!ok())
        return false;
    // Flushed before the rename: otherwise a crash right after it could
    // leave the name on a file whose blocks never reached the disk.
    if (const int error = syncFile(fd_))
        return fail(QStringLiteral("新しい内容をディスクに書き込めません"), error);
    const int closeError = closeChecked(fd_);
    fd_ = -1;
    if (closeError != 0)
        return fail(QStringLiteral("新しい内容をディスクに書き込めません"), closeError);
    if (fileCalls().rename(temporary_.constData(), target_.constData()) != 0)
        return fail(QStringLiteral("古いファイルを新しい内容に置き換えられません"), errno);
    temporary_.clear();
    committed_ = true;
    syncFolder(folder_);
    return true;
}

bool replaceFileAtomically(const QString &path, const QByteArray &bytes, QString *error, QString *note)
{
    FileReplacement replacement(path);
    if (replacement.write(bytes) && replacement.commit()) {
        if (note)
            *note = replacement.note();
        return true;
    }
    if (error)
        *error = replacement.error();
    return false;
}

int removeLeftovers(const QString &path)
{
    const QByteArray folder = folderOf(path);
    const QByteArray prefix = '.' + QFile::encodeName(QFileInfo(path).fileName()) + '.';
    DIR *dir = ::opendir(folder.constData());
    if (!dir)
        return 0;
    const time_t now = ::time(nullptr);
    int removed = 0;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (!name.startsWith(prefix) || !temporaryTail(name.mid(prefix.size())))
            continue;
        const QByteArray full = folder + '/' + name;
        struct stat info;
        if (::lstat(full.constData(), &info) != 0 || !S_ISREG(info.st_mode))
            continue;
        bool leftover = false;
        const int fd = ::open(full.constData(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) {
            leftover = now - info.st_mtime >= kLeftoverQuietSeconds && tryLockWholeFile(fd) == LockAttempt::Acquired;
            ::close(fd);
        } else {
            leftover = now - info.st_mtime >= kUnopenableLeftoverSeconds;
        }
        if (leftover && ::unlink(full.constData()) == 0)
            ++removed;
    }
    ::closedir(dir);
    return removed;
}
