// SPDX-License-Identifier: MIT
// The criteria table as the criteria editor holds it: a grid of cell texts,
// row 0 the column titles and row n level n, read from and written to
// "タイム回数データ.txt"; the column explanations; and the check that a grid
// can be written without making the loader refuse the file.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

inline constexpr int kGridColumns = 13; // column 0 = level number, 1..12 criteria

// One grid row: column 0 holds the level number (empty in the title row).
using CriteriaGridRow = std::array<QString, kGridColumns>;

// Row 0 of the grid: "レベル" and the nine column titles, then three empty.
CriteriaGridRow criteriaTitleRow();

// Title and explanation of a column, as the editor shows it under "列の説明";
// empty for column 0 and 10..12.
QString criteriaColumnExplanation(int column);

struct CriteriaGridLoad {
    // Rows 0..N; row 0 is the title row, whatever the file's header says.
    std::vector<CriteriaGridRow> rows;
    bool ok = false; // false: the file could not be read at all
    QString problem; // the file and what is wrong; empty when all is well
    QByteArray bytes; // the file as read, for the save's check
};

// Reads the file twelve items at a time: the first twelve (the header line)
// are dropped, each further twelve make a row. A last row short of items
// is completed with empty cells and reported in `problem`.
CriteriaGridLoad loadCriteriaGrid(const QString &path);

// The file's bytes for grid rows 0..N: per row columns 1..11 each followed by
// a comma, column 12 by CR LF; cell texts as they are, in CP932.
QByteArray criteriaFileBytes(const std::vector<CriteriaGridRow> &rows);

// The rows as the save writes them: the numeric cells (columns 1 to 9) of
// the levels in half-width, without blanks around them, so that "６０"
// is written as 60.
std::vector<CriteriaGridRow> criteriaRowsAsWritten(std::vector<CriteriaGridRow> rows);

// A cell the loader would refuse or report, or that would change the
// file's layout.
struct CriteriaCellProblem {
    int row = 0; // grid row = level
    int column = 0; // 1..12; 0 when the problem is the number of rows
    QString message;
};

// The first cell (row by row, left to right) that must not be written, so
// that every PC sharing the data root still starts with the saved file and
// can run every level of it: a numeric cell that is empty, no number, or
// outside its column's range (criteriaRange), with the level, the column
// and the range in the message.
std::optional<CriteriaCellProblem> findCriteriaProblem(const std::vector<CriteriaGridRow> &rows);

class Clock;

enum class CriteriaSaveOutcome {
    Saved,
    ChangedElsewhere, // the file is no longer what the editor loaded; nothing written
    Failed, // nothing written; the message says why
};

struct CriteriaSaveResult {
    CriteriaSaveOutcome outcome = CriteriaSaveOutcome::Failed;
    QString message; // when failed: the file and the cause
    QString note; // when saved: what of the old file's owner, group or mode could not be kept
    QString copyPath; // when saved: the dated copy of the table as it was
};

// Two teachers, one table: replaces the file at `path` with `bytes` only if,
// under its whole-file lock (file_lock.h, held until the new file has the
// name), it still holds exactly `loaded`, the bytes the editor showed. A
// save from another PC since is never written over. Waits while another
// copy holds the lock. The file as it was is first kept as a dated copy
// beside it (sharedfolder::keepDatedCopy); no copy, no save.
CriteriaSaveResult saveCriteriaIfUnchanged(
    const QString &path, const QByteArray &loaded, const QByteArray &bytes, Clock &clock);
