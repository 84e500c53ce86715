// SPDX-License-Identifier: MIT
// The teachers' spreadsheet export: every stored run (runs.csv) and a
// summary per pupil and level (pupils.csv), in UTF-8 with a byte-order mark
// and CR LF so that Excel in Japanese and LibreOffice open them as they are.
// Points, pass and over-practice come from the program's own counts, so the
// sheets say what the hub says.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QDateTime>
#include <QString>
#include <QStringList>

struct SharedState;

// One field as RFC 4180 wants it: in double quotes, with inner quotes
// doubled, when it holds a comma, a double quote, CR or LF; as it is
// otherwise.
void appendCsvField(QByteArray &line, QByteArrayView utf8);
QByteArray csvField(const QString &text);

inline constexpr char kCsvRunsFile[] = "runs.csv";
inline constexpr char kCsvPupilsFile[] = "pupils.csv";

struct CsvExportResult {
    bool ok = false;
    QString problem; // when not ok: the file and what went wrong
    QString runsPath;
    QString pupilsPath;
    qint64 records = 0; // whole records in the results file
    qint64 runRows = 0;
    qint64 pupilRows = 0;
    qint64 damaged = 0; // level or pupil number the tables cannot hold
    qint64 notRuns = 0; // level 0: never a run
    qint64 tornBytes = 0; // a trailing partial record
    qint64 countedFrom = 1; // first record the counts (pupils.csv) cover
    qint64 countedRecords = 0; // records the counts took, as the screens take them
    QString rosterProblem; // names and grades are empty when set
    QStringList notes; // per replaced file, what of its owner, group or mode could not be kept
};

// Writes runs.csv and pupils.csv into `folder` (created when missing, by
// the shared folder rule; existing files are replaced whole, never
// half-written, keeping their owner, group and mode where the system lets). Needs from
// `state` the folders, the common settings and the criteria table; the
// roster is read from the data root, the results file from the program's
// data folder, neither is changed. `now` decides today, the periods and the
// grades.
CsvExportResult exportCsv(const SharedState &state, const QDateTime &now, const QString &folder);

// The outcome for the teacher, one sentence a line.
QStringList csvExportSummary(const CsvExportResult &result);
