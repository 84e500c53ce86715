// SPDX-License-Identifier: MIT
// The default sounds as the package installs them, in
// <prefix>/share/rukamina/sounds/: under ASCII names, so that building the
// package, installing it and listing it work in any locale (tar and dpkg
// see bytes, and a locale without UTF-8 cannot name 正解1.wav). A new data
// folder gets them under the names its sound list uses.
#pragma once

#include <QString>

namespace installedsounds {

// The installed name of a file of the sound folder: "正解1.wav" ->
// "correct1.wav", "新音ファイル.txt" -> "sound-list.txt". A name the program
// does not ship is its own.
QString installedName(const QString &dataName);

// The name a data folder's sound folder uses for an installed file; the
// reverse of installedName(). A name not in the table is its own, so a
// sound an administrator added there is copied as it is.
QString dataName(const QString &installedName);

} // namespace installedsounds
