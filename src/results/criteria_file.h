// SPDX-License-Identifier: MIT
// The criteria table file "タイム回数データ.txt": a header line, then one line
// of twelve items per level.
#pragma once

#include <QString>

struct SharedState;
class FatalErrors;

inline constexpr int kCriteriaColumns = 12;

// Why a criteria file could not be loaded, in words for the teacher; empty
// when it loaded.
struct CriteriaLoadResult {
    bool ok = false;
    QString problem;
};

// Reads the file into the twelve per-level tables, slot 0 (the header line)
// first. Slots beyond the file keep what they held. On any problem nothing
// is changed and the problem is described (the file's path included).
CriteriaLoadResult readCriteriaTable(SharedState &state, const QString &path);

// Start-up and editor entry point: on a problem the message box names the
// file and what is wrong, and the program ends. False after that report.
bool LoadCriteriaTable(SharedState &state, FatalErrors &fatal, const QString &path);
