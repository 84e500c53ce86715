// SPDX-License-Identifier: MIT
#include "maintenance/criteria_grid.h"
#include "platform/atomic_file.h"
#include "platform/clock.h"
#include "platform/cp932.h"
#include "platform/file_lock.h"
#include "platform/item_reader.h"
#include "platform/shared_folder.h"
#include "results/criteria_file.h"
#include "state/tables.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The leading blanks (half-width and ideographic) are part of the texts.
const char16_t *const kExplanations[kGridColumns] = {
    u"",
    u"合格基準タイム\n　大部分の人ががんばったら出せそうなタイムにしてください",
    u"合格最低ラインタイム\n  この５倍が時間切れになります",
    u"目標ポイント\n　　 目標ポイント",
    u"目標回数\n　　 目標回数",
    u"ポイント倍率\n  ポイントを何倍にして加算するか\n  むずかしいレベルや生徒のいやがるレベルは高くしてください",
    u"やりすぎ禁止回数\n  何回やったらやりすぎ禁止にするか\n  ",
    u"やりすぎ禁止ポイント\n  何ポイントとったらやりすぎ禁止にするか\n ",
    u"合格判定をする日数\n　何日前からのポイントを有効にするか",
    u"やりすぎ判定をする日数\n　何日前からのポイントを有効にするか",
    u"",
    u"",
    u"",
};

} // namespace

CriteriaGridRow criteriaTitleRow()
{
    CriteriaGridRow row;
    row[0] = QStringLiteral("レベル");
    for (int c = 1; c < kGridColumns; ++c)
        row[size_t(c)] = criteriaColumnTitle(c);
    return row;
}

QString criteriaColumnExplanation(int column)
{
    if (column < 0 || column >= kGridColumns)
        return QString();
    return QString::fromUtf16(kExplanations[column]);
}

CriteriaGridLoad loadCriteriaGrid(const QString &path)
{
    CriteriaGridLoad load;
    load.rows.push_back(criteriaTitleRow());
    // The bytes are kept as read: the save compares the file with them.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        load.problem = QStringLiteral("%1\nこのファイルを読めません（%2）。").arg(path, file.errorString());
        return load;
    }
    load.bytes = file.readAll();
    ItemReader reader = ItemReader::fromText(cp932::decode(load.bytes));
    load.ok = true;
    for (int c = 0; c < kCriteriaColumns && !reader.atEnd(); ++c)
        reader.next();
    while (!reader.atEnd()) {
        CriteriaGridRow row;
        row[0] = QString::number(load.rows.size());
        const int remaining = reader.total() - reader.consumed();
        for (int c = 1; c <= kCriteriaColumns; ++c)
            row[size_t(c)] = reader.next().text;
        if (remaining < kCriteriaColumns)
            load.problem = QStringLiteral(
                "%1\n最後の行（レベル%2）は12項目のうち%3項目しかありません。足りない項目は空にしました。")
                               .arg(path)
                               .arg(load.rows.size())
                               .arg(remaining);
        load.rows.push_back(row);
    }
    return load;
}

QByteArray criteriaFileBytes(const std::vector<CriteriaGridRow> &rows)
{
    QString text;
    for (const CriteriaGridRow &row : rows) {
        for (int c = 1; c < kCriteriaColumns; ++c) {
            text += row[size_t(c)];
            text += QLatin1Char(',');
        }
        text += row[size_t(kCriteriaColumns)];
        text += QStringLiteral("\r\n");
    }
    return cp932::encode(text);
}

std::vector<CriteriaGridRow> criteriaRowsAsWritten(std::vector<CriteriaGridRow> rows)
{
    for (size_t r = 1; r < rows.size(); ++r)
        for (int c = 1; c <= kCriteriaNumericColumns; ++c)
            rows[r][size_t(c)] = criteriaCellHalfWidth(rows[r][size_t(c)]);
    return rows;
}

