// SPDX-License-Identifier: MIT
#include "maintenance/csv_export.h"
#include "results/counts.h"
#include "results/result_record.h"
#include "startup/startup_loader.h"
#include "state/shared_state.h"
#include "support/data_root.h"
#include "support/fakes.h"
#include "support/python_csv.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <random>

namespace {

struct CsvFieldCase {
    const char *name;
    const char *text;
    const char *field;
};

class CsvFieldTest : public ::testing::TestWithParam<CsvFieldCase> { };

TEST_P(CsvFieldTest, QuotesOnlyWhatRfc4180Requires)
{
    EXPECT_EQ(csvField(QString::fromUtf8(GetParam().text)), QByteArray(GetParam().field));
}

INSTANTIATE_TEST_SUITE_P(Fields, CsvFieldTest,
    ::testing::Values(CsvFieldCase { "plain", "青木さくら", "青木さくら" }, CsvFieldCase { "empty", "", "" },
        CsvFieldCase { "comma", "青木,さくら", "\"青木,さくら\"" },
        CsvFieldCase { "quote", "石井\"ジョー\"", "\"石井\"\"ジョー\"\"\"" },
        CsvFieldCase { "lineFeed", "a\nb", "\"a\nb\"" }, CsvFieldCase { "carriageReturn", "a\rb", "\"a\rb\"" },
        CsvFieldCase { "blanksKept", " a ", " a " }),
    [](const auto &info) { return std::string(info.param.name); });

ResultRecord run(double date, int pupil, int level, int seconds, const char *code = "12345", double timeOfDay = 0.5)
{
    ResultRecord r;
    r.date = date;
    r.timeOfDay = timeOfDay;
    r.pupilNumber = std::int16_t(pupil);
    r.level = std::int16_t(level);
    r.seconds = seconds;
    std::copy(code, code + 5, r.schoolCode.begin());
    return r;
}

// An installation loaded the way start-up loads it, with a folder for the
// exported files.
struct ExportEnv {
    TestInstall install;
    FakePlatform fakes;
    std::unique_ptr<SharedState> state = std::make_unique<SharedState>();

