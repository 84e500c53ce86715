// SPDX-License-Identifier: MIT
// The one way the program replaces a shared file's whole content (the
// results file after a deletion or an undo, the criteria table, the roster,
// the files of a new data folder, the CSV export), so that a crash, a power
// cut or a full disk at any moment leaves either the old content or the new
// one, never a mixture, and the other accounts of a classroom share can go
// on writing the file afterwards:
//  - the new bytes go to a temporary file beside the old one, under a name
//    of its own (".<name>.<pid>.<random>.tmp", created exclusively and never
//    through a link someone planted there);
//  - it takes the old file's owner, group and permission bits as far as the
//    system lets this account give them (a new file takes them by the rule
//    of shared_folder.h); what could not be kept is said in `note()`. The
//    replacement is refused when the group (or others) could write the old
//    file and could not write the new one: the pupils' accounts append to
//    the results file through its group;
//  - every write, the flush and the close are checked, then the temporary
//    file takes the old one's name in one rename and the folder is flushed;
//  - on any failure the old file is untouched, the temporary file removed,
//    and `error()` names the file and the cause.
// Temporary files a crash left behind are removed the next time the same
// file is replaced, once nobody holds them (see removeLeftovers).
#pragma once

#include <QByteArray>
#include <QString>

class FileReplacement {
public:
    // Opens the temporary file beside `path` (whose folder must exist).
    // Check ok() before writing.
    explicit FileReplacement(const QString &path);
    FileReplacement(const FileReplacement &) = delete;
    FileReplacement &operator=(const FileReplacement &) = delete;
    // Removes the temporary file unless committed.
    ~FileReplacement();

    // False once a step has failed; error() then says what happened.
    bool ok() const { return fd_ >= 0 && errorNumber_ == 0; }
    // Appends to the new content. False once anything has failed.
    bool write(const char *data, qsizetype size);
    bool write(const QByteArray &bytes) { return write(bytes.constData(), bytes.size()); }
    // Flushes, closes and renames over the file, then flushes the folder.
    // False (the old file untouched, nothing left beside it) on failure.
    bool commit();
    // Gives up: the temporary file goes, the old file stays as it is.
    void abandon();

    const QString &path() const { return path_; }
    // The file and the cause of the failure, for a message.
    QString error() const { return error_; }
    int errorNumber() const { return errorNumber_; }
    // After commit: the old file's owner, group or permission bits that
    // could not be kept, in a sentence for the teacher; empty when all were.
    QString note() const { return note_; }

private:
    bool fail(const QString &what, int errorNumber);
    void keepAttributes();

    QString path_;
    QByteArray target_;
    QByteArray folder_;
    QByteArray temporary_;
    int fd_ = -1;
    int errorNumber_ = 0;
    QString error_;
    QString note_;
    bool committed_ = false;
};

// Writes `bytes` as the new content of `path` through a FileReplacement.
// False on failure with `error` naming the file and the reason; `note`
// receives what could not be kept of the old file's owner, group and mode.
bool replaceFileAtomically(const QString &path, const QByteArray &bytes, QString *error, QString *note = nullptr);

// Removes the temporary files of replacements of `path` that ended without
// finishing (a crash, a power cut): files named like FileReplacement's
// whose writer is gone. A temporary file is its writer's only while the
// writer holds a lock on it, so one that can be locked and has not been
// written for a minute is left over (the minute covers the instant between
// its creation and its writer's lock); one this account may not open is
// only removed after a day. Returns how many were removed.
int removeLeftovers(const QString &path);
