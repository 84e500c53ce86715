// SPDX-License-Identifier: MIT
// The first-run set-up without its dialog: checking what was entered,
// writing a new data folder, checking an existing one, and writing the path
// file that points the program at it.
#pragma once

#include "setup/data_files.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace firstrun {

struct NewDataFolder {
    QString folder; // the data root, absolute
    datafiles::CommonSettings settings;
};

// What is wrong with the entries, one sentence each; empty when they can be
// written so that the program reads them back as entered.
QStringList check(const NewDataFolder &entry);

// The files a new data folder gets, relative to its root.
QStringList newFolderFiles(const QString &programFolderName);

// Those of newFolderFiles() that already exist in `folder`.
QStringList existingFiles(const QString &folder, const QString &programFolderName);

// The one roster entry a new data folder starts with: a teacher, so that
// someone can sign in, open the data-change panel and import the class list.
QString starterRosterText();

// Writes a new data folder: common settings, the starter roster, the
// criteria table, an empty results file and the sound folder (copied from
// `defaultSoundFolder` when it holds a sound list, else the built-in tones).
// A file that already exists is replaced only with `replaceExisting`, and
// then first kept as a dated copy beside it; an existing results file is
// never replaced, since it holds the school's runs. Files and folders are
// made by the shared folder rule (group-writable in a group-writable
// folder). On a failure every file written so far is taken back and `error`
// names the file and the reason; `notes` receives, per replaced file, what
// could not be kept of its owner, group or permissions.
bool createDataFolder(const NewDataFolder &entry, const QString &programFolderName, const QString &defaultSoundFolder,
    bool replaceExisting, const QDateTime &now, QString *error, QStringList *notes = nullptr);

// Why `folder` cannot serve as an existing data folder for this program
// (files missing or unreadable), or empty when it can.
QString checkExistingDataFolder(const QString &folder, const QString &programFolderName);

// Writes the path file naming `dataRoot` into `configFolder`.
bool writePathFile(const QString &configFolder, const QString &dataRoot, QString *error);

// The installed default sounds for a program in `installFolder`.
QString installedSoundFolder(const QString &installFolder);

} // namespace firstrun
