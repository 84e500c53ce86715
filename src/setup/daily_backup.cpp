// SPDX-License-Identifier: MIT
#include "setup/daily_backup.h"
#include "platform/clock.h"
#include "platform/file_lock.h"
#include "platform/folder_path.h"
#include "platform/shared_folder.h"
#include "setup/data_files.h"
#include "state/shared_state.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <unistd.h>

namespace dailybackup {
namespace {

const QString kBackupFolderName = QStringLiteral("バックアップ");
const QString kCopyPrefix = QStringLiteral("成績累積データ_");
const QString kCopySuffix = QStringLiteral(".dat");
const QString kClaimSuffix = QStringLiteral(".part");

QString reason(int errorNumber)
{
    return QString::fromLocal8Bit(std::strerror(errorNumber));
}

QString resultsFileOf(const SharedState &state)
{
    return state.ProgramDataFolder + datafiles::kResultsFileName;
}

// A claim is the copy's name with a dot in front (hidden) and ".part".
QString claimOf(const QString &folder, const QString &copyName)
{
    return folder + QLatin1Char('.') + copyName + kClaimSuffix;
}

// The whole results file as it stands between two appends. Where this user
// may only read it there is no lock to take; an append caught half-way is
// then the one risk, and the next day's copy has it whole.
bool readResults(const QString &path, Clock &clock, QByteArray *bytes, int *errorNumber)
{
    const QByteArray name = QFile::encodeName(path);
    int fd = ::open(name.constData(), O_RDWR | O_CLOEXEC);
    bool locked = false;
    if (fd >= 0) {
        const int error = lockWholeFileWaiting(fd, clock);
        if (error != 0) {
            ::close(fd);
            *errorNumber = error;
            return false;
        }
        locked = true;
    } else if (errno == EACCES || errno == EPERM || errno == EROFS) {
        fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    }
    if (fd < 0) {
        *errorNumber = errno;
        return false;
    }
    QFile file;
    file.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle);
    *bytes = file.readAll();
    const bool ok = file.error() == QFileDevice::NoError;
    if (!ok)
        *errorNumber = EIO;
    if (locked)
        unlockWholeFile(fd);
    ::close(fd);
    return ok;
}

// Copies of earlier days beyond the newest ones kept, and claims of earlier
// days a PC left behind when it stopped while copying.
void prune(const QString &folder, const QDate &today)
{
    static const QRegularExpression copyName(QStringLiteral("^成績累積データ_(\\d{8})\\.dat$"));
    static const QRegularExpression claimName(QStringLiteral("^\\.成績累積データ_(\\d{8})\\.dat\\.part$"));
    const QDir dir(folder);
    QStringList kept = dir.entryList(QDir::Files, QDir::Name);
    kept = kept.filter(copyName);
    std::sort(kept.begin(), kept.end(), std::greater<>());
    for (qsizetype i = kKeptCopies; i < kept.size(); ++i)
        QFile::remove(folder + kept[i]);
    const QString todaysClaim = QStringLiteral(".") + copyNameFor(today) + kClaimSuffix;
    for (const QString &name : dir.entryList(QDir::Files | QDir::Hidden)) {
        if (claimName.match(name).hasMatch() && name < todaysClaim)
            QFile::remove(folder + name);
    }
}

} // namespace

QString folderOf(const SharedState &state)
{
    return state.DataRootFolder + kBackupFolderName + folderpath::kSeparator + state.ProgramFolderName
        + folderpath::kSeparator;
}

QString copyNameFor(const QDate &day)
{
    return kCopyPrefix + day.toString(QStringLiteral("yyyyMMdd")) + kCopySuffix;
}

