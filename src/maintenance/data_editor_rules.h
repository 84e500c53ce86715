// SPDX-License-Identifier: MIT
// The rules of the results-data editor that need no window: the editor's
// own roster lists, the line of a stored run, the record count, and the
// checks a corrected pupil and time must pass before anything is written.
#pragma once

#include "results/result_record.h"
#include "roster/roster_file.h"

#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

// The roster as the editor reads it: every entry whatever its status, the
// names trimmed, the grade label of table B (empty where it has none), and
// the pupil choices "12 /  name" in file order.
struct EditorRoster {
    std::vector<QString> names = std::vector<QString>(kMaxPupil + 1);
    std::vector<QString> gradeLabels = std::vector<QString>(kMaxPupil + 1);
    std::vector<bool> listed = std::vector<bool>(kMaxPupil + 1, false);
    QStringList choices;

    QString nameOf(int pupil) const;
    QString gradeLabelOf(int pupil) const;
    bool has(int pupil) const { return pupil >= 0 && pupil <= kMaxPupil && listed[size_t(pupil)]; }
};

// Reads the roster file at `path` for the editor. On failure the entries
// read before it are kept and the reason is set.
bool LoadEditorRoster(const QString &path, int schoolYear, EditorRoster &roster, RosterFailure *failure);

// "12 /  name": the pupil number, " /  ", the trimmed name.
QString pupilChoiceText(int pupil, const QString &trimmedName);

// Pads with blanks on the left to `width`; a longer text keeps its
// rightmost `width` characters.
QString rightAligned(const QString &text, int width);

// The list line of record `recordNumber`, from its seventeen parts; the
// line ends with the school of the record (SchoolOfRecord). The record
// number is right-aligned in `numberWidth` characters and never cut: a
// teacher looks a record up by the number the check reports.
QString dataListLine(qint64 recordNumber, const ResultRecord &record, const EditorRoster &roster,
    const SchoolOfRecord &school, int numberWidth = 4);
// The width of the record-number part for a file whose widest number is
// `largestRecordNumber`: 4, or more when the file needs it.
int recordNumberWidth(qint64 largestRecordNumber);

// "総レコード数:" and the number of whole records; a torn tail (a record a
// crash left partly written) is named with its bytes, not shown as a
// fraction of a record.
QString recordCountText(qint64 fileLength);

// The pupil number of a choice text: the number before its first "/", for
// showing that pupil's grade. nullopt when there is no "/" or no number.
std::optional<int> choicePupilNumber(const QString &choiceText);

// A corrected time: a whole number 0..99999 (blanks around it allowed).
// nullopt with the problem, for a message, otherwise.
std::optional<std::int32_t> validEditedTime(const QString &text, QString *problem);
// A corrected pupil: a choice text whose number before "/" is a pupil of
// the roster, or is `storedPupil`, the run's own pupil, whether or not the
// roster still has them (a pupil who has left keeps their runs, and their
// times can still be corrected). nullopt with the problem otherwise.
std::optional<std::int16_t> validChosenPupil(
    const QString &choiceText, const EditorRoster &roster, std::int16_t storedPupil, QString *problem);

struct JournalEntry;
enum class JournalAction : std::int16_t;

// What a journal entry did, in a word or two ("変更", "消去", ...).
QString journalActionText(JournalAction action);
// One line of the undo list: when, on which PC, what was done at which
// record number to which run (a change with what it made of it), the entry
// it undid, and whether it has been undone.
QString journalListLine(const JournalEntry &entry, bool undone, const EditorRoster &roster);
