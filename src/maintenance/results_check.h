// SPDX-License-Identifier: MIT
// The results-file check: reads "成績累積データ.dat" without changing it and
// finds what would make counts wrong or records vanish, each finding with
// the record numbers it concerns, so a teacher can act before something
// goes wrong (a torn tail, records the loader skips as damaged, a PC whose
// clock was wrong, runs of pupils the roster does not know, impossible
// times, another school's code).
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <array>
#include <vector>

struct SharedState;

enum class CheckKind {
    TornTail, // length not a multiple of 44
    Damaged, // level outside 0..35 or pupil outside 0..5000: the loader skips it
    LevelZero, // never a run: counted nowhere
    DateNotANumber,
    DateBefore2000,
    DateInFuture,
    PupilNotOnRoster,
    SecondsOutOfRange, // outside 0..99999
    UnknownSchoolCode, // not the code this school writes
    RosterUnreadable, // the roster could not be read: pupils not checked
};

// One finding, over a run of consecutive records with the same value (any
// values for damaged records: a stretch of garbage is one finding).
struct CheckFinding {
    CheckKind kind = CheckKind::TornTail;
    qint64 firstRecord = 0; // 0 when it concerns no record
    qint64 lastRecord = 0;
    double value = 0; // the level, pupil, seconds, date or byte count
    double pupil = 0; // the pupil number of a damaged record
    std::array<char, 5> code {}; // the school code of UnknownSchoolCode
};

struct CheckReport {
    enum class Status { Clean = 0, Findings = 1, Unreadable = 2 };

    Status status = Status::Unreadable;
    QString path;
    QString problem; // when unreadable: the file and what went wrong
    qint64 bytes = 0;
    qint64 records = 0;
    qint64 recordsWithFindings = 0;
    std::vector<CheckFinding> findings; // by record number, then kind
    // What the findings are measured against.
    QDate today;
    std::array<char, 5> ownCode {};
    QString rosterProblem;
    // The results-data editor's journal beside the file (results_journal.h):
    // its size says how much a teacher can still undo.
    QString journalPath;
    bool journalExists = false;
    bool journalReadable = true;
    qint64 journalBytes = 0;
    qint64 journalEntries = 0;

    int exitStatus() const { return int(status); }

    // The report in Japanese: the file (and the journal's size), one
    // finding a line, a summary line.
    QString headerLine() const;
    QString journalText() const;
    QString findingLine(const CheckFinding &finding) const;
    QString summaryLine() const;
    QStringList lines() const;
    // For scripts: a header row, one row per finding, a "journal" row (value:
    // the journal's bytes), then a summary row; UTF-8, tab-separated, LF.
    QByteArray tsv() const;
};

// The stable name of a kind, as the TSV form writes it.
const char *checkKindName(CheckKind kind);

// Checks the results file of `state` (folders and common settings loaded)
// against its roster, its school code and the date of `now`.
CheckReport checkResultsFile(const SharedState &state, const QDateTime &now);
