// SPDX-License-Identifier: MIT
#include "platform/folder_path.h"

namespace folderpath {

QString normalise(const QString &folder)
{
    QString f = folder;
    f.replace(QLatin1Char('\\'), kSeparator);
    if (!f.isEmpty() && !f.endsWith(kSeparator))
        f += kSeparator;
    return f;
}

QString lastComponent(const QString &folder)
{
    QString f = folder;
    while (f.size() > 1 && f.endsWith(kSeparator))
        f.chop(1);
    const int slash = int(f.lastIndexOf(kSeparator));
    return slash < 0 ? f : f.mid(slash + 1);
}

} // namespace folderpath
