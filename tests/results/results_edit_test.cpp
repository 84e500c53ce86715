// SPDX-License-Identifier: MIT
// A teacher's change and deletion of stored runs: the right record or none,
// every other record kept byte for byte, and nothing lost while other
// copies append, a copy dies mid-deletion, or the file is replaced under an
// append that waits for its lock. No test here depends on timing: the
// crash and the interleaving are placed by counts, and any randomness
// comes from a fixed seed the log shows.
#include "edit_children.h"
#include "platform/file_lock.h"
#include "results/results_edit.h"
#include "results/results_file.h"
#include "results/results_journal.h"
#include "results/results_loader.h"
#include "results_support.h"
#include "support/file_call_faults.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>
#include <cstdio>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

using namespace results_test;

namespace {

constexpr int kInitialPupilBase = 4000;

// Distinct records: the n-th carries n in its pupil number and its time.
std::vector<ResultRecord> numberedRecords(int count, int pupilBase = kInitialPupilBase)
{
    std::vector<ResultRecord> records;
    for (int i = 0; i < count; ++i) {
        ResultRecord r = makeRecord(46000 + i, pupilBase + i % 1000, 1 + i % 35, i);
        r.timeOfDay = double(i) / 100000;
        records.push_back(r);
    }
    return records;
}

QByteArray recordAt(const QByteArray &bytes, qint64 recordNumber)
{
    return bytes.mid((recordNumber - 1) * kRecordLength, kRecordLength);
}

// The number of deletions the teacher has made, as the appending copies
// read it (see EditConcurrency).
QString gatePath(const QString &folder)
{
    return folder + QStringLiteral("gate");
}

int gateValue(const QString &folder)
{
    return readFile(gatePath(folder)).trimmed().toInt();
}

void setGate(const QString &folder, int value)
{
    const QString beside = gatePath(folder) + QStringLiteral(".new");
    writeFile(beside, QByteArray::number(value));
    ::rename(QFile::encodeName(beside).constData(), QFile::encodeName(gatePath(folder)).constData());
}

// Waits for `done` without a time limit of its own: a test that cannot go
// on fails on ctest's timeout and its log, never on how fast a machine is.
template <typename Condition> void waitUntil(Condition done)
{
    while (!done())
        QThread::msleep(1);
}

class ExitingFatal final : public FatalErrors {
public:
    void fatal(const QString &title, const QString &message) override
    {
        std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(message));
        std::fflush(stderr);
        _exit(3);
    }
};

// Not a test of its own: the body of a child process (edit_children.h).
TEST(EditChild, DISABLED_ActsOutItsRole)
{
    const QString role = qEnvironmentVariable(edit_children::kRole);
    const QString folder = qEnvironmentVariable(edit_children::kFolder);
    const QStringList args = qEnvironmentVariable(edit_children::kArgs).split(QLatin1Char(' '));
    ASSERT_FALSE(folder.isEmpty());
    const QString path = folder + QStringLiteral("成績累積データ.dat");
    SystemClock clock;

    if (role == QStringLiteral("append") || role == QStringLiteral("append-gated")) {
        ExitingFatal fatal;
        FakeSound sound;
        FakeLauncher launcher;
        Platform platform { clock, fatal, sound, launcher };
        auto state = std::make_unique<SharedState>();
        state->ProgramDataFolder = folder;
        state->PupilNumber = std::int16_t(args.value(0).toInt());
        state->CurrentLevel = 1;
        const int count = args.value(1).toInt();
        const bool gated = role == QStringLiteral("append-gated");
        const int third = args.value(2).toInt(); // a pause in µs, or the deletions the runs wait for
        for (int j = 0; j < count; ++j) {
            // Gated, run j waits until the teacher has made j * deletions /
            // count deletions: the copies can neither run ahead of the
            // deletions nor finish before them, however they are scheduled.
            while (gated && gateValue(folder) < j * third / count)
                usleep(500);
            state->RecordedTime = j;
            ASSERT_TRUE(成績ランダムファイル記録(*state, platform));
            if (!gated && third > 0)
                usleep(useconds_t(third));
        }
    } else if (role == QStringLiteral("delete-crash")) {
        // Some whole deletions, then one that dies right before its n-th
        // file or lock call: a power cut at exactly that step.
        const int before = args.value(0).toInt();
        const long step = args.value(1).toLong();
        for (int i = 0; i <= before; ++i) {
            if (i == before)
                file_call_faults::dieAtStep(step);
            const QByteArray first = readFile(path).left(kRecordLength);
            ASSERT_EQ(first.size(), kRecordLength);
            ASSERT_EQ(deleteResultRecord(path, 1, first, clock).outcome, RecordEditOutcome::Done);
        }
        std::printf("completed\n");
        std::fflush(stdout);
    } else if (role == QStringLiteral("delete")) {
        const qint64 r = args.value(0).toLongLong();
        const QByteArray opened = recordAt(readFile(path), r);
        ASSERT_EQ(deleteResultRecord(path, r, opened, clock).outcome, RecordEditOutcome::Done);
    } else {
        FAIL() << "unknown role";
    }
}

