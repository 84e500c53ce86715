// SPDX-License-Identifier: MIT
// The criteria table file "タイム回数データ.txt": a header line, then one line
// of twelve items per level.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

struct SharedState;
class FatalErrors;

inline constexpr int kCriteriaColumns = 12;

// Whether column 1..12 can hold the value the loader took from a cell
// (columns 1 to 3 in 32 bits and column 4 in 16 bits after rounding).
bool criteriaColumnHolds(int column, double value);

// The values a numeric column (1 to 9) may hold for a level the program can
// run. The one table both the criteria editor's save and the loader go by:
// the editor writes nothing outside it, and the loader keeps a level with a
// value outside it from being started (CriteriaOutOfRange in the state).
// Columns 1 to 4 are compared after the loader's rounding to whole numbers.
struct CriteriaRange {
    double min;
    double max;
};
inline constexpr int kCriteriaNumericColumns = 9;
// nullopt for a column without a range (0 and the reserved 10 to 12).
std::optional<CriteriaRange> criteriaRange(int column);
// The column's title in the file's header line ("最低Time"); empty for the
// reserved columns.
QString criteriaColumnTitle(int column);
// "1～19999", as the messages and the README give the range.
QString criteriaRangeText(int column);
// Whether a value read from column 1..9 lies within the column's range.
bool criteriaInRange(int column, double value);

// Why a criteria file could not be loaded, in words for the teacher; empty
// when it loaded.
struct CriteriaLoadResult {
    bool ok = false;
    QString problem;
    // Levels loaded with a value outside its column's range, one line each
    // ("レベル3：「最低Time」500000000（1～19999）"); the file did load.
    QStringList levelProblems;
};

// The value the loader takes from a numeric cell (columns 1 to 9) below the
// header: an empty cell is 0; full-width digits, sign and point, as a
// Japanese input method types them ("６０", "－１", "１．５"), read as their
// half-width forms; anything else is refused (nullopt). The criteria editor
// checks every cell by this rule before it writes, so that it never writes
// a file the loader refuses.
std::optional<double> criteriaCellNumber(const QString &text);
// The cell as the editor writes it: full-width digits, sign, point and
// blanks in their half-width forms, blanks around it removed ("　６０" ->
// "60"). Other characters stay as they are.
QString criteriaCellHalfWidth(const QString &text);

// Reads the file into the twelve per-level tables, slot 0 (the header line)
// first. Slots beyond the file keep what they held. On any problem nothing
// is changed and the problem is described (the file's path included). A
// value outside its column's range is no such problem: the level loads as
// read, is marked in CriteriaOutOfRange and listed in `levelProblems`.
CriteriaLoadResult readCriteriaTable(SharedState &state, const QString &path);

// Start-up and editor entry point: on a problem the message box names the
// file and what is wrong, and the program ends. False after that report.
bool LoadCriteriaTable(SharedState &state, FatalErrors &fatal, const QString &path);

// The start-up message for levels whose criteria are out of range: the
// file, one line per level, and what the teacher can do; empty when every
// loaded level can be run.
QString criteriaOutOfRangeReport(const SharedState &state, const QString &path);