Outcome makeTodaysCopy(const SharedState &state, Clock &clock)
{
    const QString folder = folderOf(state);
    const QDate today = clock.today();
    const QString copy = folder + copyNameFor(today);
    const QString results = resultsFileOf(state);
    Outcome out;
    out.path = copy;
    auto failed = [&out](const QString &file, const QString &what, const QString &why) {
        out.kind = Outcome::Kind::Failed;
        out.message = QStringLiteral("%1\n%2（%3）。今日の控えは作れませんでした。").arg(file, what, why);
        return out;
    };

    if (QFileInfo::exists(copy)) {
        out.kind = Outcome::Kind::AlreadyMade;
        out.message = QStringLiteral("今日の控えはもうあります: %1").arg(copy);
        return out;
    }
    if (!QFileInfo::exists(results)) {
        out.kind = Outcome::Kind::NoResultsFile;
        out.message = QStringLiteral("成績ファイルがまだないので、控えは作りません: %1").arg(results);
        return out;
    }
    // The copies are made by whichever PC starts first, under whichever
    // account: the folder and files follow the rule for a shared folder.
    QString folderProblem;
    if (!sharedfolder::makeFolders(folder, &folderProblem)) {
        out.kind = Outcome::Kind::Failed;
        out.message = folderProblem + QStringLiteral("\n今日の控えは作れませんでした。");
        return out;
    }

    const QString claim = claimOf(folder, copyNameFor(today));
    const int fd = sharedfolder::createFile(QFile::encodeName(claim), O_WRONLY);
    if (fd < 0) {
        if (errno != EEXIST)
            return failed(claim, QStringLiteral("控えを書き始められません"), reason(errno));
        out.kind = Outcome::Kind::MadeElsewhere;
        out.message = QStringLiteral("今日の控えはほかのパソコンが作っています: %1").arg(copy);
        return out;
    }
    const QByteArray claimName = QFile::encodeName(claim);
    auto drop = [&] {
        ::close(fd);
        ::unlink(claimName.constData());
    };
    // Another PC may have finished its copy between the look above and the
    // claim; one copy a day is enough.
    if (QFileInfo::exists(copy)) {
        drop();
        out.kind = Outcome::Kind::AlreadyMade;
        out.message = QStringLiteral("今日の控えはもうあります: %1").arg(copy);
        return out;
    }

    QByteArray bytes;
    int error = 0;
    if (!readResults(results, clock, &bytes, &error)) {
        drop();
        return failed(results, QStringLiteral("成績ファイルを読めません"), reason(error));
    }
    QFile written;
    written.open(fd, QIODevice::WriteOnly, QFileDevice::DontCloseHandle);
    if (written.write(bytes) != bytes.size() || !written.flush()) {
        const QString why = written.errorString();
        written.close();
        drop();
        return failed(claim, QStringLiteral("控えを書けません"), why);
    }
    written.close();
    // On the disk before it takes its name: a power cut must not leave a
    // copy under the day's name whose blocks never arrived.
    if (::fsync(fd) != 0) {
        error = errno;
        drop();
        return failed(claim, QStringLiteral("控えを書けません"), reason(error));
    }
    if (::close(fd) != 0) {
        error = errno;
        ::unlink(claimName.constData());
        return failed(claim, QStringLiteral("控えを書けません"), reason(error));
    }
    // A link never replaces a copy another PC has put there; where the file
    // system has no links (some shares), a rename does, with a whole copy.
    const QByteArray copyName = QFile::encodeName(copy);
    if (::link(claimName.constData(), copyName.constData()) == 0) {
        ::unlink(claimName.constData());
    } else if (errno == EEXIST) {
        ::unlink(claimName.constData());
        out.kind = Outcome::Kind::AlreadyMade;
        out.message = QStringLiteral("今日の控えはもうあります: %1").arg(copy);
        return out;
    } else if (::rename(claimName.constData(), copyName.constData()) != 0) {
        error = errno;
        ::unlink(claimName.constData());
        return failed(copy, QStringLiteral("控えを置けません"), reason(error));
    }
    prune(folder, today);
    out.kind = Outcome::Kind::Made;
    out.message = QStringLiteral("今日の控えを作りました: %1（%2 バイト）").arg(copy).arg(bytes.size());
    return out;
}

QStringList copies(const SharedState &state)
{
    static const QRegularExpression copyName(QStringLiteral("^成績累積データ_\\d{8}\\.dat$"));
    const QString folder = folderOf(state);
    QStringList names = QDir(folder).entryList(QDir::Files).filter(copyName);
    std::sort(names.begin(), names.end(), std::greater<>());
    for (QString &name : names)
        name.prepend(folder);
    return names;
}

QStringList describe(const SharedState &state)
{
    const QStringList found = copies(state);
    const QString folder = folderOf(state);
    QStringList lines;
    if (found.isEmpty()) {
        lines << QStringLiteral("毎日の控え: %1 にはまだありません（その日の最初の起動で作ります）。").arg(folder);
        return lines;
    }
    lines << QStringLiteral("毎日の控え: %1 に %2 件（新しいものから %3 件まで残します）。最新は %4。")
                 .arg(folder)
                 .arg(found.size())
                 .arg(kKeptCopies)
                 .arg(QFileInfo(found.first()).fileName());
    lines << QStringLiteral("控えから戻すには、どのパソコンでもルカミナを終えてから、控えを %1 にコピーします"
                            "（README の「Restoring a daily copy」）。")
                 .arg(resultsFileOf(state));
    return lines;
}

} // namespace dailybackup
