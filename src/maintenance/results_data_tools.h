// SPDX-License-Identifier: MIT
// The results-data editor's two tools for teachers, each one call from its
// button: "CSV出力" (choose a folder, export, say what was written) and
// "データ点検" (check the results file, show the report).
#pragma once

#include "maintenance/csv_export.h"
#include "maintenance/results_check.h"

#include <optional>

class QWidget;
struct SharedState;
struct Platform;

// Asks for the folder, asks before replacing runs.csv or pupils.csv there,
// exports and tells the outcome in a message box. nullopt when the teacher
// cancelled.
std::optional<CsvExportResult> exportCsvInteractive(QWidget *parent, SharedState &state, Platform &platform);

// Checks the results file and shows the report window (modal) until the
// teacher closes it or chooses a finding; the finding's first record then
// goes into `chosenRecord` (0 when none was chosen). Returns the report.
CheckReport checkResultsInteractive(
    QWidget *parent, SharedState &state, Platform &platform, qint64 *chosenRecord = nullptr);
