// SPDX-License-Identifier: MIT
// A copy of the results file a day. The first start of a day copies
// 成績累積データ.dat to バックアップ/<program folder>/成績累積データ_yyyyMMdd.dat
// in the data root and keeps the newest 14 copies. The results file holds
// every run of the school; a disk error, a wrong deletion in the editor or
// a file written over by hand is then at worst a day's runs.
//
// Thirty PCs starting together make one copy: the copy is written under a
// claim created exclusively (O_EXCL; a PC that finds it taken leaves the
// copy to its owner) and put under its final name only when complete, so
// nobody sees half a copy.
#pragma once

#include <QDate>
#include <QString>
#include <QStringList>

struct SharedState;
class Clock;

namespace dailybackup {

inline constexpr int kKeptCopies = 14;

// <data root>バックアップ/<program folder>/
QString folderOf(const SharedState &state);

// 成績累積データ_yyyyMMdd.dat
QString copyNameFor(const QDate &day);

struct Outcome {
    enum class Kind {
        Made, // this start made today's copy
        AlreadyMade, // an earlier start (on this or another PC) did
        MadeElsewhere, // another PC is making it right now
        NoResultsFile, // nothing to copy yet
        Failed,
    };
    Kind kind = Kind::Failed;
    QString path; // today's copy
    QString message; // what was done or why not, naming the files
};

// Makes today's copy unless there is one, then removes copies beyond the
// newest 14 and claims of earlier days left by a PC that stopped while
// copying. Reads the results file under its lock, so an append of another
// PC is in the copy whole or not at all.
Outcome makeTodaysCopy(const SharedState &state, Clock &clock);

// The copies there are, newest first (full paths).
QStringList copies(const SharedState &state);

// What the check says about them: where they are, how many, the newest,
// and how to put one back.
QStringList describe(const SharedState &state);

} // namespace dailybackup