struct DeleteCase {
    const char *name;
    int records;
    qint64 deleted;
};
class DeleteOneRun : public ::testing::TestWithParam<DeleteCase> { };
INSTANTIATE_TEST_SUITE_P(Positions, DeleteOneRun,
    ::testing::Values(DeleteCase { "FirstOfThree", 3, 1 }, DeleteCase { "MiddleOfThree", 3, 2 },
        DeleteCase { "LastOfThree", 3, 3 }, DeleteCase { "TheOnlyOne", 1, 1 },
        DeleteCase { "InALongFile", 5000, 2500 }),
    [](const auto &info) { return std::string(info.param.name); });

TEST_P(DeleteOneRun, KeepsEveryOtherRecordByteForByte)
{
    ResultsEnv env;
    const QByteArray before = bytesOf(numberedRecords(GetParam().records));
    writeFile(env.resultsPath(), before);
    const qint64 r = GetParam().deleted;

    HookClock clock;
    const RecordEditResult result = deleteResultRecord(env.resultsPath(), r, recordAt(before, r), clock);
    ASSERT_EQ(result.outcome, RecordEditOutcome::Done) << result.errorNumber;
    QByteArray expected = before;
    expected.remove((r - 1) * kRecordLength, kRecordLength);
    EXPECT_EQ(readFile(env.resultsPath()), expected);
    // Nothing beside it but the journal of the deletion.
    EXPECT_EQ(QDir(env.dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name),
        QStringList({ QStringLiteral("成績累積データ.dat"), QStringLiteral("成績累積データ変更記録.dat") }));
}

