// SPDX-License-Identifier: MIT
// Where the program looks for its path file "パスデータ.txt", first match
// wins:
//  1. beside the program's folder (install folder + "../"), as a suite
//     installation keeps it;
//  2. the user's configuration folder, $XDG_CONFIG_HOME/rukamina/
//     (~/.config/rukamina/ when unset), which the first-run set-up writes;
//  3. the machine's /etc/rukamina/, which an administrator fills once for
//     every user of a classroom PC.
// A suite layout keeps working unchanged, and a user's own choice beats the
// machine-wide one, as configuration usually goes on this system.
#pragma once

#include <QString>
#include <QStringList>

namespace pathsearch {

// The folders searched, in order, each ending in "/".
struct SearchFolders {
    QString suite;
    QString user;
    QString system;
};

// The folders for a program in `installFolder` (ending in "/"), the user's
// taken from the environment now.
SearchFolders defaultFolders(const QString &installFolder);

// $XDG_CONFIG_HOME/rukamina/ or ~/.config/rukamina/, ending in "/".
QString userConfigFolder();
inline const QString kSystemConfigFolder = QStringLiteral("/etc/rukamina/");

// The full names of the path files in search order.
QStringList candidates(const SearchFolders &folders);

// The first candidate that exists, or empty when none does.
QString find(const SearchFolders &folders);

} // namespace pathsearch
