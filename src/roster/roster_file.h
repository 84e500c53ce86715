// SPDX-License-Identifier: MIT
// The roster "新名簿.txt" as the name list reads it: entries of eight values
// (number, birth year, two spare numbers, name, status, two spare texts),
// kept in the roster tables of the shared state.
#pragma once

#include "roster/grade_rules.h"
#include "state/shared_state.h"

#include <QDate>
#include <QString>
#include <functional>

struct SharedState;

// Why a load failed: a description naming the file and the place, and the
// run-time error number the failure message shows after it.
struct RosterFailure {
    QString description;
    int number = 0;
};

// Error numbers, the ones the program's failure messages have always shown.
namespace rostererror {
inline constexpr int Overflow = 6; // a number outside its 16-bit field
inline constexpr int OutOfRange = 9; // pupil number outside 0..5000, > 5000 listed
inline constexpr int TypeMismatch = 13; // text where a number belongs
inline constexpr int FileNotFound = 53;
inline constexpr int PastEndOfFile = 62; // an entry cut short
inline constexpr int FileAccess = 75; // exists but cannot be read
} // namespace rostererror

inline constexpr int kRosterTextWidth = 20;
inline constexpr int kMaxListedPupils = 5000;

// A roster text as stored: its first 20 characters, padded with blanks.
QString fixedRosterText(const QString &value);

QString RosterFilePath(const SharedState &state);

// A user is a teacher when the roster name holds "★" or "先生".
bool isTeacher(const QString &pupilName);

// Handed each listed entry in file order, with its grade number and list
// label.
using ListedEntryVisitor = std::function<void(const RosterRecord &record, int grade, const ListGrade &label)>;

// One entry of the file as read, status included; `line` is the line its
// last value stands on.
struct RosterEntry {
    RosterRecord record;
    std::int16_t status = 0;
    int line = 0;
    // The three texts as the file holds them, neither cut nor padded, for a
    // writer that keeps the entry as it was.
    QString name;
    QString spareText1;
    QString spareText2;
};
// Returns false to stop the reading (having said why in the failure).
using RosterEntryVisitor = std::function<bool(const RosterEntry &entry)>;

// Reads every entry of a roster file in file order, whatever its status.
// False with the reason when the file is missing or unreadable, an entry is
// cut short or holds an unreadable number or a pupil number outside
// 0..5000, or the visitor stops; the entries before have been visited.
bool ReadRosterEntries(const QString &path, const RosterEntryVisitor &visit, RosterFailure *failure);

// Reads the whole roster into the roster tables, SchoolYear computed from
// `today`. The by-number tables (RosterName, RosterBirthYear,
// RosterGradeLabel) are set for every entry read, listed or not, and keep
// older values for numbers this file does not mention. False with the
// reason when the file is missing or unreadable, an entry is cut short, a
// number is out of range or more than 5000 entries are listed; the entries
// read before the failure have been stored and visited.
bool LoadRoster(SharedState &state, const QDate &today, const ListedEntryVisitor &visit, RosterFailure *failure);
