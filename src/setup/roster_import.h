// SPDX-License-Identifier: MIT
// Roster import from a spreadsheet: a CSV saved by Excel (UTF-8 with or
// without BOM, or CP932) with a header row naming its columns, checked row
// by row and written as "新名簿.txt" in the roster's own layout. A file with
// any bad row writes nothing.
//
// One class list at a time: an import adds the pupils whose numbers are new
// and updates those already there, and keeps everybody else, so importing
// 5年2組.csv after 5年1組.csv leaves both classes. Replacing the whole
// roster is asked for separately (--replace), and even then a teacher
// stays unless the file names the teacher's number with a status that is
// not listed; without a teacher nobody could open the data-change panel.
#pragma once

#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

namespace rosterimport {

enum class Mode {
    AddOrUpdate, // new numbers added, known numbers updated, the rest kept
    Replace, // the file's rows only, and the teachers it does not name
};

// The birth year a teacher row without a year or grade gets when the
// teacher is new (an updated teacher keeps the year the roster has): the
// starter roster's, far from any pupil's.
inline constexpr int kTeacherBirthYear = 1980;

struct Row {
    int line = 0; // line of the CSV file the row starts on
    int number = 0;
    int birthYear = 0; // 0 for a teacher row without year or grade
    QString name;
    int status = 0;
    QString reading; // ふりがな as typed, or empty
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
    // Rows whose grade named no school stage ("5年", "5") and was read as
    // elementary school for want of a 学校 column.
    int gradesReadAsElementary = 0;

    bool ok() const { return fileProblem.isEmpty() && problems.isEmpty() && !rows.isEmpty(); }
};

// Decodes and checks a CSV. `today` and the school year's start month turn a
// grade (学年) into the birth year the roster stores.
Parsed parse(const QByteArray &bytes, const QDate &today, double schoolYearStartMonth);

// What an import would make of the roster in `rosterPath` (a missing file is
// an empty roster).
struct Plan {
    QString problem; // the import cannot go on: the reason, naming the file
    QList<RowProblem> problems; // rows the roster refuses (a teacher's number)
    QString rosterText; // the new roster (UTF-8, LF)
    int written = 0; // rows of the file written
    int added = 0; // of them with a number new to the roster
    int updated = 0; // of them with a number the roster had
    int kept = 0; // entries the file does not name, kept
    int removed = 0; // entries the file does not name, left out (replace only)
    int teachersKept = 0; // of the kept, teachers a replace would have removed
    bool teacherListed = false; // the new roster lists a teacher
    QString warning; // written, but worth a look

    bool ok() const { return problem.isEmpty() && problems.isEmpty(); }
};
Plan plan(const Parsed &parsed, const QString &rosterPath, Mode mode);

struct Outcome {
    bool ok = false;
    QString message; // what was done, or every reason it was not, for the teacher
    QString backupPath; // the dated copy of the old roster, when there was one
    int count = 0; // rows of the file written
    QString warning; // written, but worth a look (no teacher in the list, the old file's owner not kept)
};

// Reads the CSV, checks it against the roster of `dataRoot` and, when every
// row is good, keeps the old roster as a dated copy and writes the new one
// beside it, then renames it into place.
Outcome importFile(const QString &csvPath, const QString &dataRoot, double schoolYearStartMonth, const QDateTime &now,
    Mode mode = Mode::AddOrUpdate);

// Where the data root and the start month come from for the command line:
// the path file found by the program's usual search, and the common settings
// in that root. False with a message naming the file otherwise.
bool locateDataRoot(const QString &executableFolder, QString *dataRoot, double *startMonth, QString *error);

// Checks the rows only: a message listing every bad row, "" when none.
QString describeProblems(const QString &csvPath, const Parsed &parsed);

// The same for rows the roster refuses, and a roster that cannot be read.
QString describeProblems(const QString &csvPath, const Plan &plan);

// The grade forms a file may use, for messages and the help text.
QString gradeFormsText();

} // namespace rosterimport
