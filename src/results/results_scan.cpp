// SPDX-License-Identifier: MIT
#include "results/results_scan.h"
#include "results/result_record.h"
#include "results/results_file.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

// Large enough that the system calls cost nothing next to the work on the
// bytes, small enough to stay in the cache while it is worked on.
constexpr qint64 kChunkRecords = 8192;

ResultsScan failed(const QString &path, int errorNumber)
{
    ResultsScan scan;
    scan.errorNumber = errorNumber;
    scan.problem = errorNumber == ENOENT ? QStringLiteral("成績ファイルがありません：%1").arg(path)
                                         : QStringLiteral("成績ファイルを読めません：%1（%2、エラー番号 %3）")
                                               .arg(path, fileErrorDescription(errorNumber))
                                               .arg(errorNumber);
    return scan;
}

} // namespace

ResultsScan scanResultsFile(const QString &path,
    const std::function<void(qint64 firstRecord, const char *bytes, qint64 count)> &visit,
    const std::function<void(const ResultsScan &opened)> &opened)
{
    const QByteArray name = QFile::encodeName(path);
    int fd;
    do {
        fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return failed(path, errno);

    struct stat info;
    if (::fstat(fd, &info) != 0) {
        const int e = errno;
        ::close(fd);
        return failed(path, e);
    }
    if (S_ISDIR(info.st_mode)) {
        ::close(fd);
        return failed(path, EISDIR);
    }
    ResultsScan scan;
    scan.bytes = qint64(info.st_size);
    scan.records = scan.bytes / kRecordLength;
    if (opened)
        opened(scan);

    // Appends made by other copies while the scan runs are left for the
    // next scan, so every count in one scan describes the same records.
    std::vector<char> chunk(size_t(kChunkRecords * kRecordLength));
    for (qint64 first = 1; first <= scan.records; first += kChunkRecords) {
        const qint64 count = std::min(kChunkRecords, scan.records - first + 1);
        const size_t wanted = size_t(count * kRecordLength);
        size_t got = 0;
        while (got < wanted) {
            const ssize_t n
                = ::pread(fd, chunk.data() + got, wanted - got, off_t((first - 1) * kRecordLength) + off_t(got));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                // Cut short by a rewrite (the editor's deletion) or a read
                // error: what was read is not the whole file.
                const int e = n < 0 ? errno : EIO;
                ::close(fd);
                return failed(path, e);
            }
            got += size_t(n);
        }
        visit(first, chunk.data(), count);
    }
    ::close(fd);
    scan.ok = true;
    return scan;
}
