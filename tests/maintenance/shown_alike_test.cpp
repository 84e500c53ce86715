// SPDX-License-Identifier: MIT
// A run reads the same wherever a teacher meets it: in the results-data
// editor's list, in the hub's lists, in runs.csv and in the check. These
// places once disagreed: the export rounded a time of day the lists cut
// (9:59:59.6 was "09:59:59" in the editor, "10:00:00" in runs.csv), and
// with no school code configured the editor named this school's own runs
// "他塾" while the export and the check counted them as its own.
#include "hub/listings.h"
#include "maintenance/csv_export.h"
#include "maintenance/data_editor_rules.h"
#include "maintenance/results_check.h"
#include "platform/clock.h"
#include "results/result_record.h"
#include "startup/startup_loader.h"
#include "state/shared_state.h"
#include "support/data_root.h"
#include "support/fakes.h"
#include "support/python_csv.h"

#include <gtest/gtest.h>
#include <memory>

namespace {

struct Installation {
    TestInstall install;
    FakePlatform fakes;
    std::unique_ptr<SharedState> state = std::make_unique<SharedState>();

    explicit Installation(const QString &schoolItem)
    {
        install.writeDefaults();
        install.writeSettings(QStringLiteral("4\n\"%1\"\n0\n0\n0\n1234\n0\n0\n0\n0\n").arg(schoolItem));
        install.writeRoster(QStringLiteral("12,2017,0,0,\"山田太郎\",0,\"\",\"\"\n"));
    }
    void write(const std::vector<ResultRecord> &records) const
    {
        QByteArray bytes;
        for (const ResultRecord &r : records)
            bytes += encodeRecord(r);
        install.writeBytes(install.programDataFolder() + QStringLiteral("成績累積データ.dat"), bytes);
    }
    bool load() { return LoadPathsAndSettings(*state, fakes.platform, install.programFolder()); }
    double today() const { return oledate::fromDate(fakes.clock.today()); }

    // runs.csv read back by a reader that shares no code with the export.
    python_csv::Rows exportedRuns()
    {
        const CsvExportResult result
            = exportCsv(*state, fakes.clock.now(), install.suiteFolder() + QStringLiteral("出力"));
        EXPECT_TRUE(result.ok) << result.problem.toStdString();
        QString error;
        const auto rows = python_csv::read(result.runsPath, &error);
        EXPECT_TRUE(rows.has_value()) << error.toStdString();
        return rows.value_or(python_csv::Rows {});
    }
    std::shared_ptr<EditorRoster> editorRoster() const
    {
        auto roster = std::make_shared<EditorRoster>();
        RosterFailure failure;
        EXPECT_TRUE(LoadEditorRoster(install.dataRoot() + QStringLiteral("新名簿.txt"), 2026, *roster, &failure));
        return roster;
    }
};

ResultRecord run(double date, double timeOfDay, const char *code)
{
    ResultRecord r;
    r.date = date;
    r.timeOfDay = timeOfDay;
    r.pupilNumber = 12;
    r.level = 1;
    r.seconds = 45;
    std::copy(code, code + 5, r.schoolCode.begin());
    return r;
}

constexpr int kTimeColumn = 2;
constexpr int kSchoolNameColumn = 12;

struct TimeCase {
    const char *name;
    double timeOfDay;
    const char *shown; // in the editor and the lists
};

class TimeOfDayShownAlike : public ::testing::TestWithParam<TimeCase> { };

TEST_P(TimeOfDayShownAlike, TheExportWritesTheSecondTheEditorAndTheListsShow)
{
    const TimeCase &c = GetParam();
    Installation at(QStringLiteral("12345ルカ塾"));
    const ResultRecord stored = run(at.today(), c.timeOfDay, "12345");
    at.write({ stored });
    ASSERT_TRUE(at.load());

    const QString editorLine
        = dataListLine(1, stored, *at.editorRoster(), SchoolOfRecord(at.state->SchoolCode, at.state->SchoolName));
    const QString shown = QString::fromLatin1(c.shown);
    EXPECT_TRUE(editorLine.contains(QStringLiteral(" ") + shown + QStringLiteral("ﾚﾍﾞﾙ"))) << editorLine.toStdString();
    EXPECT_EQ(hourMinuteText(stored.timeOfDay), shown.rightJustified(8, QLatin1Char('0')).left(5));

    const python_csv::Rows rows = at.exportedRuns();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[1].value(kTimeColumn), shown.rightJustified(8, QLatin1Char('0')));
}

INSTANTIATE_TEST_SUITE_P(StoredTimes, TimeOfDayShownAlike,
    ::testing::Values(
        // Whole seconds, as this program writes them.
        TimeCase { "WholeSecond", 10 * 3600 / 86400.0, "10:00:00" },
        TimeCase { "Morning", (9 * 3600 + 5 * 60 + 7) / 86400.0, "9:05:07" },
        // Fractions an older writer left stay in their own second, minute
        // and day.
        TimeCase { "FractionBeforeTheHour", (9 * 3600 + 59 * 60 + 59.6) / 86400.0, "9:59:59" },
        TimeCase { "FractionBeforeMidnight", (86399.9) / 86400.0, "23:59:59" },
        TimeCase { "FractionAfterMidnight", 0.4 / 86400.0, "0:00:00" }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(SchoolShownAlike, ARunWithTheBlankCodeIsThisSchoolsEverywhereWhenNoCodeIsConfigured)
{
    // A school name that does not start with five digits: no school code.
    Installation at(QStringLiteral("ルカ塾"));
    const ResultRecord own = run(at.today(), 0.5, "     ");
    const ResultRecord other = run(at.today(), 0.5, "54321");
    at.write({ own, other });
    ASSERT_TRUE(at.load());
    ASSERT_TRUE(at.state->SchoolCode.isEmpty());
    ASSERT_EQ(at.state->SchoolName, QStringLiteral("ルカ塾"));

    const auto roster = at.editorRoster();
    const SchoolOfRecord school(at.state->SchoolCode, at.state->SchoolName);
    EXPECT_TRUE(dataListLine(1, own, *roster, school).endsWith(QStringLiteral("++ルカ塾")));
    EXPECT_TRUE(dataListLine(2, other, *roster, school).endsWith(QStringLiteral("++他塾")));

    const python_csv::Rows rows = at.exportedRuns();
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1].value(kSchoolNameColumn), QStringLiteral("ルカ塾"));
    EXPECT_EQ(rows[2].value(kSchoolNameColumn), QStringLiteral("他塾"));

    const CheckReport report = checkResultsFile(*at.state, at.fakes.clock.now());
    std::vector<qint64> otherSchool;
    for (const CheckFinding &f : report.findings)
        if (f.kind == CheckKind::UnknownSchoolCode)
            otherSchool.push_back(f.firstRecord);
    EXPECT_EQ(otherSchool, std::vector<qint64> { 2 });
}

} // namespace
