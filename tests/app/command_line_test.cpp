// SPDX-License-Identifier: MIT
#include "app/command_line.h"
#include "results/result_record.h"
#include "results/results_edit.h"
#include "results/results_journal.h"
#include "support/data_root.h"
#include "support/fakes.h"

#include <QBuffer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <gtest/gtest.h>

namespace {

struct Output {
    int status = -1;
    QString out;
    QString err;
};

ResultRecord record(double date, int pupil, int seconds)
{
    ResultRecord r;
    r.date = date;
    r.timeOfDay = 0.25;
    r.pupilNumber = std::int16_t(pupil);
    r.level = 1;
    r.seconds = seconds;
    const char code[] = "12345";
    std::copy(code, code + 5, r.schoolCode.begin());
    return r;
}

// An installation whose program folder is named like the real one, so the
// built program finds its data folder under any data root given to it.
struct CommandEnv {
    TestInstall install { QStringLiteral("rukamina") };
    FakeClock clock;

    CommandEnv()
    {
        install.writeDefaults();
        install.writeRoster(QStringLiteral("1,2016,0,0,\"青木\",0,\"\",\"\"\n"));
    }
    QString resultsPath(const TestInstall &in) const
    {
        return in.programDataFolder() + QStringLiteral("成績累積データ.dat");
    }
    void writeRecords(const TestInstall &in, const std::vector<ResultRecord> &records) const
    {
        QByteArray bytes;
        for (const ResultRecord &r : records)
            bytes += encodeRecord(r);
        in.writeBytes(resultsPath(in), bytes);
    }
    double today() const { return oledate::fromDate(clock.today()); }
    Output run(const QStringList &arguments)
    {
        QBuffer out;
        QBuffer err;
        out.open(QIODevice::WriteOnly);
        err.open(QIODevice::WriteOnly);
        Output o;
        o.status = runCommand(arguments, install.programFolder(), clock, out, err);
        o.out = QString::fromUtf8(out.data());
        o.err = QString::fromUtf8(err.data());
        return o;
    }
};

struct RequestCase {
    const char *name;
    std::vector<const char *> arguments;
    bool command; // answered on the terminal rather than by the windows
};

class CommandLineRequest : public ::testing::TestWithParam<RequestCase> { };

TEST_P(CommandLineRequest, EveryOptionButTheWindowsOwnIsAnsweredOnTheTerminal)
{
    QStringList arguments;
    for (const char *a : GetParam().arguments)
        arguments << QString::fromUtf8(a);
    EXPECT_EQ(isCommandLineRequest(arguments), GetParam().command);
}

INSTANTIATE_TEST_SUITE_P(Arguments, CommandLineRequest,
    ::testing::Values(RequestCase { "Nothing", {}, false },
        RequestCase { "QtPlatform", { "-platform", "offscreen" }, false },
        RequestCase { "QtStyleWithEquals", { "--style=fusion", "-reverse" }, false },
        RequestCase { "NoScaling", { "--no-scaling" }, false },
        // A menu may hand a word over; the windows have always ignored it.
        RequestCase { "PlainWord", { "001" }, false }, RequestCase { "Check", { "--check" }, true },
        RequestCase { "Export", { "--export-csv=/tmp/x" }, true }, RequestCase { "ShortHelp", { "-h" }, true },
        RequestCase { "Version", { "--version" }, true }, RequestCase { "Mistyped", { "--chek" }, true },
        RequestCase { "UnknownAfterAQtOption", { "-platform", "xcb", "--bogus" }, true },
        RequestCase { "UnknownSingleDash", { "-v" }, true }),
    [](const auto &info) { return std::string(info.param.name); });

TEST(CommandLineTest, VersionNamesTheProgramAndItsVersion)
{
    CommandEnv env;
    const Output o = env.run({ QStringLiteral("--version") });
    EXPECT_EQ(o.status, 0);
    EXPECT_EQ(o.out, versionText() + QLatin1Char('\n'));
    EXPECT_TRUE(o.out.startsWith(
        QStringLiteral("rukamina %1.%2.%3").arg(APP_VERSION_MAJOR).arg(APP_VERSION_MINOR).arg(APP_VERSION_PATCH)));
    EXPECT_TRUE(o.err.isEmpty());
}

TEST(CommandLineTest, AnUnknownOptionIsNamedAndTheUsageFollows)
{
    CommandEnv env;
    const Output o = env.run({ QStringLiteral("--chek") });
    EXPECT_EQ(o.status, 2);
    EXPECT_TRUE(o.out.isEmpty());
    EXPECT_TRUE(o.err.startsWith(QStringLiteral("知らないオプションです：--chek\n"))) << o.err.toStdString();
    EXPECT_TRUE(o.err.contains(commandLineHelp()));
}

TEST(CommandLineTest, HelpDescribesEveryOptionInJapaneseAndEnglish)
{
    CommandEnv env;
    const Output o = env.run({ QStringLiteral("--help") });
    EXPECT_EQ(o.status, 0);
    const qsizetype english = o.out.indexOf(QStringLiteral("Usage:"));
    ASSERT_GT(english, 0);
    const QString japanese = o.out.left(english);
    const QString inEnglish = o.out.mid(english);
    for (const char *option : { "--export-csv", "--check", "--format=tsv", "--data-root", "--help" }) {
        EXPECT_TRUE(japanese.contains(QLatin1String(option))) << option;
        EXPECT_TRUE(inEnglish.contains(QLatin1String(option))) << option;
    }
    EXPECT_TRUE(japanese.contains(QStringLiteral("使い方")));
}

class CommandLineUsageTest : public ::testing::TestWithParam<std::vector<const char *>> { };

TEST_P(CommandLineUsageTest, AWrongCommandLineEndsWithStatus2AndSaysWhy)
{
    CommandEnv env;
    QStringList arguments;
    for (const char *a : GetParam())
        arguments << QString::fromUtf8(a);
    const Output o = env.run(arguments);
    EXPECT_EQ(o.status, 2);
    EXPECT_TRUE(o.out.isEmpty());
    EXPECT_TRUE(o.err.contains(QStringLiteral("rukamina --help"))) << o.err.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Usage, CommandLineUsageTest,
    ::testing::Values(std::vector<const char *> { "--check", "--export-csv", "/tmp/x" },
        std::vector<const char *> { "--check", "--format=csv" }, std::vector<const char *> { "--check", "--bogus" },
        std::vector<const char *> { "--data-root", "/tmp" }, std::vector<const char *> { "--export-csv" },
        std::vector<const char *> { "--export-csv", "/tmp/x", "--format=tsv" }));

TEST(CommandLineTest, CheckExitStatusFollowsTheFindings)
{
    CommandEnv env;
    env.writeRecords(env.install, { record(env.today(), 1, 40) });
    Output o = env.run({ QStringLiteral("--check") });
    EXPECT_EQ(o.status, 0) << o.err.toStdString();
    EXPECT_TRUE(o.out.endsWith(QStringLiteral("問題は見つかりませんでした（記録 1 件）。\n"))) << o.out.toStdString();

    env.writeRecords(env.install, { record(env.today(), 1, 40), record(env.today(), 2, 40) });
    o = env.run({ QStringLiteral("--check"), QStringLiteral("--format=tsv") });
    EXPECT_EQ(o.status, 1);
    const QStringList rows = o.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_EQ(rows.size(), 4);
    EXPECT_TRUE(rows[1].startsWith(QStringLiteral("2\t2\tpupil_not_on_roster\t2\t"))) << rows[1].toStdString();
    EXPECT_TRUE(rows[2].startsWith(QStringLiteral("\t\tjournal\t0\t"))) << rows[2].toStdString();

    QFile::remove(env.resultsPath(env.install));
    o = env.run({ QStringLiteral("--check") });
    EXPECT_EQ(o.status, 2);
    EXPECT_TRUE(o.err.contains(env.resultsPath(env.install)));
}

TEST(CommandLineTest, CheckNamesTheDailyCopiesAndHowToRestoreOne)
{
    CommandEnv env;
    env.writeRecords(env.install, { record(env.today(), 1, 40) });
    const QString copies = env.install.dataRoot() + QStringLiteral("バックアップ/rukamina/");
    env.install.writeBytes(copies + QStringLiteral("成績累積データ_20261208.dat"), QByteArray(44, 'r'));
    const Output o = env.run({ QStringLiteral("--check") });
    EXPECT_EQ(o.status, 0) << o.err.toStdString();
    const QStringList lines = o.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    ASSERT_GE(lines.size(), 3);
    EXPECT_TRUE(lines[0].contains(copies + QStringLiteral(" に 1 件"))) << lines[0].toStdString();
    EXPECT_TRUE(lines[0].contains(QStringLiteral("成績累積データ_20261208.dat")));
    EXPECT_TRUE(lines[1].contains(QStringLiteral("控えから戻すには"))) << lines[1].toStdString();
    EXPECT_TRUE(lines.last().startsWith(QStringLiteral("問題は見つかりませんでした"))) << "the summary stays last";

    // Scripts read the TSV form, which stays as it was.
    const Output tsv = env.run({ QStringLiteral("--check"), QStringLiteral("--format=tsv") });
    EXPECT_FALSE(tsv.out.contains(QStringLiteral("バックアップ")));
}

TEST(CommandLineTest, CheckReportsTheJournalsSize)
{
    CommandEnv env;
    const std::vector<ResultRecord> records { record(env.today(), 1, 40), record(env.today(), 1, 41) };
    env.writeRecords(env.install, records);
    const QString journal = resultsJournalPath(env.resultsPath(env.install));
    Output o = env.run({ QStringLiteral("--check") });
    EXPECT_TRUE(o.out.contains(QStringLiteral("変更記録：%1（まだありません）").arg(journal))) << o.out.toStdString();

    ASSERT_EQ(deleteResultRecord(env.resultsPath(env.install), 1, encodeRecord(records[0]), env.clock).outcome,
        RecordEditOutcome::Done);
    o = env.run({ QStringLiteral("--check") });
    EXPECT_EQ(o.status, 0) << o.err.toStdString();
    EXPECT_TRUE(o.out.contains(QStringLiteral("変更記録：%1（1 件、%2 バイト）").arg(journal).arg(kJournalEntryLength)))
        << o.out.toStdString();
}

TEST(CommandLineTest, DataRootReplacesThePathFile)
{
    CommandEnv env;
    env.writeRecords(env.install, { record(env.today(), 1, 40) });
    TestInstall other(QStringLiteral("rukamina"));
    other.writeDefaults();
    other.writeRoster(QString());
    env.writeRecords(other, { record(env.today(), 1, 40) });

    Output o = env.run({ QStringLiteral("--check"), QStringLiteral("--data-root"), other.dataRoot() });
    EXPECT_EQ(o.status, 1); // pupil 1 is not on the other school's roster
    EXPECT_TRUE(o.out.contains(env.resultsPath(other))) << o.out.toStdString();

    // Without the path file only --data-root finds the data.
    QFile::remove(env.install.suiteFolder() + QStringLiteral("パスデータ.txt"));
    o = env.run({ QStringLiteral("--check") });
    EXPECT_EQ(o.status, 2);
    EXPECT_TRUE(o.err.contains(QStringLiteral("パスデータ.txt"))) << o.err.toStdString();
    o = env.run({ QStringLiteral("--check"), QStringLiteral("--data-root=") + env.install.dataRoot() });
    EXPECT_EQ(o.status, 0) << o.err.toStdString();
}

TEST(CommandLineTest, ExportWritesBothFilesAndSaysWhere)
{
    CommandEnv env;
    env.writeRecords(env.install, { record(env.today(), 1, 40), record(env.today(), 1, 99999) });
    const QString folder = env.install.suiteFolder() + QStringLiteral("csv");
    Output o = env.run({ QStringLiteral("--export-csv"), folder });
    EXPECT_EQ(o.status, 0) << o.err.toStdString();
    EXPECT_TRUE(o.out.contains(folder + QStringLiteral("/runs.csv に 2 件"))) << o.out.toStdString();
    EXPECT_TRUE(QFile::exists(folder + QStringLiteral("/pupils.csv")));

    // A folder that cannot be made (a file stands in its way).
    env.install.writeBytes(env.install.suiteFolder() + QStringLiteral("file"), "x");
    o = env.run({ QStringLiteral("--export-csv"), env.install.suiteFolder() + QStringLiteral("file/csv") });
    EXPECT_EQ(o.status, 2);
    EXPECT_TRUE(o.err.contains(QStringLiteral("file/csv"))) << o.err.toStdString();

    // No criteria, no points: the export stops and names the file.
    QFile::remove(env.install.programDataFolder() + QStringLiteral("タイム回数データ.txt"));
    o = env.run({ QStringLiteral("--export-csv"), folder });
    EXPECT_EQ(o.status, 2);
    EXPECT_TRUE(o.err.contains(QStringLiteral("タイム回数データ.txt"))) << o.err.toStdString();
}

// The environment of a machine without a display.
QProcessEnvironment withoutADisplay()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    return environment;
}

