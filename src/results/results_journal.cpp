// SPDX-License-Identifier: MIT
#include "results/results_journal.h"
#include "platform/cp932.h"
#include "platform/file_calls.h"
#include "platform/shared_folder.h"
#include "results/result_record.h"

#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <QtEndian>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char kMagic[4] = { 'R', 'K', 'J', '1' };
constexpr int kHostBytes = 64;
constexpr int kOffsetAction = 4;
constexpr int kOffsetFlags = 6;
constexpr int kOffsetDate = 8;
constexpr int kOffsetTime = 16;
constexpr int kOffsetRecordNumber = 24;
constexpr int kOffsetUndoes = 32;
constexpr int kOffsetOld = 40;
constexpr int kOffsetNew = 84;
constexpr int kOffsetBefore = 128;
constexpr int kOffsetAfter = 172;
constexpr int kOffsetHost = 216;
constexpr std::uint16_t kHasBefore = 1;
constexpr std::uint16_t kHasAfter = 2;

void putRecord(QByteArray &out, int offset, const QByteArray &record)
{
    if (record.size() == kRecordLength)
        std::memcpy(out.data() + offset, record.constData(), kRecordLength);
}

QByteArray recordAt(const char *bytes, int offset)
{
    return QByteArray(bytes + offset, kRecordLength);
}

// The host name in CP932, cut before a character that would not fit whole.
QByteArray hostField(const QString &host)
{
    QByteArray out;
    for (qsizetype i = 0; i < host.size(); ++i) {
        const qsizetype length = host[i].isHighSurrogate() && i + 1 < host.size() ? 2 : 1;
        const QByteArray bytes = cp932::encode(host.mid(i, length));
        if (out.size() + bytes.size() > kHostBytes)
            break;
        out += bytes;
        i += length - 1;
    }
    return out;
}

int openJournal(const QString &journalPath)
{
    return sharedfolder::openOrCreate(QFile::encodeName(journalPath), O_RDWR);
}

} // namespace

QString resultsJournalPath(const QString &resultsPath)
{
    const QFileInfo info(resultsPath);
    return info.path() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral("変更記録.") + info.suffix();
}

QByteArray encodeJournalEntry(const JournalEntry &entry)
{
    QByteArray out(kJournalEntryLength, '\0');
    char *p = out.data();
    std::memcpy(p, kMagic, sizeof kMagic);
    qToLittleEndian(std::int16_t(entry.action), p + kOffsetAction);
    std::uint16_t flags = 0;
    if (entry.before.size() == kRecordLength)
        flags |= kHasBefore;
    if (entry.after.size() == kRecordLength)
        flags |= kHasAfter;
    qToLittleEndian(flags, p + kOffsetFlags);
    qToLittleEndian(entry.date, p + kOffsetDate);
    qToLittleEndian(entry.timeOfDay, p + kOffsetTime);
    qToLittleEndian(std::int64_t(entry.recordNumber), p + kOffsetRecordNumber);
    qToLittleEndian(std::int64_t(entry.undoes), p + kOffsetUndoes);
    putRecord(out, kOffsetOld, entry.oldRecord);
    putRecord(out, kOffsetNew, entry.newRecord);
    putRecord(out, kOffsetBefore, entry.before);
    putRecord(out, kOffsetAfter, entry.after);
    const QByteArray host = hostField(entry.host);
    std::memcpy(p + kOffsetHost, host.constData(), size_t(host.size()));
    return out;
}

