// SPDX-License-Identifier: MIT
#include "results/results_edit.h"
#include "platform/file_lock.h"
#include "results/results_file.h"

#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

RecordEditResult failed(int error, const QString &file)
{
    return { RecordEditOutcome::Failed, error, file };
}

// Opens the results file and takes its lock, on the file the name points
// to now. A refused open is reported rather than waited on: a teacher at
// the editor can do something about a file they may not write.
int lockCurrentFile(const QString &path, Clock &clock, ResultsFile &file)
{
    return openLockedResultsFile(path, clock, file, OpenRetry::Once);
}

// Whether record `recordNumber` of the locked file still holds `opened`.
// 0 with `same` set, or the error number.
int stillTheOpenedRecord(const ResultsFile &file, qint64 recordNumber, const QByteArray &opened, bool *same)
{
    *same = false;
    int error = 0;
    const qint64 count = file.recordCount(&error);
    if (count < 0)
        return error;
    if (recordNumber < 1 || recordNumber > count || opened.size() != kRecordLength)
        return 0;
    std::vector<char> bytes;
    if (file.readRecords(recordNumber, 1, bytes, &error) != 1)
        return error;
    *same = QByteArray::fromRawData(bytes.data(), kRecordLength) == opened;
    return 0;
}

int writeAll(int fd, const char *data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        data += n;
        size -= size_t(n);
    }
    return 0;
}

int writeAt(int fd, const QByteArray &bytes, off_t offset)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.constData() + done, size_t(bytes.size() - done), offset + done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        done += n;
    }
    return 0;
}

// Copies `length` bytes from `offset` of `from` to the end of `to`.
int copyRange(int from, off_t offset, off_t length, int to, std::vector<char> &buffer)
{
    while (length > 0) {
        const size_t want = size_t(std::min<off_t>(length, off_t(buffer.size())));
        const ssize_t n = ::pread(from, buffer.data(), want, offset);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return EIO; // the locked file cannot shrink; a short read is a fault
        if (const int error = writeAll(to, buffer.data(), size_t(n)))
            return error;
        offset += n;
        length -= n;
    }
    return 0;
}

// Flushes the folder so the rename itself reaches the disk. Best effort:
// the replacement has happened whatever this says, and some network file
// systems cannot flush a folder at all.
void syncFolderOf(const QString &path)
{
    const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
    const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

bool FileState::operator==(const FileState &other) const
{
    auto same = [](const timespec &a, const timespec &b) { return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec; };
    return sameFile(other) && length == other.length && same(modified, other.modified) && same(changed, other.changed);
}

bool FileState::timesAreFine() const
{
    return modified.tv_nsec != 0 || changed.tv_nsec != 0;
}

std::optional<FileState> fileStateOf(int fd, int *errorNumber)
{
    struct stat info;
    if (::fstat(fd, &info) != 0) {
        *errorNumber = errno;
        return std::nullopt;
    }
    *errorNumber = 0;
    return FileState { info.st_dev, info.st_ino, qint64(info.st_size), info.st_mtim, info.st_ctim };
}

std::optional<FileState> fileStateAt(const QString &path, int *errorNumber)
{
    struct stat info;
    if (::stat(QFile::encodeName(path).constData(), &info) != 0) {
        *errorNumber = errno;
        return std::nullopt;
    }
    *errorNumber = 0;
    return FileState { info.st_dev, info.st_ino, qint64(info.st_size), info.st_mtim, info.st_ctim };
}

QByteArray withPupilAndTime(const QByteArray &opened, std::int16_t pupilNumber, std::int32_t seconds)
{
    QByteArray out = opened;
    if (out.size() != kRecordLength)
        return out;
    qToLittleEndian(pupilNumber, out.data() + 16);
    qToLittleEndian(seconds, out.data() + 20);
    return out;
}

QString resultsReplacementPath(const QString &path)
{
    const QFileInfo info(path);
    return info.path() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral("temp.") + info.suffix();
}

RecordEditResult changeResultRecord(const QString &path, qint64 recordNumber, const QByteArray &opened,
    const QByteArray &replacement, Clock &clock, std::optional<WrittenChange> *written)
{
    if (written)
        written->reset();
    if (replacement.size() != kRecordLength)
        return failed(EINVAL, path);
    ResultsFile file;
    if (const int error = lockCurrentFile(path, clock, file))
        return failed(error, path);
    WholeFileLock lock(file.handle());

    bool same = false;
    if (const int error = stillTheOpenedRecord(file, recordNumber, opened, &same))
        return failed(error, path);
    if (!same)
        return { RecordEditOutcome::Stale, 0, {} };
    // The change goes ahead without them: the list then reads the file.
    int stateError = 0;
    const auto before = fileStateOf(file.handle(), &stateError);
    // The bytes as given: a decoded and encoded record need not come back
    // bit for bit (a NaN date may change its payload).
    if (const int error = writeAt(file.handle(), replacement, off_t(recordNumber - 1) * kRecordLength))
        return failed(error, path);
    if (::fdatasync(file.handle()) != 0)
        return failed(errno, path);
    // Taken before the lock goes: whatever the list then finds different
    // was written by someone else.
    const auto after = fileStateOf(file.handle(), &stateError);
    if (const int unlockError = lock.release())
        return failed(unlockError, path);
    if (written && before && after)
        *written = WrittenChange { *before, *after };
    return { RecordEditOutcome::Done, 0, {} };
}

RecordEditResult deleteResultRecord(const QString &path, qint64 recordNumber, const QByteArray &opened, Clock &clock)
{
    ResultsFile file;
    if (const int error = lockCurrentFile(path, clock, file))
        return failed(error, path);
    // The old file's lock is held until the new file has its name: an
    // append cannot land in the old file after its records were copied.
    WholeFileLock lock(file.handle());

    bool same = false;
    if (const int error = stillTheOpenedRecord(file, recordNumber, opened, &same))
        return failed(error, path);
    if (!same)
        return { RecordEditOutcome::Stale, 0, {} };

    struct stat info;
    if (::fstat(file.handle(), &info) != 0)
        return failed(errno, path);
    const off_t wholeRecords = off_t(info.st_size / kRecordLength) * kRecordLength;
    const off_t cut = off_t(recordNumber - 1) * kRecordLength;

    // The name is fixed and the lock serialises every writer, so a copy
    // left by a crash is simply written over.
    const QString replacementPath = resultsReplacementPath(path);
    const QByteArray replacementName = QFile::encodeName(replacementPath);
    const int out = ::open(replacementName.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (out < 0)
        return failed(errno, replacementPath);
    auto abandon = [&](int error) {
        ::close(out);
        ::unlink(replacementName.constData());
        return failed(error, replacementPath);
    };
    // The other PCs must go on reading and writing the file it replaces.
    if (::fchmod(out, info.st_mode & 07777) != 0 && errno != EPERM)
        return abandon(errno);

    std::vector<char> buffer(size_t(4) << 20);
    if (const int error = copyRange(file.handle(), 0, cut, out, buffer))
        return abandon(error);
    if (const int error
        = copyRange(file.handle(), cut + kRecordLength, wholeRecords - cut - kRecordLength, out, buffer))
        return abandon(error);
    if (::fsync(out) != 0)
        return abandon(errno);
    if (::rename(replacementName.constData(), QFile::encodeName(path).constData()) != 0)
        return abandon(errno);
    ::close(out);
    syncFolderOf(path);
    lock.release();
    file.close();
    return { RecordEditOutcome::Done, 0, {} };
}
