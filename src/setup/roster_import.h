// SPDX-License-Identifier: MIT
// Roster import from a spreadsheet: a CSV saved by Excel (UTF-8 with or
// without BOM, or CP932) with a header row naming its columns, checked row
// by row and written as "新名簿.txt" in the roster's own layout. A file with
// any bad row writes nothing.
#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

namespace rosterimport {

struct Row {
    int line = 0; // line of the CSV file the row starts on
    int number = 0;
    int birthYear = 0;
    QString name;
    int status = 0;
};

struct RowProblem {
    int line = 0;
    QString reason;
};

struct Parsed {
    QString encoding; // "UTF-8 (BOM付き)", "UTF-8" or "Shift-JIS"
    QString fileProblem; // the file as a whole cannot be read; empty when it can
    QList<Row> rows;
    QList<RowProblem> problems;

    bool ok() const { return fileProblem.isEmpty() && problems.isEmpty() && !rows.isEmpty(); }
};

// Decodes and checks a CSV. `today` and the school year's start month turn a
// grade (学年) into the birth year the roster stores.
Parsed parse(const QByteArray &bytes, const QDate &today, double schoolYearStartMonth);

// The roster text (UTF-8, LF) of checked rows: eight values per entry,
// texts quoted, in the order of the CSV.
QString rosterText(const QList<Row> &rows);

struct Outcome {
    bool ok = false;
    QString message; // what was done, or every reason it was not, for the teacher
    QString backupPath; // the dated copy of the old roster, when there was one
    int count = 0; // entries written
    QString warning; // written, but worth a look (no teacher in the list, the old file's owner not kept)
};

// Reads the CSV, checks it and, when every row is good, keeps the old
// roster of `dataRoot` as a dated copy and writes the new one beside it,
// then renames it into place.
Outcome importFile(const QString &csvPath, const QString &dataRoot, double schoolYearStartMonth, const QDateTime &now);

// Where the data root and the start month come from for the command line:
// the path file found by the program's usual search, and the common settings
// in that root. False with a message naming the file otherwise.
bool locateDataRoot(const QString &executableFolder, QString *dataRoot, double *startMonth, QString *error);

// Checks the rows only: a message listing every bad row, "" when none.
QString describeProblems(const QString &csvPath, const Parsed &parsed);

} // namespace rosterimport
