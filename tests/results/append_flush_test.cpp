// SPDX-License-Identifier: MIT
// A run counts as recorded only once its record is flushed to the disk. A
// write, flush or close the storage refuses is never taken for a stored
// run: the append waits a second at a time with a notice until the storage
// takes it, and a record whose write arrived is flushed again, never stored
// a second time.
#include "results/results_file.h"
#include "results/results_loader.h"
#include "results_support.h"
#include "support/append_faults.h"

#include <QDir>
#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>
#include <ostream>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

using namespace results_test;
using append_faults::Stage;

namespace {

QByteArray recordAt(const QByteArray &bytes, qint64 recordNumber)
{
    return bytes.mid((recordNumber - 1) * kRecordLength, kRecordLength);
}

// Three earlier runs, slower than the one being stored.
std::vector<ResultRecord> earlierRuns(double today)
{
    return { makeRecord(today - 2, 3, 1, 80), makeRecord(today - 1, 4, 1, 70), makeRecord(today, 5, 1, 90) };
}

// A finished run of pupil 7 at level 1 stored through Seisekikiroku, with
// a clock whose waits the test can watch.
struct StoreEnv {
    ResultsEnv env;
    HookClock clock;
    Platform platform { clock, env.fakes.fatal, env.fakes.sound, env.fakes.launcher, &env.fakes.notice };
    SharedState &state = *env.state;

    StoreEnv()
    {
        clock.now_ = env.fakes.clock.now();
        env.writeRecords(earlierRuns(env.today()));
        state.PupilNumber = 7;
        state.CurrentLevel = 1;
        state.RecordedTime = 42;
        if (!成績ランダムファイル表示(state, platform))
            qFatal("the earlier runs do not load");
    }
    QByteArray before() const { return bytesOf(earlierRuns(env.today())); }
};

struct FaultCase {
    int error;
    Stage stage;
};

void PrintTo(const FaultCase &c, std::ostream *os)
{
    *os << "error " << c.error << " at stage " << int(c.stage);
}

std::string caseName(const ::testing::TestParamInfo<FaultCase> &info)
{
    const char *stage = info.param.stage == Stage::Write ? "Write"
        : info.param.stage == Stage::Flush               ? "Flush"
                                                         : "Close";
    const char *error = info.param.error == ENOSPC ? "ENOSPC"
        : info.param.error == EDQUOT               ? "EDQUOT"
        : info.param.error == EIO                  ? "EIO"
        : info.param.error == ESTALE               ? "ESTALE"
                                                   : "EROFS";
    return std::string(stage) + "_" + error;
}

class RefusedStorage : public ::testing::TestWithParam<FaultCase> { };

INSTANTIATE_TEST_SUITE_P(Errors, RefusedStorage, ::testing::ValuesIn([] {
    std::vector<FaultCase> cases;
    for (Stage stage : { Stage::Write, Stage::Flush, Stage::Close })
        for (int error : { ENOSPC, EDQUOT, EIO, ESTALE, EROFS })
            cases.push_back({ error, stage });
    return cases;
}()),
    caseName);

TEST_P(RefusedStorage, RunWaitsWithANoticeAndIsStoredOnceWhenTheStorageTakesIt)
{
    StoreEnv s;
    append_faults::Script script = append_faults::failing(GetParam().stage, GetParam().error, 3);
    append_faults::Installed faults(script);

    // What the screens could see at every wait: nothing may say the run is
    // stored (Seisekikiroku raises the top-record flag only after it is).
    std::vector<bool> flagWhileWaiting;
    std::vector<bool> noticeWhileWaiting;
    s.clock.onWait = [&](int) {
        flagWhileWaiting.push_back(s.state.NewTopRecord == 1);
        noticeWhileWaiting.push_back(s.env.fakes.notice.showing);
    };
    ASSERT_TRUE(Seisekikiroku(s.state, s.platform, 1));
    EXPECT_FALSE(s.env.fakes.fatal.called()) << s.env.fakes.fatal.messages.join(QString()).toStdString();

    // Retried a second apart, once per refusal, never reported meanwhile.
    EXPECT_EQ(s.clock.waits, (std::vector<int> { 1000, 1000, 1000 }));
    EXPECT_EQ(flagWhileWaiting, (std::vector<bool> { false, false, false }));
    EXPECT_EQ(noticeWhileWaiting, (std::vector<bool> { true, true, true }));
    EXPECT_EQ(s.state.NewTopRecord, 1);

    // The notice named the file, the cause and whom to call, and is gone.
    ASSERT_FALSE(s.env.fakes.notice.shown.isEmpty());
    const QString text = s.env.fakes.notice.shown.back();
    EXPECT_TRUE(text.contains(s.env.resultsPath())) << text.toStdString();
    EXPECT_TRUE(text.contains(fileErrorDescription(GetParam().error))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("先生を呼びなさい"))) << text.toStdString();
    EXPECT_FALSE(s.env.fakes.notice.showing);

    // Stored exactly once, after the earlier runs.
    const QByteArray after = readFile(s.env.resultsPath());
    ASSERT_EQ(after.size(), 4 * kRecordLength);
    EXPECT_EQ(after.left(3 * kRecordLength), s.before());
    const ResultRecord stored = decodeRecord(after.constData() + 3 * kRecordLength);
    EXPECT_EQ(stored.pupilNumber, 7);
    EXPECT_EQ(stored.seconds, 42);
    for (off_t offset : script.writtenAt)
        EXPECT_EQ(offset, 3 * kRecordLength) << "written elsewhere than record 4";
    EXPECT_GE(script.flushes, 1);
    if (GetParam().stage == Stage::Write) {
        EXPECT_EQ(script.writtenAt.size(), 1u);
    } else {
        // Its write arrived each time: it was written again in place and
        // flushed again, three times, not appended again.
        EXPECT_EQ(script.writtenAt.size(), 4u);
    }
}

