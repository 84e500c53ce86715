// SPDX-License-Identifier: MIT
// Folder texts end in a separator so that file names are appended directly.
// The data files may have been written on Windows, so backslashes in a folder
// text read from a file are translated to the separator of this system.
#pragma once

#include <QString>

namespace folderpath {

inline constexpr QChar kSeparator = QLatin1Char('/');

// Backslashes become "/", and a missing trailing "/" is added.
QString normalise(const QString &folder);
// The last component of a folder path (no trailing separator expected).
QString lastComponent(const QString &folder);

} // namespace folderpath