std::optional<CriteriaCellProblem> findCriteriaProblem(const std::vector<CriteriaGridRow> &rows)
{
    const int levels = int(rows.size()) - 1;
    if (levels > kMaxLevel)
        return CriteriaCellProblem { kMaxLevel + 1, 0,
            QStringLiteral("レベルが%1行あります。記録できるのはレベル1～%2までです。").arg(levels).arg(kMaxLevel) };
    for (int r = 1; r <= levels; ++r) {
        for (int c = 1; c <= kCriteriaColumns; ++c) {
            const QString &cell = rows[size_t(r)][size_t(c)];
            const QString where = c <= kCriteriaNumericColumns
                ? QStringLiteral("レベル%1の「%2」（%3列目）").arg(r).arg(criteriaColumnTitle(c)).arg(c)
                : QStringLiteral("レベル%1の%2列目").arg(r).arg(c);
            // A comma or a double quote would move every later item of the
            // file, and a line end would start a new row.
            for (QChar ch : cell) {
                if (ch == QLatin1Char(',') || ch == QLatin1Char('"') || ch == QLatin1Char('\r')
                    || ch == QLatin1Char('\n'))
                    return CriteriaCellProblem { r, c,
                        QStringLiteral("%1「%2」には「%3」を書けません。")
                            .arg(where, cell,
                                ch == QLatin1Char('\r') || ch == QLatin1Char('\n') ? QStringLiteral("改行")
                                                                                   : QString(ch)) };
            }
            bool unmappable = false;
            cp932::encode(cell, &unmappable);
            if (unmappable)
                return CriteriaCellProblem { r, c,
                    QStringLiteral("%1「%2」にはファイルに書けない文字があります。").arg(where, cell) };
            if (c > kCriteriaNumericColumns)
                continue;
            // An empty cell would load as 0, which no numeric column may
            // be left at without saying so (one Space empties a cell).
            const QString range = criteriaRangeText(c);
            if (criteriaCellHalfWidth(cell).isEmpty())
                return CriteriaCellProblem { r, c,
                    QStringLiteral("%1が空です。%2の数を入れてください。").arg(where, range) };
            const std::optional<double> value = criteriaCellNumber(cell);
            if (!value)
                return CriteriaCellProblem { r, c,
                    QStringLiteral("%1「%2」は数字ではありません。%3の数を入れてください。").arg(where, cell, range) };
            if (!criteriaInRange(c, *value))
                return CriteriaCellProblem { r, c,
                    QStringLiteral("%1「%2」は使える範囲の外です。%3の数を入れてください。").arg(where, cell, range) };
        }
    }
    return std::nullopt;
}

namespace {

QString reason(int errorNumber)
{
    return QString::fromLocal8Bit(std::strerror(errorNumber));
}

// The whole content of an open file, read through the descriptor.
int readAllOf(int fd, QByteArray *bytes)
{
    bytes->clear();
    char buffer[65536];
    off_t offset = 0;
    while (true) {
        const ssize_t n = ::pread(fd, buffer, sizeof buffer, offset);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (n == 0)
            return 0;
        bytes->append(buffer, n);
        offset += n;
    }
}

// Whether the name still points to the open file: another PC's save
// renames a new file over it, and a lock on the old one guards nothing.
bool stillNamed(int fd, const QByteArray &path)
{
    struct stat opened;
    struct stat named;
    return ::fstat(fd, &opened) == 0 && ::stat(path.constData(), &named) == 0 && opened.st_dev == named.st_dev
        && opened.st_ino == named.st_ino;
}

} // namespace

CriteriaSaveResult saveCriteriaIfUnchanged(
    const QString &path, const QByteArray &loaded, const QByteArray &bytes, Clock &clock)
{
    CriteriaSaveResult result;
    auto fail = [&](const QString &what, int errorNumber) {
        result.outcome = CriteriaSaveOutcome::Failed;
        result.message = QStringLiteral("%1\n%2（%3）").arg(path, what, reason(errorNumber));
        return result;
    };
    const QByteArray name = QFile::encodeName(path);
    while (true) {
        const int fd = ::open(name.constData(), O_RDWR | O_CLOEXEC);
        if (fd < 0)
            return fail(QStringLiteral("ファイルを開けません"), errno);
        if (const int error = lockWholeFileWaiting(fd, clock)) {
            ::close(fd);
            return fail(QStringLiteral("ファイルをロックできません"), error);
        }
        // The lock goes with the descriptor, on every way out.
        struct Closer {
            int fd;
            ~Closer() { ::close(fd); }
        } closer { fd };
        if (!stillNamed(fd, name))
            continue;
        QByteArray now;
        if (const int error = readAllOf(fd, &now))
            return fail(QStringLiteral("ファイルを読めません"), error);
        if (now != loaded) {
            result.outcome = CriteriaSaveOutcome::ChangedElsewhere;
            return result;
        }
        // The table as it was stays beside it, as the roster import keeps
        // the roster: a wrong save can be taken back by hand.
        QString copyError;
        if (!sharedfolder::keepDatedCopy(path, clock.now(), &result.copyPath, &copyError)) {
            result.message = copyError;
            return result;
        }
        FileReplacement replacement(path);
        if (!replacement.write(bytes) || !replacement.commit()) {
            result.message = replacement.error();
            QFile::remove(result.copyPath);
            result.copyPath.clear();
            return result;
        }
        result.outcome = CriteriaSaveOutcome::Saved;
        result.note = replacement.note();
        return result;
    }
}