std::optional<JournalEntry> decodeJournalEntry(const char *bytes, qint64 number)
{
    if (std::memcmp(bytes, kMagic, sizeof kMagic) != 0)
        return std::nullopt;
    const auto action = qFromLittleEndian<std::int16_t>(bytes + kOffsetAction);
    if (action < std::int16_t(JournalAction::Change) || action > std::int16_t(JournalAction::UndoOfDeletion))
        return std::nullopt;
    JournalEntry entry;
    entry.number = number;
    entry.action = JournalAction(action);
    const auto flags = qFromLittleEndian<std::uint16_t>(bytes + kOffsetFlags);
    entry.date = qFromLittleEndian<double>(bytes + kOffsetDate);
    entry.timeOfDay = qFromLittleEndian<double>(bytes + kOffsetTime);
    entry.recordNumber = qFromLittleEndian<std::int64_t>(bytes + kOffsetRecordNumber);
    entry.undoes = qFromLittleEndian<std::int64_t>(bytes + kOffsetUndoes);
    entry.oldRecord = recordAt(bytes, kOffsetOld);
    if (entry.action == JournalAction::Change || entry.action == JournalAction::UndoOfChange)
        entry.newRecord = recordAt(bytes, kOffsetNew);
    if (flags & kHasBefore)
        entry.before = recordAt(bytes, kOffsetBefore);
    if (flags & kHasAfter)
        entry.after = recordAt(bytes, kOffsetAfter);
    const char *host = bytes + kOffsetHost;
    entry.host = cp932::decode(QByteArray(host, int(strnlen(host, kHostBytes))));
    return entry;
}

bool JournalContents::undone(qint64 number) const
{
    for (const JournalEntry &e : entries)
        if (e.isUndo() && e.undoes == number)
            return true;
    return false;
}

const JournalEntry *JournalContents::find(qint64 number) const
{
    for (const JournalEntry &e : entries)
        if (e.number == number)
            return &e;
    return nullptr;
}

JournalContents readJournal(const QString &journalPath)
{
    JournalContents contents;
    const int fd = ::open(QFile::encodeName(journalPath).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        // No journal yet: nothing was changed or deleted since it began.
        contents.ok = errno == ENOENT;
        contents.errorNumber = contents.ok ? 0 : errno;
        return contents;
    }
    contents.exists = true;
    QByteArray bytes;
    char buffer[65536];
    while (true) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            contents.errorNumber = errno;
            ::close(fd);
            return contents;
        }
        if (n == 0)
            break;
        bytes.append(buffer, n);
    }
    ::close(fd);
    contents.bytes = bytes.size();
    const qint64 whole = bytes.size() / kJournalEntryLength;
    for (qint64 i = 0; i < whole; ++i) {
        if (auto entry = decodeJournalEntry(bytes.constData() + i * kJournalEntryLength, i + 1))
            contents.entries.push_back(std::move(*entry));
        else
            ++contents.unreadable;
    }
    contents.ok = true;
    return contents;
}

int appendJournalEntry(const QString &journalPath, const JournalEntry &entry, qint64 *lengthBefore, qint64 *number)
{
    const int fd = openJournal(journalPath);
    if (fd < 0)
        return errno;
    struct stat info;
    if (::fstat(fd, &info) != 0) {
        const int error = errno;
        ::close(fd);
        return error;
    }
    // Whole entries only: a torn tail left by a crash is written over.
    const qint64 at = qint64(info.st_size) / kJournalEntryLength * kJournalEntryLength;
    const QByteArray bytes = encodeJournalEntry(entry);
    int error = pwriteFully(fd, bytes.constData(), size_t(bytes.size()), off_t(at));
    if (error == 0)
        error = syncData(fd);
    // An entry that may not have reached the disk announces nothing: the
    // action does not go ahead, so the entry goes (if it can).
    if (error != 0 && ::ftruncate(fd, off_t(at)) == 0)
        syncData(fd);
    const int closeError = closeChecked(fd);
    if (error == 0)
        error = closeError;
    if (error == 0) {
        if (lengthBefore)
            *lengthBefore = at;
        if (number)
            *number = at / kJournalEntryLength + 1;
    }
    return error;
}

int takeBackJournalEntry(const QString &journalPath, qint64 length)
{
    const int fd = ::open(QFile::encodeName(journalPath).constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return errno;
    int error = ::ftruncate(fd, off_t(length)) == 0 ? 0 : errno;
    if (error == 0)
        error = syncData(fd);
    const int closeError = closeChecked(fd);
    return error ? error : closeError;
}

QString journalHostName()
{
    return QSysInfo::machineHostName();
}
