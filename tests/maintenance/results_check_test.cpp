// SPDX-License-Identifier: MIT
#include "maintenance/results_check.h"
#include "results/result_record.h"
#include "startup/startup_loader.h"
#include "state/shared_state.h"
#include "support/data_root.h"
#include "support/fakes.h"

#include <QDir>
#include <QFile>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

ResultRecord goodRecord(double date, int pupil = 1)
{
    ResultRecord r;
    r.date = date;
    r.timeOfDay = 0.5;
    r.pupilNumber = std::int16_t(pupil);
    r.level = 1;
    r.seconds = 45;
    const char code[] = "12345";
    std::copy(code, code + 5, r.schoolCode.begin());
    return r;
}

struct CheckEnv {
    TestInstall install;
    FakePlatform fakes;
    std::unique_ptr<SharedState> state = std::make_unique<SharedState>();

    CheckEnv()
    {
        install.writeDefaults();
        install.writeRoster(QStringLiteral("1,2016,0,0,\"青木\",0,\"\",\"\"\n2,2016,0,0,\"石井\",1,\"\",\"\"\n"
                                           "3,2016,0,0,\"上田\",0,\"\",\"\"\n"));
    }
    void load() { ASSERT_TRUE(LoadFoldersAndSettings(*state, fakes.platform, install.programFolder())); }
    QString resultsPath() const { return install.programDataFolder() + QStringLiteral("成績累積データ.dat"); }
    double today() const { return oledate::fromDate(fakes.clock.today()); }
    void write(const std::vector<ResultRecord> &records, const QByteArray &tail = {}) const
    {
        QByteArray bytes;
        for (const ResultRecord &r : records)
            bytes += encodeRecord(r);
        install.writeBytes(resultsPath(), bytes + tail);
    }
    CheckReport check()
    {
        load();
        return checkResultsFile(*state, fakes.clock.now());
    }
};

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(ResultsCheckTest, ACleanFileHasNoFindingsAndExitStatus0)
{
    CheckEnv env;
    // Every pupil on the roster counts, listed or not; today is not the
    // future; 0 and 99999 seconds are possible times.
    ResultRecord timeUp = goodRecord(env.today(), 2);
    timeUp.seconds = 99999;
    ResultRecord zero = goodRecord(env.today() - 3000, 3);
    zero.seconds = 0;
    env.write({ goodRecord(env.today()), timeUp, zero });
    const QByteArray before = fileBytes(env.resultsPath());
    const CheckReport report = env.check();
    EXPECT_EQ(report.exitStatus(), 0);
    EXPECT_TRUE(report.findings.empty());
    const QStringList lines = report.lines();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].contains(env.resultsPath()));
    EXPECT_EQ(lines[1], QStringLiteral("問題は見つかりませんでした（記録 3 件）。"));
    EXPECT_EQ(fileBytes(env.resultsPath()), before);
}

struct FindingCase {
    const char *name;
    std::function<void(ResultRecord &, double today)> damage;
    CheckKind kind;
    const char *phrase; // what the line must say
};

class ResultsCheckFindingTest : public ::testing::TestWithParam<FindingCase> { };

TEST_P(ResultsCheckFindingTest, FindsTheKindAtItsRecordNumber)
{
    CheckEnv env;
    ResultRecord bad = goodRecord(env.today());
    GetParam().damage(bad, env.today());
    env.write({ goodRecord(env.today()), bad, goodRecord(env.today()) });
    const CheckReport report = env.check();
    EXPECT_EQ(report.exitStatus(), 1);
    ASSERT_EQ(report.findings.size(), 1u);
    const CheckFinding &f = report.findings[0];
    EXPECT_EQ(f.kind, GetParam().kind);
    EXPECT_EQ(f.firstRecord, 2);
    EXPECT_EQ(f.lastRecord, 2);
    const QString line = report.findingLine(f);
    EXPECT_TRUE(line.startsWith(QStringLiteral("記録 2："))) << line.toStdString();
    EXPECT_TRUE(line.contains(QString::fromUtf8(GetParam().phrase))) << line.toStdString();
    EXPECT_EQ(report.summaryLine(), QStringLiteral("問題 1 行：問題のある記録 1 件（全 3 件中）。"));
    EXPECT_EQ(report.lines().size(), 3);
}