TEST(DeleteRun, DropsATrailingPartialRecordAndKeepsTheFilesPermissions)
{
    ResultsEnv env;
    const QByteArray records = bytesOf(numberedRecords(3));
    writeFile(env.resultsPath(), records + QByteArray("torn"));
    const QByteArray name = QFile::encodeName(env.resultsPath());
    ASSERT_EQ(::chmod(name.constData(), 0640), 0);

    HookClock clock;
    ASSERT_EQ(deleteResultRecord(env.resultsPath(), 2, recordAt(records, 2), clock).outcome, RecordEditOutcome::Done);
    EXPECT_EQ(readFile(env.resultsPath()), recordAt(records, 1) + recordAt(records, 3));
    struct stat info;
    ASSERT_EQ(::stat(name.constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

// Whoever may write the data folder could plant a link under a name the
// deletion writes to; no name beside the file is fixed, and none is
// followed.
TEST(DeleteRun, ALinkPlantedBesideTheFileCatchesNothing)
{
    ResultsEnv env;
    const QByteArray records = bytesOf(numberedRecords(3));
    writeFile(env.resultsPath(), records);
    QTemporaryDir elsewhere;
    const QString victim = elsewhere.path() + QStringLiteral("/victim.txt");
    writeFile(victim, "precious");
    for (const QString &name : { QStringLiteral("成績累積データtemp.dat"), QStringLiteral("成績累積データ.dat.tmp") })
        ASSERT_TRUE(QFile::link(victim, env.dir.path() + QLatin1Char('/') + name));

    HookClock clock;
    ASSERT_EQ(deleteResultRecord(env.resultsPath(), 2, recordAt(records, 2), clock).outcome, RecordEditOutcome::Done);
    EXPECT_EQ(readFile(env.resultsPath()), recordAt(records, 1) + recordAt(records, 3));
    EXPECT_EQ(readFile(victim), QByteArray("precious"));
    EXPECT_FALSE(QFileInfo(env.resultsPath()).isSymLink());
}

struct StaleCase {
    const char *name;
    qint64 recordNumber;
    int openedIndex; // which record's bytes the teacher opened (1-based)
};
class StaleRecord : public ::testing::TestWithParam<StaleCase> { };
INSTANTIATE_TEST_SUITE_P(Cases, StaleRecord,
    ::testing::Values(
        StaleCase { "ShiftedByADeletion", 2, 3 }, StaleCase { "BeyondTheEnd", 4, 3 }, StaleCase { "NumberZero", 0, 1 }),
    [](const auto &info) { return std::string(info.param.name); });

TEST_P(StaleRecord, NeitherChangeNorDeletionWritesAnything)
{
    ResultsEnv env;
    const QByteArray before = bytesOf(numberedRecords(3));
    writeFile(env.resultsPath(), before);
    const QByteArray opened = recordAt(before, GetParam().openedIndex);
    HookClock clock;

    EXPECT_EQ(deleteResultRecord(env.resultsPath(), GetParam().recordNumber, opened, clock).outcome,
        RecordEditOutcome::Stale);
    EXPECT_EQ(
        changeResultRecord(env.resultsPath(), GetParam().recordNumber, opened, withPupilAndTime(opened, 1, 1), clock)
            .outcome,
        RecordEditOutcome::Stale);
    EXPECT_EQ(readFile(env.resultsPath()), before);
}

TEST(ChangeRun, ReplacesOnlyThePupilAndTheTime)
{
    ResultsEnv env;
    std::vector<ResultRecord> records = numberedRecords(3);
    for (int i = 0; i < 5; ++i)
        records[1].schoolCode[size_t(i)] = "ABCDE"[i];
    const QByteArray before = bytesOf(records);
    writeFile(env.resultsPath(), before);

    HookClock clock;
    const QByteArray opened = recordAt(before, 2);
    ASSERT_EQ(changeResultRecord(env.resultsPath(), 2, opened, withPupilAndTime(opened, 17, 99999), clock).outcome,
        RecordEditOutcome::Done);
    const QByteArray after = readFile(env.resultsPath());
    ASSERT_EQ(after.size(), before.size());
    const ResultRecord changed = decodeRecord(after.constData() + kRecordLength);
    EXPECT_EQ(changed.pupilNumber, 17);
    EXPECT_EQ(changed.seconds, 99999);
    // Date, time of day, level, school code and the reserved bytes as read.
    QByteArray expected = before;
    expected.replace(kRecordLength, kRecordLength, withPupilAndTime(opened, 17, 99999));
    EXPECT_EQ(after, expected);
    EXPECT_EQ(after.mid(kRecordLength, 16), before.mid(kRecordLength, 16));
    EXPECT_EQ(after.mid(kRecordLength + 18, 2), before.mid(kRecordLength + 18, 2));
    EXPECT_EQ(after.mid(kRecordLength + 24, 20), before.mid(kRecordLength + 24, 20));
}

// An append that opened the old file and waited on its lock while the file
// was replaced must land in the new file, not in the one nobody reads.
TEST(AppendDuringReplacement, WaiterReopensTheFileTheNameNowPointsTo)
{
    ResultsEnv env;
    const QString path = env.resultsPath();
    writeFile(path, bytesOf(numberedRecords(3)));
    const QByteArray name = QFile::encodeName(path);
    int holder = ::open(name.constData(), O_RDWR | O_CLOEXEC);
    ASSERT_GE(holder, 0);
    ASSERT_EQ(tryLockWholeFile(holder), LockAttempt::Acquired);

    const QByteArray replacement = bytesOf(numberedRecords(2, 100));
    HookClock clock;
    clock.onWait = [&](int) {
        if (holder < 0)
            return;
        // Another copy's deletion: new content beside, renamed over, then
        // the old file's lock let go.
        const QString beside = path + QStringLiteral(".new");
        writeFile(beside, replacement);
        ASSERT_EQ(::rename(QFile::encodeName(beside).constData(), name.constData()), 0);
        ::close(holder);
        holder = -1;
    };
    const ResultRecord appended = makeRecord(46100, 7, 2, 77);
    qint64 written = 0;
    ASSERT_EQ(appendResultRecord(path, appended, clock, &written), 0);
    EXPECT_EQ(clock.waits.size(), 1u);
    EXPECT_EQ(written, 3);
    EXPECT_EQ(readFile(path), replacement + encodeRecord(appended));
}

// Four other PCs append while a teacher deletes twenty runs one by one.
// The copies and the deletions are made to interleave by a gate, not by
// timing: copy j-th run waits for the deletions before it, and each
// deletion waits for runs of the current stretch, so every deletion falls
// while the copies still have runs to append.
TEST(EditConcurrency, DeletionsWhileFourCopiesAppendLoseNothing)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/");
    const QString path = folder + QStringLiteral("成績累積データ.dat");
    constexpr int kInitial = 200;
    constexpr int kChildren = 4;
    constexpr int kEach = 300;
    constexpr int kDeletions = 20;
    constexpr int kStretch = kChildren * kEach / kDeletions; // runs allowed per deletion
    std::printf(
        "EditConcurrency: %d records, %d copies of %d runs, %d deletions\n", kInitial, kChildren, kEach, kDeletions);
    const std::vector<ResultRecord> initial = numberedRecords(kInitial);
    writeFile(path, bytesOf(initial));
    setGate(folder, 0);

    std::vector<std::unique_ptr<QProcess>> children;
    for (int id = 1; id <= kChildren; ++id)
        children.push_back(edit_children::start(QStringLiteral("append-gated"), folder,
            { QString::number(id), QString::number(kEach), QString::number(kDeletions) }));

    HookClock clock;
    std::vector<QByteArray> deleted;
    auto appended = [&](int deletionsDone) { return resultRecordCount(path) - (kInitial - deletionsDone); };
    for (int k = 0; k < kDeletions; ++k) {
        // Half of this stretch's runs are in; the other half may arrive
        // while the deletion runs, and the next stretch waits for it.
        waitUntil([&] { return appended(k) >= qint64(k) * kStretch + kStretch / 2; });
        ASSERT_LT(appended(k), qint64(k + 1) * kStretch + 1) << "a copy ran ahead of the gate";
        const QByteArray victim = encodeRecord(initial[size_t(k * 10 + 3)]);
        const QByteArray now = readFile(path);
        const qsizetype at = now.indexOf(victim);
        ASSERT_GE(at, 0);
        ASSERT_EQ(at % kRecordLength, 0);
        const RecordEditResult result = deleteResultRecord(path, at / kRecordLength + 1, victim, clock);
        ASSERT_EQ(result.outcome, RecordEditOutcome::Done) << result.errorNumber;
        deleted.push_back(victim);
        setGate(folder, k + 1);
    }
    for (auto &child : children) {
        ASSERT_TRUE(child->waitForFinished(-1));
        EXPECT_EQ(child->exitCode(), 0) << child->readAllStandardError().toStdString();
    }

    const QByteArray after = readFile(path);
    ASSERT_EQ(after.size(), (kInitial - kDeletions + kChildren * kEach) * kRecordLength);
    QByteArray kept;
    for (const ResultRecord &r : initial) {
        const QByteArray bytes = encodeRecord(r);
        if (std::find(deleted.begin(), deleted.end(), bytes) == deleted.end())
            kept += bytes;
    }
    EXPECT_EQ(after.left(kept.size()), kept);
    std::map<int, int> nextOfChild;
    for (qsizetype at = kept.size(); at < after.size(); at += kRecordLength) {
        const ResultRecord r = decodeRecord(after.constData() + at);
        ASSERT_GE(r.pupilNumber, 1);
        ASSERT_LE(r.pupilNumber, kChildren);
        // Each copy's runs arrive once each, in the order it appended them.
        EXPECT_EQ(r.seconds, nextOfChild[r.pupilNumber]++);
    }
    for (int id = 1; id <= kChildren; ++id)
        EXPECT_EQ(nextOfChild[id], kEach);
    // Every deletion is in the journal, in the order made.
    const JournalContents journal = readJournal(resultsJournalPath(path));
    ASSERT_EQ(journal.entries.size(), size_t(kDeletions));
    for (int k = 0; k < kDeletions; ++k)
        EXPECT_EQ(journal.entries[size_t(k)].oldRecord, deleted[size_t(k)]) << k;
}

// A copy that dies at any step of a deletion leaves the old or the new file
// whole, the deleted run in the journal whenever it is gone from the file,
// and no lock behind; the temporary file it left goes with the next
// replacement. The copy dies right before its n-th file or lock call, for
// every n from the first call to past the last, after a number of whole
// deletions drawn from a fixed seed (printed): a failing round is rerun by
// its numbers alone.
TEST(EditCrash, KilledAtEveryStepOfADeletionLeavesACompleteSetOfRecords)
{
    constexpr unsigned kSeed = 20261209;
    std::printf("EditCrash seed %u\n", kSeed);
    std::mt19937 random(kSeed);
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/");
    const QString path = folder + QStringLiteral("成績累積データ.dat");
    const QString journal = resultsJournalPath(path);
    const QByteArray original = bytesOf(numberedRecords(100000));
    bool sawOld = false;
    bool sawNew = false;
    bool completed = false;
    for (long step = 1; !completed; ++step) {
        ASSERT_LT(step, 200) << "a deletion makes far fewer calls";
        const int before = std::uniform_int_distribution<int>(0, 2)(random);
        std::printf("EditCrash round: %d whole deletions, then death at call %ld\n", before, step);
        std::fflush(stdout);
        QFile::remove(journal);
        writeFile(path, original);
        auto child = edit_children::start(
            QStringLiteral("delete-crash"), folder, { QString::number(before), QString::number(step) });
        ASSERT_TRUE(child->waitForFinished(-1));
        completed = child->exitStatus() == QProcess::NormalExit;
        if (completed) {
            ASSERT_EQ(child->exitCode(), 0) << child->readAllStandardError().toStdString();
        }

        const QByteArray after = readFile(path);
        ASSERT_EQ(after.size() % kRecordLength, 0) << "step " << step;
        const qsizetype gone = (original.size() - after.size()) / kRecordLength;
        ASSERT_TRUE(gone == before || gone == before + 1) << "step " << step << ": " << gone << " gone";
        ASSERT_TRUE(after == original.mid(gone * kRecordLength)) << "step " << step << ": not a whole set";
        (gone == before ? sawOld : sawNew) = true;
        // Whatever is gone from the file is in the journal.
        const JournalContents entries = readJournal(journal);
        ASSERT_GE(qint64(entries.entries.size()), qint64(gone)) << "step " << step;
        for (qsizetype i = 0; i < gone; ++i)
            EXPECT_EQ(entries.entries[size_t(i)].oldRecord, original.mid(i * kRecordLength, kRecordLength));

        HookClock clock;
        qint64 written = 0;
        ASSERT_EQ(appendResultRecord(path, makeRecord(46000, 1, 1, 1), clock, &written), 0);
        EXPECT_TRUE(clock.waits.empty()) << "step " << step << ": a lock was left behind";
        EXPECT_EQ(written, 100000 - gone + 1);

        // A temporary file the death left, once quiet for long enough, goes
        // with the next replacement of the same file.
        const QStringList left
            = QDir(folder).entryList({ QStringLiteral(".成績累積データ.dat.*.tmp") }, QDir::Files | QDir::Hidden);
        for (const QString &name : left) {
            const QByteArray full = QFile::encodeName(folder + name);
            const timespec old[2] = { { ::time(nullptr) - 3600, 0 }, { ::time(nullptr) - 3600, 0 } };
            ASSERT_EQ(::utimensat(AT_FDCWD, full.constData(), old, 0), 0);
        }
        const QByteArray first = readFile(path).left(kRecordLength);
        ASSERT_EQ(deleteResultRecord(path, 1, first, clock).outcome, RecordEditOutcome::Done);
        EXPECT_TRUE(QDir(folder)
                        .entryList({ QStringLiteral(".成績累積データ.dat.*.tmp") }, QDir::Files | QDir::Hidden)
                        .isEmpty())
            << "step " << step;
    }
    // Deaths fell before the new file took the name and after it.
    EXPECT_TRUE(sawOld);
    EXPECT_TRUE(sawNew);
}

} // namespace
