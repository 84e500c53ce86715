// SPDX-License-Identifier: MIT
// Nothing a teacher does is final: every change and deletion leaves its
// journal entry first, and an undo puts the run back where it stood, byte
// for byte, even after other deletions; failures are reported as they are.
#include "platform/file_lock.h"
#include "results/results_edit.h"
#include "results/results_file.h"
#include "results/results_journal.h"
#include "results_support.h"
#include "support/file_call_faults.h"

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <gtest/gtest.h>

using namespace results_test;

namespace {

// Ten runs, each told apart by its pupil number and time.
std::vector<ResultRecord> tenRuns()
{
    std::vector<ResultRecord> runs;
    for (int i = 1; i <= 10; ++i) {
        ResultRecord r = makeRecord(46000 + i, 100 + i, 1 + i % 4, 40 + i);
        r.timeOfDay = double(i) / 1000;
        runs.push_back(r);
    }
    return runs;
}

QByteArray recordAt(const QByteArray &bytes, qint64 recordNumber)
{
    return bytes.mid((recordNumber - 1) * kRecordLength, kRecordLength);
}

// The records of `runs` named by their 1-based numbers, in that order.
QByteArray runsNumbered(const std::vector<ResultRecord> &runs, std::initializer_list<int> numbers)
{
    QByteArray out;
    for (int n : numbers)
        out += encodeRecord(runs[size_t(n - 1)]);
    return out;
}

struct UndoEnv {
    ResultsEnv env;
    HookClock clock;
    std::vector<ResultRecord> runs = tenRuns();

