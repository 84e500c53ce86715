// SPDX-License-Identifier: MIT
// The criteria table file "タイム回数データ.txt": a header line, then one line
// of twelve items per level.
#pragma once

#include <QString>
#include <optional>

struct SharedState;
class FatalErrors;

inline constexpr int kCriteriaColumns = 12;

// Whether column 1..12 can hold the value the loader took from a cell
// (columns 1 to 3 in 32 bits and column 4 in 16 bits after rounding).
bool criteriaColumnHolds(int column, double value);

// Why a criteria file could not be loaded, in words for the teacher; empty
// when it loaded.
struct CriteriaLoadResult {
    bool ok = false;
    QString problem;
};

// The value the loader takes from a numeric cell (columns 1 to 9) below the
// header: an empty cell is 0; full-width digits, sign and point, as a
// Japanese input method types them ("６０", "－１", "１．５"), read as their
// half-width forms; anything else is refused (nullopt). The criteria editor
// checks every cell by this rule before it writes, so that it never writes
// a file the loader refuses.
std::optional<double> criteriaCellNumber(const QString &text);

// Reads the file into the twelve per-level tables, slot 0 (the header line)
// first. Slots beyond the file keep what they held. On any problem nothing
// is changed and the problem is described (the file's path included).
CriteriaLoadResult readCriteriaTable(SharedState &state, const QString &path);

// Start-up and editor entry point: on a problem the message box names the
// file and what is wrong, and the program ends. False after that report.
bool LoadCriteriaTable(SharedState &state, FatalErrors &fatal, const QString &path);