INSTANTIATE_TEST_SUITE_P(Kinds, ResultsCheckFindingTest,
    ::testing::Values(FindingCase { "levelAbove35", [](ResultRecord &r, double) { r.level = 36; }, CheckKind::Damaged,
                          "壊れた記録です（レベル 36、生徒番号 1。" },
        FindingCase {
            "levelNegative", [](ResultRecord &r, double) { r.level = -1; }, CheckKind::Damaged, "レベル -1、" },
        FindingCase {
            "levelZero", [](ResultRecord &r, double) { r.level = 0; }, CheckKind::LevelZero, "レベル 0 の記録" },
        FindingCase { "pupilAbove5000", [](ResultRecord &r, double) { r.pupilNumber = 5001; }, CheckKind::Damaged,
            "壊れた記録です（レベル 1、生徒番号 5001。" },
        FindingCase {
            "pupilNegative", [](ResultRecord &r, double) { r.pupilNumber = -7; }, CheckKind::Damaged, "生徒番号 -7。" },
        FindingCase { "pupilNotOnRoster", [](ResultRecord &r, double) { r.pupilNumber = 4; },
            CheckKind::PupilNotOnRoster, "生徒番号 4 は名簿にありません" },
        FindingCase { "pupilZeroNotOnRoster", [](ResultRecord &r, double) { r.pupilNumber = 0; },
            CheckKind::PupilNotOnRoster, "生徒番号 0" },
        FindingCase { "tomorrow", [](ResultRecord &r, double today) { r.date = today + 1; }, CheckKind::DateInFuture,
            "日付 2026/12/10 は今日（2026/12/09）より後です" },
        FindingCase { "lastDayOf1999", [](ResultRecord &r, double) { r.date = oledate::fromDate(QDate(1999, 12, 31)); },
            CheckKind::DateBefore2000, "日付 1999/12/31 は2000年より前です" },
        FindingCase {
            "zeroDate", [](ResultRecord &r, double) { r.date = 0; }, CheckKind::DateBefore2000, "1899/12/30" },
        FindingCase { "notANumber", [](ResultRecord &r, double) { r.date = std::nan(""); }, CheckKind::DateNotANumber,
            "日付が数値になっていません" },
        FindingCase { "negativeSeconds", [](ResultRecord &r, double) { r.seconds = -1; }, CheckKind::SecondsOutOfRange,
            "秒数 -1 は 0〜99999 の外です" },
        FindingCase { "secondsAbove99999", [](ResultRecord &r, double) { r.seconds = 100000; },
            CheckKind::SecondsOutOfRange, "秒数 100000" },
        FindingCase { "otherSchool",
            [](ResultRecord &r, double) {
                const char code[] = "54321";
                std::copy(code, code + 5, r.schoolCode.begin());
            },
            CheckKind::UnknownSchoolCode, "学校コード「54321」はこの学校のコード「12345」ではありません" },
        FindingCase { "garbageCode",
            [](ResultRecord &r, double) {
                r.schoolCode = { 0, 1, 2, 3, 4 };
            },
            CheckKind::UnknownSchoolCode, "（バイト 00 01 02 03 04）" }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ResultsCheckTest, ATornTailIsReportedAfterTheLastWholeRecord)
{
    CheckEnv env;
    env.write({ goodRecord(env.today()), goodRecord(env.today()) }, QByteArray(7, '\0'));
    const CheckReport report = env.check();
    EXPECT_EQ(report.exitStatus(), 1);
    ASSERT_EQ(report.findings.size(), 1u);
    EXPECT_EQ(report.findings[0].kind, CheckKind::TornTail);
    EXPECT_EQ(report.findings[0].firstRecord, 3);
    EXPECT_TRUE(
        report.findingLine(report.findings[0])
            .startsWith(QStringLiteral("記録 3：ファイルの長さ 95 バイトが44の倍数ではありません。末尾の 7 バイト")));
}

TEST(ResultsCheckTest, ConsecutiveRecordsWithTheSameFindingShareOneLine)
{
    CheckEnv env;
    std::vector<ResultRecord> records;
    for (int pupil : { 9, 9, 9, 8, 9, 1 })
        records.push_back(goodRecord(env.today(), pupil));
    records[1].seconds = -5; // a second kind on one of them does not split the run
    env.write(records);
    const CheckReport report = env.check();
    QStringList lines = report.lines();
    lines.removeFirst();
    EXPECT_EQ(lines,
        QStringList({ QStringLiteral("記録 1〜3（3 件）：生徒番号 9 は名簿にありません。"),
            QStringLiteral("記録 2：秒数 -5 は 0〜99999 の外です。"),
            QStringLiteral("記録 4：生徒番号 8 は名簿にありません。"),
            QStringLiteral("記録 5：生徒番号 9 は名簿にありません。"),
            QStringLiteral("問題 4 行：問題のある記録 5 件（全 6 件中）。") }))
        << lines.join(QLatin1Char('\n')).toStdString();
}

// A stretch of garbage (a file overwritten by something else) is one line,
// not one line per field of every record.
TEST(ResultsCheckTest, ConsecutiveDamagedRecordsShareOneLineWhateverTheirValues)
{
    CheckEnv env;
    std::vector<ResultRecord> records { goodRecord(env.today()) };
    for (int i = 0; i < 1000; ++i) {
        ResultRecord junk = goodRecord(std::nan(""), 6000 + i);
        junk.level = std::int16_t(-i);
        junk.seconds = -i;
        records.push_back(junk);
    }
    records.push_back(goodRecord(env.today()));
    env.write(records);
    const CheckReport report = env.check();
    ASSERT_EQ(report.findings.size(), 1u);
    EXPECT_EQ(report.findingLine(report.findings[0]),
        QStringLiteral("記録 2〜1001（1000 件）：壊れた記録です（最初の記録はレベル 0、生徒番号 6000。レベルは 0〜35、"
                       "生徒番号は 0〜5000 のはずです）。読み込みで読み飛ばされ、数えられません。"));
    EXPECT_EQ(report.recordsWithFindings, 1000);
}

TEST(ResultsCheckTest, WithoutARosterThePupilsAreNotCheckedAndThatIsSaid)
{
    CheckEnv env;
    QFile::remove(env.install.dataRoot() + QStringLiteral("新名簿.txt"));
    env.write({ goodRecord(env.today(), 4000) });
    const CheckReport report = env.check();
    EXPECT_EQ(report.exitStatus(), 1);
    ASSERT_EQ(report.findings.size(), 1u);
    EXPECT_EQ(report.findings[0].kind, CheckKind::RosterUnreadable);
    EXPECT_TRUE(report.findingLine(report.findings[0]).startsWith(QStringLiteral("名簿：名簿を読めないため")));
}

struct UnreadableCase {
    const char *name;
    std::function<void(const CheckEnv &)> prepare;
    const char *phrase;
};

class ResultsCheckUnreadableTest : public ::testing::TestWithParam<UnreadableCase> { };

TEST_P(ResultsCheckUnreadableTest, ExitStatus2NamesTheFileAndCreatesNothing)
{
    CheckEnv env;
    QFile::remove(env.resultsPath());
    GetParam().prepare(env);
    const CheckReport report = env.check();
    EXPECT_EQ(report.exitStatus(), 2);
    EXPECT_EQ(report.lines().size(), 1);
    EXPECT_TRUE(report.summaryLine().contains(env.resultsPath())) << report.summaryLine().toStdString();
    EXPECT_TRUE(report.summaryLine().contains(QString::fromUtf8(GetParam().phrase)))
        << report.summaryLine().toStdString();
    EXPECT_TRUE(report.tsv().contains("\tunreadable\t"));
}

INSTANTIATE_TEST_SUITE_P(Files, ResultsCheckUnreadableTest,
    ::testing::Values(
        UnreadableCase { "missing", [](const CheckEnv &env) { EXPECT_FALSE(QFile::exists(env.resultsPath())); },
            "成績ファイルがありません" },
        UnreadableCase { "folderInItsPlace", [](const CheckEnv &env) { QDir().mkpath(env.resultsPath()); },
            "成績ファイルを読めません" }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(ResultsCheckTest, MissingFileStaysMissing)
{
    CheckEnv env;
    QFile::remove(env.resultsPath());
    env.check();
    EXPECT_FALSE(QFile::exists(env.resultsPath()));
}

TEST(ResultsCheckTest, TsvHasOneRowPerFindingAndASummaryRow)
{
    CheckEnv env;
    ResultRecord future = goodRecord(env.today() + 30);
    ResultRecord tab = goodRecord(env.today());
    tab.schoolCode = { '1', '\t', '3', '4', '5' };
    env.write({ future, tab }, QByteArray(3, 'x'));
    const QList<QByteArray> rows = env.check().tsv().split('\n');
    ASSERT_EQ(rows.size(), 7); // header, three findings, journal, summary, empty after the last LF
    EXPECT_EQ(rows[0], QByteArray("first_record\tlast_record\tkind\tvalue\tmessage"));
    for (int i = 1; i <= 5; ++i)
        EXPECT_EQ(rows[i].count('\t'), 4) << rows[i].toStdString();
    EXPECT_TRUE(rows[1].startsWith("1\t1\tdate_in_future\t2027-01-08\t記録 1：")) << rows[1].toStdString();
    EXPECT_TRUE(rows[2].startsWith("2\t2\tunknown_school_code\t31 09 33 34 35\t")) << rows[2].toStdString();
    EXPECT_TRUE(rows[3].startsWith("3\t3\ttorn_tail\t3\t")) << rows[3].toStdString();
    EXPECT_TRUE(rows[4].startsWith("\t\tjournal\t0\t変更記録：")) << rows[4].toStdString();
    EXPECT_TRUE(rows[5].startsWith("1\t2\tsummary\t3\t")) << rows[5].toStdString();
    EXPECT_TRUE(rows[6].isEmpty());
}

} // namespace
