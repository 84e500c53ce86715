// SPDX-License-Identifier: MIT
// The program as `cmake --install` lays it out, started the way a school
// starts it: from the launcher on the PATH, with the path file in the user's
// configuration folder and a data folder made by the first-run code.
#include "setup/data_files.h"
#include "setup/first_run.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

const QString kPrefix = QStringLiteral(INSTALL_TEST_PREFIX);
const QString kLauncher = kPrefix + QStringLiteral("/bin/rukamina");
const QString kProgramFolder = kPrefix + QStringLiteral("/lib/rukamina/rukamina");

struct InstalledProgram : ::testing::Test {
    QTemporaryDir home;
    QString config() const { return home.path() + QStringLiteral("/.config/rukamina/"); }
    QString data() const { return home.path() + QStringLiteral("/ルカミナデータ/"); }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", home.path());
        env.insert("XDG_CONFIG_HOME", home.path() + "/.config");
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("QT_LOGGING_RULES", "rukamina.screens.debug=true");
        env.insert("LC_ALL", "C.UTF-8");
        return env;
    }

    void makeDataFolder() const
    {
        firstrun::NewDataFolder entry;
        entry.folder = data();
        entry.settings.schoolName = QStringLiteral("みなみ小学校");
        entry.settings.schoolCode = QStringLiteral("12345");
        entry.settings.password = QStringLiteral("1234");
        QString error;
        ASSERT_TRUE(firstrun::createDataFolder(entry, QStringLiteral("rukamina"),
            firstrun::installedSoundFolder(kProgramFolder), false, QDateTime::currentDateTime(), &error))
            << error.toStdString();
        ASSERT_TRUE(firstrun::writePathFile(config(), data(), &error)) << error.toStdString();
    }

    // Starts the launcher and waits until its log names `screen`; then ends
    // it. The log so far.
    QString startAndWaitFor(const QString &screen, const QStringList &args = {}) const
    {
        QProcess program;
        program.setProcessEnvironment(environment());
        program.setProcessChannelMode(QProcess::MergedChannels);
        program.start(kLauncher, args);
        EXPECT_TRUE(program.waitForStarted(10000));
        QString log;
        QDeadlineTimer deadline(60000);
        while (!log.contains(screen) && !deadline.hasExpired() && program.state() == QProcess::Running) {
            program.waitForReadyRead(200);
            log += QString::fromUtf8(program.readAll());
        }
        log += QString::fromUtf8(program.readAll());
        program.kill();
        program.waitForFinished(10000);
        return log;
    }

    struct Run {
        int exitCode;
        QString out;
        QString err;
    };
    Run run(const QStringList &args) const
    {
        QProcess program;
        program.setProcessEnvironment(environment());
        program.start(kLauncher, args);
        EXPECT_TRUE(program.waitForFinished(60000));
        return { program.exitCode(), QString::fromUtf8(program.readAllStandardOutput()),
            QString::fromUtf8(program.readAllStandardError()) };
    }
};

TEST_F(InstalledProgram, LauncherOnThePathIsALinkToTheProgramInItsSuiteFolder)
{
    const QFileInfo launcher(kLauncher);
    ASSERT_TRUE(launcher.isSymLink());
    EXPECT_EQ(launcher.canonicalFilePath(), QFileInfo(kProgramFolder + "/rukamina").canonicalFilePath());
    EXPECT_TRUE(QFileInfo(kProgramFolder + "/rukamina").isExecutable());
    for (const char *file : { "/share/applications/rukamina.desktop", "/share/icons/hicolor/scalable/apps/rukamina.svg",
             "/share/man/man1/rukamina.1.gz", "/share/rukamina/sounds/sound-list.txt" })
        EXPECT_TRUE(QFile::exists(kPrefix + QString::fromUtf8(file))) << file;
}

