// SPDX-License-Identifier: MIT
// A teacher's change and deletion of stored runs: the right record or none,
// every other record kept byte for byte, and nothing lost while other
// copies append, a copy is killed mid-deletion, or the file is replaced
// under an append that waits for its lock.
#include "edit_children.h"
#include "platform/file_lock.h"
#include "results/results_edit.h"
#include "results/results_file.h"
#include "results_support.h"

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

    if (role == QStringLiteral("append")) {
        ExitingFatal fatal;
        FakeSound sound;
        FakeLauncher launcher;
        Platform platform { clock, fatal, sound, launcher };
        auto state = std::make_unique<SharedState>();
        state->ProgramDataFolder = folder;
        state->PupilNumber = std::int16_t(args.value(0).toInt());
        state->CurrentLevel = 1;
        const int count = args.value(1).toInt();
        const int pauseUs = args.value(2).toInt();
        for (int i = 0; i < count; ++i) {
            state->RecordedTime = i;
            ASSERT_TRUE(成績ランダムファイル記録(*state, platform));
            if (pauseUs > 0)
                usleep(useconds_t(pauseUs));
        }
    } else if (role == QStringLiteral("delete-loop")) {
        std::printf("deleting\n");
        std::fflush(stdout);
        while (true) {
            const QByteArray first = readFile(path).left(kRecordLength);
            ASSERT_EQ(first.size(), kRecordLength);
            ASSERT_EQ(deleteResultRecord(path, 1, first, clock).outcome, RecordEditOutcome::Done);
        }
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
    EXPECT_FALSE(QFileInfo::exists(resultsReplacementPath(env.resultsPath())));
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
        const QString beside = resultsReplacementPath(path);
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
TEST(EditConcurrency, DeletionsWhileFourCopiesAppendLoseNothing)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/");
    const QString path = folder + QStringLiteral("成績累積データ.dat");
    constexpr int kInitial = 200;
    constexpr int kChildren = 4;
    constexpr int kEach = 300;
    const std::vector<ResultRecord> initial = numberedRecords(kInitial);
    writeFile(path, bytesOf(initial));

    std::vector<std::unique_ptr<QProcess>> children;
    for (int id = 1; id <= kChildren; ++id)
        children.push_back(edit_children::start(
            QStringLiteral("append"), folder, { QString::number(id), QString::number(kEach), QStringLiteral("2000") }));
    // Start deleting once the copies are under way.
    for (int i = 0; i < 6000 && resultRecordCount(path) <= kInitial; ++i)
        QThread::msleep(5);

    HookClock clock;
    std::vector<QByteArray> deleted;
    qint64 appendedAtFirst = -1;
    qint64 appendedAtLast = -1;
    for (int k = 0; k < 20; ++k) {
        const QByteArray victim = encodeRecord(initial[size_t(k * 10 + 3)]);
        const QByteArray now = readFile(path);
        const qsizetype at = now.indexOf(victim);
        ASSERT_GE(at, 0);
        ASSERT_EQ(at % kRecordLength, 0);
        const qint64 r = at / kRecordLength + 1;
        const RecordEditResult result = deleteResultRecord(path, r, victim, clock);
        ASSERT_EQ(result.outcome, RecordEditOutcome::Done) << result.errorNumber;
        deleted.push_back(victim);
        const qint64 appended = resultRecordCount(path) - (kInitial - k - 1);
        if (k == 0)
            appendedAtFirst = appended;
        appendedAtLast = appended;
        // Spread the deletions over the appends: the next one comes after a
        // few more runs have arrived.
        for (int i = 0; i < 2000 && resultRecordCount(path) - (kInitial - k - 1) < appended + 10; ++i)
            QThread::msleep(1);
    }
    for (auto &child : children) {
        ASSERT_TRUE(child->waitForFinished(120000));
        EXPECT_EQ(child->exitCode(), 0) << child->readAllStandardError().toStdString();
    }
    // The deletions ran while the copies were appending.
    EXPECT_LT(appendedAtFirst, appendedAtLast);

    const QByteArray after = readFile(path);
    ASSERT_EQ(after.size(), (kInitial - 20 + kChildren * kEach) * kRecordLength);
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
}

// A copy killed at any point of a deletion leaves the old or the new file
// whole, and no lock behind.
TEST(EditCrash, KilledMidDeletionLeavesACompleteSetOfRecords)
{
    QTemporaryDir dir;
    const QString folder = dir.path() + QStringLiteral("/");
    const QString path = folder + QStringLiteral("成績累積データ.dat");
    const QByteArray original = bytesOf(numberedRecords(100000));
    std::mt19937 random(std::random_device {}());
    int deletionsSeen = 0;
    for (int round = 0; round < 20; ++round) {
        writeFile(path, original);
        auto child = edit_children::start(QStringLiteral("delete-loop"), folder);
        ASSERT_TRUE(edit_children::waitForLine(*child, "deleting\n")) << child->readAllStandardError().toStdString();
        QThread::msleep(std::uniform_int_distribution<int>(0, 300)(random));
        child->kill();
        ASSERT_TRUE(child->waitForFinished(30000));

        const QByteArray after = readFile(path);
        ASSERT_EQ(after.size() % kRecordLength, 0) << "round " << round;
        const qsizetype gone = (original.size() - after.size()) / kRecordLength;
        ASSERT_GE(gone, 0);
        ASSERT_TRUE(after == original.mid(gone * kRecordLength)) << "round " << round << ": not a whole set";
        deletionsSeen += int(gone);

        HookClock clock;
        qint64 written = 0;
        ASSERT_EQ(appendResultRecord(path, makeRecord(46000, 1, 1, 1), clock, &written), 0);
        EXPECT_TRUE(clock.waits.empty());
        EXPECT_EQ(written, 100000 - gone + 1);
    }
    // The kills fell inside deletions, not only before the first one.
    EXPECT_GT(deletionsSeen, 0);
}

} // namespace