// The built program, started as a teacher would start it on a machine
// without a display: no window system is touched.
TEST(CommandLineTest, TheProgramChecksWithoutADisplay)
{
    CommandEnv env;
    env.writeRecords(env.install, { record(env.today() - 1, 1, 40), record(env.today() - 1, 7, 40) });
    QProcess process;
    process.setProcessEnvironment(withoutADisplay());
    process.start(QStringLiteral(RUKAMINA_EXECUTABLE),
        { QStringLiteral("--check"), QStringLiteral("--data-root"), env.install.dataRoot() });
    ASSERT_TRUE(process.waitForFinished(60000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 1) << process.readAllStandardError().toStdString();
    const QString out = QString::fromUtf8(process.readAllStandardOutput());
    EXPECT_TRUE(out.contains(QStringLiteral("記録 2：生徒番号 7 は名簿にありません。"))) << out.toStdString();
}

struct NoDisplayCase {
    const char *name;
    const char *argument;
    int status;
    bool onStandardOutput; // else on the error output
    const char16_t *saying;
};

class WithoutADisplay : public ::testing::TestWithParam<NoDisplayCase> { };

// The built program on a machine without a display, as an administrator
// types it over SSH: it answers and ends, touching no window system.
TEST_P(WithoutADisplay, TheProgramAnswersAndEnds)
{
    const NoDisplayCase &c = GetParam();
    QProcess process;
    process.setProcessEnvironment(withoutADisplay());
    process.start(QStringLiteral(RUKAMINA_EXECUTABLE), { QString::fromUtf8(c.argument) });
    ASSERT_TRUE(process.waitForFinished(60000));
    const QString out = QString::fromUtf8(process.readAllStandardOutput());
    const QString err = QString::fromUtf8(process.readAllStandardError());
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << err.toStdString();
    EXPECT_EQ(process.exitCode(), c.status) << err.toStdString();
    EXPECT_TRUE((c.onStandardOutput ? out : err).contains(QString::fromUtf16(c.saying)))
        << out.toStdString() << err.toStdString();
    EXPECT_TRUE((c.onStandardOutput ? err : out).isEmpty()) << out.toStdString() << err.toStdString();
}

INSTANTIATE_TEST_SUITE_P(Options, WithoutADisplay,
    ::testing::Values(NoDisplayCase { "Version", "--version", 0, true, u"rukamina 1." },
        NoDisplayCase { "UnknownOption", "--bogus", 2, false, u"--import-roster" },
        NoDisplayCase { "UnknownShortOption", "-x", 2, false, u"Usage: rukamina" }),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