TEST_F(InstalledProgram, StartsOnAFolderMadeByTheFirstRunCodeAndReachesNameSelection)
{
    makeDataFolder();
    // The installed default sounds were the ones copied, from their ASCII
    // names to the names the sound list uses.
    QFile installed(kPrefix + "/share/rukamina/sounds/correct1.wav");
    QFile copied(data() + "音フォルダ/正解1.wav");
    ASSERT_TRUE(installed.open(QIODevice::ReadOnly) && copied.open(QIODevice::ReadOnly));
    EXPECT_EQ(installed.readAll(), copied.readAll());
    for (const QString &name : QDir(kPrefix + "/share/rukamina/sounds").entryList(QDir::Files))
        EXPECT_TRUE(std::all_of(name.begin(), name.end(), [](QChar c) { return c.unicode() < 0x80; }))
            << name.toStdString() << " is not an ASCII name";

    const QString log = startAndWaitFor("name selection shown");
    EXPECT_TRUE(log.contains("name selection shown")) << log.toStdString();
    EXPECT_FALSE(log.contains(QStringLiteral("起動できません"))) << log.toStdString();
}

TEST_F(InstalledProgram, WithoutAPathFileItOpensTheSetUpDialogAndWritesNothing)
{
    const QString log = startAndWaitFor("first-run set-up shown");
    EXPECT_TRUE(log.contains("first-run set-up shown")) << log.toStdString();
    EXPECT_FALSE(log.contains("name selection shown"));
    EXPECT_FALSE(QFileInfo::exists(config()));
    EXPECT_FALSE(QFileInfo::exists(data()));
}

TEST_F(InstalledProgram, ImportsARosterFromTheCommandLine)
{
    makeDataFolder();
    QFile csv(home.path() + "/1組.csv");
    ASSERT_TRUE(csv.open(QIODevice::WriteOnly));
    csv.write("\xEF\xBB\xBF番号,学年,名前\r\n1,小3,青木 さくら\r\n2,小3,石井 はると\r\n3,小3,★山口\r\n");
    csv.close();

    const Run good = run({ "--import-roster", csv.fileName() });
    EXPECT_EQ(good.exitCode, 0) << good.err.toStdString();
    EXPECT_TRUE(good.out.contains(QStringLiteral("3人を書きました"))) << good.out.toStdString();
    QFile roster(data() + "新名簿.txt");
    ASSERT_TRUE(roster.open(QIODevice::ReadOnly));
    EXPECT_TRUE(roster.readAll().contains(datafiles::itemFileBytes(QStringLiteral("\"石井 はると\""))));
    roster.close();
    EXPECT_EQ(QDir(data()).entryList({ "新名簿_*.txt" }, QDir::Files).size(), 1) << "the starter roster is kept";

    // A second class joins the first; the starter teacher stays.
    QFile second(home.path() + "/3年2組.csv");
    ASSERT_TRUE(second.open(QIODevice::WriteOnly));
    second.write("番号,学年,名前,ふりがな\r\n21,3年,上田 ゆい,うえだ ゆい\r\n");
    second.close();
    const Run added = run({ "--import-roster", second.fileName() });
    EXPECT_EQ(added.exitCode, 0) << added.err.toStdString();
    ASSERT_TRUE(roster.open(QIODevice::ReadOnly));
    const QByteArray both = roster.readAll();
    roster.close();
    for (const char *entry : { "\"石井 はると\"", "\"上田 ゆい\",0,\"うえだ ゆい\"", "5000,1980,0,0,\"先生\"" })
        EXPECT_TRUE(both.contains(datafiles::itemFileBytes(QString::fromUtf8(entry)))) << entry;

    ASSERT_TRUE(csv.open(QIODevice::WriteOnly | QIODevice::Truncate));
    csv.write("番号,学年,名前\n1,小3,青木\n1,小9,石井\n");
    csv.close();
    const Run bad = run({ "--import-roster=" + csv.fileName() });
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_TRUE(bad.err.contains(QStringLiteral("3行目: 番号1は2行目と同じです、学年「小9」がわかりません")))
        << bad.err.toStdString();
}

TEST_F(InstalledProgram, HelpNamesTheOptionsAndAWrongOneIsRefused)
{
    const Run help = run({ "--help" });
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains("--import-roster")) << help.out.toStdString();
    EXPECT_TRUE(help.out.contains("--no-scaling"));
    const Run missing = run({ "--import-roster" });
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_TRUE(missing.err.contains(QStringLiteral("CSVファイルの名前"))) << missing.err.toStdString();
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
