// SPDX-License-Identifier: MIT
// Reading the whole results file from its first record without changing
// it: the CSV export and the file check must never create, extend or lock
// the file that every copy of the program appends to.
#pragma once

#include <QString>
#include <functional>

struct ResultsScan {
    bool ok = false;
    // When not ok: the file's path and what went wrong, for the teacher.
    QString problem;
    int errorNumber = 0;
    qint64 bytes = 0; // file length when the scan began
    qint64 records = 0; // whole records in it
};

// Hands the whole records of the file, as it was when the scan began, to
// `visit` in consecutive chunks (1-based number of the chunk's first
// record, its bytes, how many records); `opened`, when given, learns the
// length and record count before the first chunk. A missing file is a
// problem, not an empty file.
ResultsScan scanResultsFile(const QString &path,
    const std::function<void(qint64 firstRecord, const char *bytes, qint64 count)> &visit,
    const std::function<void(const ResultsScan &opened)> &opened = {});