    UndoEnv() { env.writeRecords(runs); }
    QString path() const { return env.resultsPath(); }
    // Deletes the run that was record `original` of the ten, wherever it is now.
    void deleteRun(int original)
    {
        const QByteArray run = encodeRecord(runs[size_t(original - 1)]);
        const qsizetype at = readFile(path()).indexOf(run);
        ASSERT_GE(at, 0);
        const RecordEditResult r = deleteResultRecord(path(), at / kRecordLength + 1, run, clock);
        ASSERT_EQ(r.outcome, RecordEditOutcome::Done) << r.errorNumber << r.detail.toStdString();
    }
    // The journal entry that deleted or changed the run `original`.
    qint64 entryOf(int original) const
    {
        const QByteArray run = encodeRecord(runs[size_t(original - 1)]);
        for (const JournalEntry &e : readJournal(resultsJournalPath(path())).entries)
            if (!e.isUndo() && e.oldRecord == run)
                return e.number;
        ADD_FAILURE() << "no journal entry for run " << original;
        return 0;
    }
    RecordEditResult undo(int original) { return undoJournalEntry(path(), entryOf(original), clock); }
};

struct DeletionCase {
    const char *name;
    std::vector<int> deleted; // original numbers, in the order deleted
    int undone; // the original number whose deletion is undone
    std::vector<int> expected; // the file after, as original numbers
};
class UndoDeletion : public ::testing::TestWithParam<DeletionCase> { };
INSTANTIATE_TEST_SUITE_P(Places, UndoDeletion,
    ::testing::Values(
        // Delete three runs, undo the middle one: the original less the other two.
        DeletionCase { "MiddleOfThree", { 3, 5, 7 }, 5, { 1, 2, 4, 5, 6, 8, 9, 10 } },
        DeletionCase { "TheRunBeforeWasDeletedToo", { 5, 4 }, 5, { 1, 2, 3, 5, 6, 7, 8, 9, 10 } },
        DeletionCase { "BothNeighboursGoneGoesToTheEnd", { 5, 4, 6 }, 5, { 1, 2, 3, 7, 8, 9, 10, 5 } },
        DeletionCase { "TheFirstRun", { 1, 2 }, 1, { 1, 3, 4, 5, 6, 7, 8, 9, 10 } },
        DeletionCase { "TheLastRun", { 10, 9 }, 10, { 1, 2, 3, 4, 5, 6, 7, 8, 10 } },
        DeletionCase { "NeighboursShiftedByEarlierDeletions", { 8, 1, 2, 3 }, 8, { 4, 5, 6, 7, 8, 9, 10 } }),
    [](const auto &info) { return std::string(info.param.name); });

TEST_P(UndoDeletion, PutsTheRunBackInItsPlaceByteForByte)
{
    UndoEnv u;
    for (int n : GetParam().deleted)
        u.deleteRun(n);
    const RecordEditResult r = u.undo(GetParam().undone);
    ASSERT_EQ(r.outcome, RecordEditOutcome::Done) << r.errorNumber << r.detail.toStdString();
    QByteArray expected;
    for (int n : GetParam().expected)
        expected += encodeRecord(u.runs[size_t(n - 1)]);
    EXPECT_EQ(readFile(u.path()), expected);
    EXPECT_EQ(recordAt(expected, r.recordNumber), encodeRecord(u.runs[size_t(GetParam().undone - 1)]));
}

TEST(UndoDeletion, RunsAppendedAfterTheDeletionStayAfterTheRun)
{
    UndoEnv u;
    u.deleteRun(10);
    const ResultRecord later = makeRecord(46100, 7, 1, 77);
    ASSERT_EQ(appendResultRecord(u.path(), later, u.clock), 0);
    ASSERT_EQ(u.undo(10).outcome, RecordEditOutcome::Done);
    EXPECT_EQ(readFile(u.path()), bytesOf(u.runs) + encodeRecord(later));
}

TEST(UndoDeletion, UndoingEveryDeletionNewestFirstGivesTheOriginalBack)
{
    UndoEnv u;
    const QByteArray original = readFile(u.path());
    for (int n : { 4, 5, 9, 1, 10 })
        u.deleteRun(n);
    const JournalContents journal = readJournal(resultsJournalPath(u.path()));
    ASSERT_EQ(journal.entries.size(), 5u);
    for (auto it = journal.entries.rbegin(); it != journal.entries.rend(); ++it)
        ASSERT_EQ(undoJournalEntry(u.path(), it->number, u.clock).outcome, RecordEditOutcome::Done) << it->number;
    EXPECT_EQ(readFile(u.path()), original);
}

TEST(UndoChange, GivesTheRunItsOldBytesWhereverItStandsNow)
{
    UndoEnv u;
    const QByteArray original = readFile(u.path());
    const QByteArray opened = recordAt(original, 6);
    ASSERT_EQ(changeResultRecord(u.path(), 6, opened, withPupilAndTime(opened, 3, 99), u.clock).outcome,
        RecordEditOutcome::Done);
    u.deleteRun(2);
    const RecordEditResult r = u.undo(6);
    ASSERT_EQ(r.outcome, RecordEditOutcome::Done);
    EXPECT_EQ(r.recordNumber, 5);
    EXPECT_EQ(readFile(u.path()), runsNumbered(u.runs, { 1, 3, 4, 5, 6, 7, 8, 9, 10 }));
}

TEST(UndoChange, RefusesWhenTheRunWasChangedAgainAndWritesNothing)
{
    UndoEnv u;
    const QByteArray opened = recordAt(readFile(u.path()), 3);
    const QByteArray first = withPupilAndTime(opened, 3, 99);
    ASSERT_EQ(changeResultRecord(u.path(), 3, opened, first, u.clock).outcome, RecordEditOutcome::Done);
    ASSERT_EQ(changeResultRecord(u.path(), 3, first, withPupilAndTime(opened, 4, 98), u.clock).outcome,
        RecordEditOutcome::Done);
    const QByteArray before = readFile(u.path());
    EXPECT_EQ(undoJournalEntry(u.path(), 1, u.clock).outcome, RecordEditOutcome::Stale);
    EXPECT_EQ(readFile(u.path()), before);
    // The newer change can be undone, and then the older one.
    ASSERT_EQ(undoJournalEntry(u.path(), 2, u.clock).outcome, RecordEditOutcome::Done);
    ASSERT_EQ(undoJournalEntry(u.path(), 1, u.clock).outcome, RecordEditOutcome::Done);
    EXPECT_EQ(readFile(u.path()), bytesOf(u.runs));
}

TEST(Undo, AnEntryIsUndoneOnceAndAnUndoIsNotUndone)
{
    UndoEnv u;
    u.deleteRun(4);
    ASSERT_EQ(u.undo(4).outcome, RecordEditOutcome::Done);
    const QByteArray after = readFile(u.path());
    EXPECT_EQ(u.undo(4).outcome, RecordEditOutcome::AlreadyUndone);
    const JournalContents journal = readJournal(resultsJournalPath(u.path()));
    ASSERT_EQ(journal.entries.size(), 2u);
    EXPECT_TRUE(journal.undone(1));
    EXPECT_EQ(journal.entries[1].action, JournalAction::UndoOfDeletion);
    EXPECT_EQ(journal.entries[1].undoes, 1);
    EXPECT_EQ(undoJournalEntry(u.path(), 2, u.clock).outcome, RecordEditOutcome::NotUndoable);
    EXPECT_EQ(undoJournalEntry(u.path(), 9, u.clock).outcome, RecordEditOutcome::NotUndoable);
    EXPECT_EQ(readFile(u.path()), after);
}

TEST(Undo, ARunAlreadyBackWithoutItsMarkIsNotPutBackTwice)
{
    // A crash between the undo's rewrite and its journal entry: the run is
    // back, the entry not marked.
    UndoEnv u;
    u.deleteRun(4);
    const qint64 entry = u.entryOf(4);
    u.env.writeRecords(u.runs);
    EXPECT_EQ(undoJournalEntry(u.path(), entry, u.clock).outcome, RecordEditOutcome::AlreadyUndone);
    EXPECT_EQ(readFile(u.path()), bytesOf(u.runs));
}

TEST(Journal, KeepsWhatEachActionReplacedWithItsNeighboursTimeAndPc)
{
    UndoEnv u;
    u.clock.now_ = QDateTime(QDate(2026, 12, 9), QTime(14, 30, 0));
    const QByteArray original = readFile(u.path());
    const QByteArray opened = recordAt(original, 2);
    ASSERT_EQ(changeResultRecord(u.path(), 2, opened, withPupilAndTime(opened, 9, 60), u.clock).outcome,
        RecordEditOutcome::Done);
    u.deleteRun(1);
    const JournalContents journal = readJournal(resultsJournalPath(u.path()));
    ASSERT_TRUE(journal.ok);
    EXPECT_EQ(journal.bytes, 2 * kJournalEntryLength);
    ASSERT_EQ(journal.entries.size(), 2u);
    const JournalEntry &change = journal.entries[0];
    EXPECT_EQ(change.action, JournalAction::Change);
    EXPECT_EQ(change.recordNumber, 2);
    EXPECT_EQ(change.oldRecord, opened);
    EXPECT_EQ(change.newRecord, withPupilAndTime(opened, 9, 60));
    EXPECT_EQ(change.date, oledate::fromDate(QDate(2026, 12, 9)));
    EXPECT_NEAR(change.timeOfDay, 14.5 / 24, 1e-9);
    EXPECT_EQ(change.host, journalHostName());
    EXPECT_FALSE(change.host.isEmpty());
    const JournalEntry &deletion = journal.entries[1];
    EXPECT_EQ(deletion.action, JournalAction::Deletion);
    EXPECT_EQ(deletion.recordNumber, 1);
    EXPECT_EQ(deletion.oldRecord, recordAt(original, 1));
    EXPECT_TRUE(deletion.before.isEmpty());
    EXPECT_EQ(deletion.after, withPupilAndTime(opened, 9, 60));
}

TEST(Journal, ATornTailIsNoEntryAndTheNextEntryWritesOverIt)
{
    UndoEnv u;
    u.deleteRun(3);
    const QString journal = resultsJournalPath(u.path());
    QFile file(journal);
    ASSERT_TRUE(file.open(QIODevice::Append));
    file.write(QByteArray(100, 'x'));
    file.close();
    EXPECT_EQ(readJournal(journal).entries.size(), 1u);
    u.deleteRun(4);
    const JournalContents after = readJournal(journal);
    EXPECT_EQ(after.bytes, 2 * kJournalEntryLength);
    ASSERT_EQ(after.entries.size(), 2u);
    EXPECT_EQ(after.entries[1].oldRecord, encodeRecord(u.runs[3]));
}

// A journal that cannot be written stops the action: nothing a teacher does
// may be beyond undoing.
TEST(Journal, AnActionWhoseEntryCannotBeWrittenWritesNothing)
{
    UndoEnv u;
    ASSERT_TRUE(QDir().mkpath(resultsJournalPath(u.path()))); // a folder where the journal belongs
    const QByteArray before = readFile(u.path());
    const QByteArray opened = recordAt(before, 2);
    RecordEditResult r = deleteResultRecord(u.path(), 2, opened, u.clock);
    EXPECT_EQ(r.outcome, RecordEditOutcome::Failed);
    EXPECT_EQ(r.failedFile, resultsJournalPath(u.path()));
    r = changeResultRecord(u.path(), 2, opened, withPupilAndTime(opened, 1, 1), u.clock);
    EXPECT_EQ(r.outcome, RecordEditOutcome::Failed);
    EXPECT_EQ(readFile(u.path()), before);
}

// Failures reported as they are.
TEST(EditFailure, AChangeWhoseFlushFailsMayHaveBeenWritten)
{
    UndoEnv u;
    const QByteArray opened = recordAt(readFile(u.path()), 4);
    // The journal's flush is the first; the record's is the second.
    file_call_faults::Scope faults(file_call_faults::Call::Fdatasync, EIO, 2);
    const RecordEditResult r = changeResultRecord(u.path(), 4, opened, withPupilAndTime(opened, 1, 1), u.clock);
    EXPECT_EQ(faults.failed(), 1);
    EXPECT_EQ(r.outcome, RecordEditOutcome::MayBeWritten);
    EXPECT_EQ(r.errorNumber, EIO);
    EXPECT_EQ(r.failedFile, u.path());
    // The journal keeps the entry: the change may have happened.
    EXPECT_EQ(readJournal(resultsJournalPath(u.path())).entries.size(), 1u);
}

TEST(EditFailure, AnUnlockRefusedAfterTheWriteIsNotANothingWritten)
{
    UndoEnv u;
    const QByteArray opened = recordAt(readFile(u.path()), 4);
    const LockSystemCall previous = replaceLockSystemCall(file_call_faults::refuseUnlock);
    const RecordEditResult change = changeResultRecord(u.path(), 4, opened, withPupilAndTime(opened, 1, 1), u.clock);
    const RecordEditResult deletion = deleteResultRecord(u.path(), 1, recordAt(readFile(u.path()), 1), u.clock);
    replaceLockSystemCall(previous);
    EXPECT_EQ(change.outcome, RecordEditOutcome::Done);
    EXPECT_TRUE(change.note.contains(u.path())) << change.note.toStdString();
    EXPECT_EQ(deletion.outcome, RecordEditOutcome::Done);
    EXPECT_FALSE(deletion.note.isEmpty());
    EXPECT_EQ(recordAt(readFile(u.path()), 3), withPupilAndTime(opened, 1, 1));
    // The lock went with the file: the next append does not wait.
    ASSERT_EQ(appendResultRecord(u.path(), makeRecord(46000, 1, 1, 1), u.clock), 0);
    EXPECT_TRUE(u.clock.waits.empty());
}

TEST(EditFailure, ADeletionWhoseRewriteFailsLeavesTheFileAndNoJournalEntry)
{
    UndoEnv u;
    const QByteArray before = readFile(u.path());
    RecordEditResult r;
    {
        file_call_faults::Scope faults(file_call_faults::Call::Write, ENOSPC);
        r = deleteResultRecord(u.path(), 5, recordAt(before, 5), u.clock);
    }
    EXPECT_EQ(r.outcome, RecordEditOutcome::Failed);
    EXPECT_TRUE(r.detail.contains(u.path())) << r.detail.toStdString();
    EXPECT_EQ(readFile(u.path()), before);
    const JournalContents journal = readJournal(resultsJournalPath(u.path()));
    EXPECT_TRUE(journal.entries.empty());
    EXPECT_EQ(journal.bytes, 0);
    EXPECT_EQ(QDir(u.env.dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

} // namespace
