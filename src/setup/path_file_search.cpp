// SPDX-License-Identifier: MIT
#include "setup/path_file_search.h"
#include "platform/folder_path.h"
#include "setup/data_files.h"

#include <QDir>
#include <QFileInfo>

namespace pathsearch {

QString userConfigFolder()
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    // A relative value is invalid by the XDG rules and must be ignored.
    if (base.isEmpty() || !QDir::isAbsolutePath(base))
        base = QDir::homePath() + QStringLiteral("/.config");
    return folderpath::normalise(QDir::cleanPath(base) + QStringLiteral("/rukamina"));
}

SearchFolders defaultFolders(const QString &installFolder)
{
    return { folderpath::normalise(QDir::cleanPath(installFolder + QStringLiteral("/.."))), userConfigFolder(),
        kSystemConfigFolder };
}

QStringList candidates(const SearchFolders &folders)
{
    QStringList out;
    for (const QString &folder : { folders.suite, folders.user, folders.system }) {
        if (!folder.isEmpty())
            out << folderpath::normalise(folder) + datafiles::kPathFileName;
    }
    return out;
}

QString find(const SearchFolders &folders)
{
    for (const QString &path : candidates(folders)) {
        if (QFileInfo(path).isFile())
            return path;
    }
    return QString();
}

} // namespace pathsearch
