// SPDX-License-Identifier: MIT
#include "setup/new_data_files.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace newdatafiles {

bool makeFolder(const QString &path, int *errorNumber)
{
    QByteArray name = QFile::encodeName(path);
    while (name.size() > 1 && name.endsWith('/'))
        name.chop(1);
    struct stat info;
    if (::stat(name.constData(), &info) == 0) {
        if (S_ISDIR(info.st_mode))
            return true;
        *errorNumber = ENOTDIR;
        return false;
    }
    const qsizetype slash = name.lastIndexOf('/');
    if (slash > 0 && !makeFolder(QFile::decodeName(name.left(slash)), errorNumber))
        return false;
    if (::mkdir(name.constData(), 0777) != 0 && errno != EEXIST) {
        *errorNumber = errno;
        return false;
    }
    return true;
}

int createExclusive(const QString &path)
{
    return ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
}

} // namespace newdatafiles