// A write the disk cut short leaves a partial record at the end; the next
// attempt writes the whole record over it.
TEST(RefusedStorage, WriteCutShortIsWrittenWholeOverItsOwnRemains)
{
    StoreEnv s;
    append_faults::Script script = append_faults::failing(Stage::Write, ENOSPC, 1);
    script.partialBytes = 20;
    append_faults::Installed faults(script);
    QByteArray seenWhileWaiting;
    s.clock.onWait = [&](int) { seenWhileWaiting = readFile(s.env.resultsPath()); };

    ASSERT_TRUE(成績ランダムファイル記録(s.state, s.platform));
    EXPECT_EQ(seenWhileWaiting.size(), 3 * kRecordLength + 20);
    const QByteArray after = readFile(s.env.resultsPath());
    ASSERT_EQ(after.size(), 4 * kRecordLength);
    EXPECT_EQ(decodeRecord(after.constData() + 3 * kRecordLength).seconds, 42);
    EXPECT_EQ(s.clock.waits, (std::vector<int> { 1000 }));
}

// What happens to the file between a write that arrived and the failed
// flush, and where the record must be in the end.
struct MeanwhileCase {
    const char *name;
    // Changes the file at the flush's failure; returns the file expected in
    // the end, given the record being stored.
    std::function<QByteArray(const QString &path, const QByteArray &before, const QByteArray &record)> meanwhile;
};

void PrintTo(const MeanwhileCase &c, std::ostream *os)
{
    *os << c.name;
}

class FlushFailedMeanwhile : public ::testing::TestWithParam<MeanwhileCase> { };

QByteArray otherCopysRun()
{
    return encodeRecord(makeRecord(46100, 11, 2, 55));
}

INSTANTIATE_TEST_SUITE_P(Cases, FlushFailedMeanwhile,
    ::testing::Values(
        // Another PC appended after it: the record stays where it is.
        MeanwhileCase { "AnotherCopyAppended",
            [](const QString &path, const QByteArray &before, const QByteArray &record) {
                const QByteArray now = readFile(path);
                writeFile(path, now + otherCopysRun());
                return before + record + otherCopysRun();
            } },
        // A teacher's deletion renamed a new file over the name, the
        // record moved up with the others.
        MeanwhileCase { "FileReplacedByADeletion",
            [](const QString &path, const QByteArray &before, const QByteArray &record) {
                const QByteArray now = readFile(path);
                const QByteArray replaced = recordAt(now, 1) + recordAt(now, 3) + recordAt(now, 4);
                const QString beside = path + QStringLiteral(".new");
                writeFile(beside, replaced);
                ::rename(QFile::encodeName(beside).constData(), QFile::encodeName(path).constData());
                return recordAt(before, 1) + recordAt(before, 3) + record;
            } },
        // The share kept neither the record nor the error, and another PC's
        // run took its place: it is appended after that run.
        MeanwhileCase { "LostOnTheWayAndItsPlaceTaken",
            [](const QString &path, const QByteArray &before, const QByteArray &record) {
                writeFile(path, before + otherCopysRun());
                return before + otherCopysRun() + record;
            } },
        // Lost on the way, in a replaced file.
        MeanwhileCase { "LostOnTheWayInAReplacedFile",
            [](const QString &path, const QByteArray &before, const QByteArray &record) {
                const QString beside = path + QStringLiteral(".new");
                writeFile(beside, before);
                ::rename(QFile::encodeName(beside).constData(), QFile::encodeName(path).constData());
                return before + record;
            } }),
    [](const auto &info) { return std::string(info.param.name); });

TEST_P(FlushFailedMeanwhile, RecordEndsUpInTheFileExactlyOnce)
{
    StoreEnv s;
    append_faults::Script script = append_faults::failing(Stage::Flush, EIO, 1);
    QByteArray expected;
    QByteArray record;
    script.onFailure = [&] {
        // The write arrived: the record is the last one.
        const QByteArray now = readFile(s.env.resultsPath());
        ASSERT_EQ(now.size(), 4 * kRecordLength);
        record = recordAt(now, 4);
        expected = GetParam().meanwhile(s.env.resultsPath(), s.before(), record);
    };
    append_faults::Installed faults(script);

    qint64 written = 0;
    ResultRecord r = makeRecord(s.env.today(), 7, 1, 42);
    ASSERT_EQ(appendResultRecord(s.env.resultsPath(), r, s.clock, &written, &s.env.fakes.notice), 0);
    ASSERT_FALSE(record.isEmpty());
    EXPECT_EQ(record, encodeRecord(r));
    const QByteArray after = readFile(s.env.resultsPath());
    EXPECT_EQ(after, expected);
    EXPECT_EQ(after.count(record), 1);
    EXPECT_EQ(recordAt(after, written), record);
    EXPECT_EQ(s.clock.waits, (std::vector<int> { 1000 }));
}

// Other failures still end the program's attempt at once, as before: only
// what someone can fix is waited for.
TEST(RefusedStorage, OtherErrorsAreNotWaitedFor)
{
    StoreEnv s;
    append_faults::Script script = append_faults::failing(Stage::Flush, EINVAL, 1);
    append_faults::Installed faults(script);
    EXPECT_EQ(appendResultRecord(s.env.resultsPath(), makeRecord(46100, 7, 1, 42), s.clock), EINVAL);
    EXPECT_TRUE(s.clock.waits.empty());
}

} // namespace