    ExportEnv() { install.writeDefaults(); }
    void load() { ASSERT_TRUE(LoadPathsAndSettings(*state, fakes.platform, install.programFolder())); }
    QString resultsPath() const { return install.programDataFolder() + QStringLiteral("成績累積データ.dat"); }
    void writeResults(const std::vector<ResultRecord> &records, const QByteArray &tail = {}) const
    {
        QByteArray bytes;
        for (const ResultRecord &r : records)
            bytes += encodeRecord(r);
        install.writeBytes(resultsPath(), bytes + tail);
    }
    QString outFolder() const { return install.suiteFolder() + QStringLiteral("出力"); }
    double today() const { return oledate::fromDate(fakes.clock.today()); }
};

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

python_csv::Rows readBack(const QString &path)
{
    QString error;
    const auto rows = python_csv::read(path, &error);
    EXPECT_TRUE(rows.has_value()) << error.toStdString();
    return rows.value_or(python_csv::Rows {});
}

// UTF-8 with a byte-order mark, and every line ended by CR LF.
void expectExcelFraming(const QByteArray &bytes, int lines)
{
    ASSERT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    EXPECT_EQ(bytes.count("\r\n"), lines);
    EXPECT_EQ(bytes.count('\n'), lines) << "a line feed without its carriage return";
    EXPECT_TRUE(bytes.endsWith("\r\n"));
}

TEST(CsvExportTest, EveryStoredRunReadsBackFieldForField)
{
    ExportEnv env;
    env.install.writeRoster(QStringLiteral("1,2018,0,0,\"青木,さくら\",0,\"\",\"\"\n"
                                           "2,2014,0,0,石井\"ジョー\",0,\"\",\"\"\n"
                                           "3,2011,0,0,上田　花,1,\"\",\"\"\n"));
    const double d = env.today();
    const double nineOFiveSeven = (9 * 3600 + 5 * 60 + 7) / 86400.0;
    env.writeResults(
        { run(d, 1, 1, 30, "12345", nineOFiveSeven), run(d, 2, 3, 30), run(d, 1, 1, 99999), run(d, 1, 0, 40),
            run(d, 3, 2, 90, "54321"), run(d, 1, 99, 30), run(d, 6000, 1, 30), run(d - 1, 77, 4, 120, "     ") },
        QByteArray(10, '\x01'));
    env.load();

    const CsvExportResult result = exportCsv(*env.state, env.fakes.clock.now(), env.outFolder());
    ASSERT_TRUE(result.ok) << result.problem.toStdString();
    EXPECT_EQ(result.records, 8);
    EXPECT_EQ(result.runRows, 5);
    EXPECT_EQ(result.damaged, 2);
    EXPECT_EQ(result.notRuns, 1);
    EXPECT_EQ(result.tornBytes, 10);
    const QString summary = csvExportSummary(result).join(QLatin1Char('\n'));
    EXPECT_TRUE(summary.contains(QStringLiteral("壊れた記録 2 件"))) << summary.toStdString();
    EXPECT_TRUE(summary.contains(QStringLiteral("10 バイト"))) << summary.toStdString();

    expectExcelFraming(fileBytes(result.runsPath), 6);
    const python_csv::Rows rows = readBack(result.runsPath);
    // Points by the rule: level 1 aims at 60 s (30 s earns 11), level 3 at
    // 100 s with the multiplier 1.5 (22 × 1.5 = 33), level 2 at 80 s (90 s
    // earns 4), level 4 at 120 s with the multiplier 2 (5 × 2 = 10).
    const std::vector<QStringList> expected = {
        { "記録番号", "日付", "時刻", "生徒番号", "名前", "学年", "レベル", "レベル名", "秒", "時間切れ", "ポイント",
            "学校コード", "学校名" },
        { "1", "2026-12-09", "09:05:07", "1", "青木,さくら", "小２", "1", "レベル1", "30", "", "11", "12345",
            "テスト学習塾" },
        { "2", "2026-12-09", "12:00:00", "2", "石井\"ジョー\"", "小６", "3", "レベル３", "30", "", "33", "12345",
            "テスト学習塾" },
        { "3", "2026-12-09", "12:00:00", "1", "青木,さくら", "小２", "1", "レベル1", "", "時間切れ", "0", "12345",
            "テスト学習塾" },
        { "5", "2026-12-09", "12:00:00", "3", "上田　花", "中３", "2", "レベル２", "90", "", "4", "54321", "他塾" },
        { "8", "2026-12-08", "12:00:00", "77", "", "", "4", "レベル４", "120", "", "10", "", "他塾" },
    };
    ASSERT_EQ(rows.size(), expected.size());
    for (size_t i = 0; i < rows.size(); ++i)
        EXPECT_EQ(rows[i], expected[i]) << "row " << i;

    expectExcelFraming(fileBytes(result.pupilsPath), 5);
    const python_csv::Rows pupils = readBack(result.pupilsPath);
    ASSERT_EQ(pupils.size(), 5u);
    EXPECT_EQ(pupils[0].value(0), QStringLiteral("生徒番号"));
    EXPECT_EQ(pupils[1],
        QStringList({ "1", "青木,さくら", "小２", "1", "レベル1", "1", "1", "1", "11", "11", "11", "30", "", "" }));
    // Only the record of yesterday: not today, still in the period.
    EXPECT_EQ(pupils[4], QStringList({ "77", "", "", "4", "レベル４", "1", "0", "1", "10", "0", "10", "120", "", "" }));
}

TEST(CsvExportTest, AFailedExportLeavesEarlierFilesAsTheyWere)
{
    ExportEnv env;
    env.load();
    QDir().mkpath(env.outFolder());
    env.install.writeBytes(env.outFolder() + QStringLiteral("/runs.csv"), "earlier");
    QFile::remove(env.resultsPath());

    const CsvExportResult result = exportCsv(*env.state, env.fakes.clock.now(), env.outFolder());
    EXPECT_FALSE(result.ok);
    EXPECT_TRUE(result.problem.contains(env.resultsPath())) << result.problem.toStdString();
    EXPECT_EQ(fileBytes(env.outFolder() + QStringLiteral("/runs.csv")), QByteArray("earlier"));
    EXPECT_FALSE(QFile::exists(env.outFolder() + QStringLiteral("/pupils.csv")));
    EXPECT_FALSE(QFile::exists(env.resultsPath())) << "the export must not create the results file";
}

// The teacher's sheet and the hub must agree: the same records, the same
// clock, the counts of the hub's own computation.
class CsvMatchesHubTest : public ::testing::TestWithParam<int> { };

TEST_P(CsvMatchesHubTest, PointsAndPassColumnsAreTheHubsCounts)
{
    ExportEnv env;
    // Easy goals and tight over-practice limits, so both answers occur.
    env.install.writeCriteria(QStringLiteral("目標Time,最低Time,ｸﾘｱﾎﾟｲﾝﾄ,ｸﾘｱ回数,ﾎﾟｲﾝﾄ倍率,禁回,禁点,判期間,禁期間,,,\n"
                                             "60,120,20,3,1,4,0,7,3,0,0,0\n"
                                             "80,150,30,2,1,0,40,5,2,0,0,0\n"
                                             "100,180,10,3,1.5,5,60,3,3,0,0,0\n"
                                             "120,200,20,2,2,3,0,10,1,0,0,0\n"));
    // Half the runs from ten busy pupils, the rest spread over the whole
    // roster, so that some cells pass or over-practise and others do not.
    const int pupils = GetParam() / 20;
    QString roster;
    for (int p = 1; p <= pupils; ++p)
        roster += QStringLiteral("%1,2016,0,0,\"生徒%1\",0,\"\",\"\"\n").arg(p);
    env.install.writeRoster(roster);
    std::mt19937 random(14);
    std::vector<ResultRecord> records;
    for (int i = 0; i < GetParam(); ++i) {
        const int seconds = random() % 15 == 0 ? 99999 : random() % 25 == 0 ? 7000 : int(10 + random() % 300);
        const int pupil = i % 2 == 0 ? int(1 + random() % 10) : int(1 + random() % pupils);
        records.push_back(run(env.today() - double(random() % 12), pupil, int(1 + random() % 4), seconds));
    }
    env.writeResults(records);
    env.load();

    const CsvExportResult result = exportCsv(*env.state, env.fakes.clock.now(), env.outFolder());
    ASSERT_TRUE(result.ok) << result.problem.toStdString();
    ASSERT_TRUE(回数求(*env.state, env.fakes.platform));
    const SharedState &hub = *env.state;

    std::map<std::pair<int, int>, int> expectedRows;
    for (int r = 1; r <= hub.LoadedRecordCount; ++r)
        expectedRows[{ hub.RecPupil[size_t(r)], hub.RecLevel[size_t(r)] }] = 1;

    const python_csv::Rows rows = readBack(result.pupilsPath);
    ASSERT_EQ(rows.size(), expectedRows.size() + 1);
    std::map<bool, int> passed;
    std::map<bool, int> overPractised;
    for (size_t i = 1; i < rows.size(); ++i) {
        const QStringList &row = rows[i];
        const int pupil = row[0].toInt();
        const int level = row[3].toInt();
        SCOPED_TRACE(row.join(QLatin1Char(',')).toStdString());
        ASSERT_TRUE(expectedRows.count({ pupil, level }));
        EXPECT_EQ(row[5].toInt(), hub.TotalRunCount(level, pupil));
        EXPECT_EQ(row[6].toFloat(), hub.TodayRunCount(level, pupil));
        EXPECT_EQ(row[7].toInt(), hub.PeriodRunCount(level, pupil));
        EXPECT_EQ(row[8].toInt(), hub.TotalPoints(level, pupil));
        EXPECT_EQ(row[9].toInt(), hub.TodayPoints(level, pupil));
        EXPECT_EQ(row[10].toInt(), hub.PeriodPoints(level, pupil));
        EXPECT_EQ(
            row[11], hub.BestTime(level, pupil) < 99999 ? QString::number(hub.BestTime(level, pupil)) : QString());
        EXPECT_EQ(row[12] == QStringLiteral("合格"), LevelPassed(hub, level, pupil));
        EXPECT_EQ(row[13] == QStringLiteral("やりすぎ禁止"), LevelOverPractised(hub, level, pupil));
        ++passed[LevelPassed(hub, level, pupil)];
        ++overPractised[LevelOverPractised(hub, level, pupil)];
    }
    EXPECT_GT(passed[true], 0);
    EXPECT_GT(passed[false], 0);
    EXPECT_GT(overPractised[true], 0);
    EXPECT_GT(overPractised[false], 0);
    // Beyond the loader's window the counts cover only its records, and
    // the teacher is told from which record on.
    if (GetParam() > 20000) {
        EXPECT_EQ(result.countedFrom, GetParam() - 20000 + 1);
        EXPECT_TRUE(csvExportSummary(result).join(QString()).contains(QString::number(result.countedFrom)));
    }
    EXPECT_EQ(result.countedRecords, hub.LoadedRecordCount);
    EXPECT_EQ(result.runRows, GetParam());
}

INSTANTIATE_TEST_SUITE_P(FileSizes, CsvMatchesHubTest, ::testing::Values(400, 21000));

} // namespace
