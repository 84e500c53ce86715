// SPDX-License-Identifier: MIT
// Replacing a shared file's whole content so that a crash, a power cut or a
// full disk at any moment leaves either the old content or the new one,
// never a mixture: the new bytes go to a file beside the old one, are
// flushed to the disk, and take the old file's name in one rename.
#pragma once

#include <QByteArray>
#include <QString>

// Writes `bytes` as the new content of `path`. The file keeps its
// permission bits (a new file gets the usual ones). False on failure, with
// `error` naming the file and the reason; the old content is then untouched
// and no file is left beside it.
bool replaceFileAtomically(const QString &path, const QByteArray &bytes, QString *error);
