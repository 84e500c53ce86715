// SPDX-License-Identifier: MIT
#include "platform/program_log.h"
#include "support/fakes.h"
#include "support/scoped_env.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QString readText(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QStringLiteral("<missing>");
}

struct Log : ::testing::Test {
    QTemporaryDir dir;
    FakeClock clock { QDateTime(QDate(2026, 12, 9), QTime(8, 5, 30)) };
    QString path() const { return dir.path() + QStringLiteral("/state/rukamina/rukamina.log"); }
    QString pid() const { return QString::number(QCoreApplication::applicationPid()); }
};

TEST_F(Log, EntriesAreTimestampedUtf8LinesWithTheirContinuationsIndented)
{
    ProgramLog log(path(), clock);
    ASSERT_TRUE(log.write(QStringLiteral("終了（起動できません）"),
        QStringLiteral("/data/共通データ.txt\r\nこのファイルがありません。\n")));
    clock.advanceSeconds(61);
    ASSERT_TRUE(log.write(QStringLiteral("音声"), QStringLiteral("音なし")));
    EXPECT_EQ(readText(path()),
        QStringLiteral("2026-12-09 08:05:30 [%1] 終了（起動できません）: /data/共通データ.txt\n"
                       "  このファイルがありません。\n"
                       "2026-12-09 08:06:31 [%1] 音声: 音なし\n")
            .arg(pid()));
}

TEST_F(Log, AFullLogMovesToDotOneAndANewOneStarts)
{
    // Entries of about 80 bytes: three fit, a fourth does not.
    ProgramLog log(path(), clock, 250);
    const QString text(40, QLatin1Char('x'));
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(log.write(QStringLiteral("first"), text));
    ASSERT_TRUE(log.write(QStringLiteral("second"), text));
    EXPECT_EQ(readText(path() + ".1").count(QStringLiteral("first")), 3);
    EXPECT_EQ(readText(path()).count(QStringLiteral("second")), 1);
    EXPECT_FALSE(readText(path()).contains(QStringLiteral("first")));
    for (int i = 0; i < 3; ++i)
        ASSERT_TRUE(log.write(QStringLiteral("third"), text));
    EXPECT_FALSE(readText(path() + ".1").contains(QStringLiteral("first"))) << "only one older file is kept";
    EXPECT_LE(QFileInfo(path()).size(), 250);
}

TEST_F(Log, AnUnwritableLogIsSkipped)
{
    QFile blocker(dir.path() + QStringLiteral("/state"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    ProgramLog log(path(), clock);
    EXPECT_FALSE(log.write(QStringLiteral("x"), QStringLiteral("y")));
}

TEST(LogPlace, FollowsXdgStateHomeAndIgnoresARelativeOne)
{
    {
        ScopedEnv state("XDG_STATE_HOME", "/srv/state/");
        EXPECT_EQ(ProgramLog::defaultPath(), QStringLiteral("/srv/state/rukamina/rukamina.log"));
    }
    for (const QByteArray &value : { QByteArray(), QByteArray("relative/state") }) {
        ScopedEnv state("XDG_STATE_HOME", value);
        EXPECT_EQ(ProgramLog::defaultPath(), QDir::homePath() + QStringLiteral("/.local/state/rukamina/rukamina.log"));
    }
}

TEST_F(Log, AFatalErrorIsWrittenBeforeItIsShown)
{
    ProgramLog log(path(), clock);
    RecordingFatal shown;
    QString logWhenShown;
    shown.whileShown = [&] { logWhenShown = readText(path()); };
    LoggedFatalErrors fatal(shown, log);
    fatal.fatal(QStringLiteral("音声エラー"), QStringLiteral("音声がでません。先生を呼びなさい。\r\n装置がありません"));
    ASSERT_EQ(shown.messages.size(), 1);
    EXPECT_EQ(shown.titles[0], QStringLiteral("音声エラー"));
    EXPECT_TRUE(logWhenShown.contains(
        QStringLiteral("終了（音声エラー）: 音声がでません。先生を呼びなさい。\n  装置がありません\n")))
        << logWhenShown.toStdString();
}

TEST_F(Log, AWaitIsWrittenWhenItStartsChangesAndEndsNotEverySecond)
{
    ProgramLog log(path(), clock);
    RecordingNotice screen;
    LoggedWaitNotice notice(&screen, log);
    const QString denied = QStringLiteral("/data/成績累積データ.dat\n書き込みが許可されていません。先生を呼びなさい。");
    for (int second = 0; second < 5; ++second)
        notice.show(denied);
    notice.clear();
    notice.clear();
    EXPECT_FALSE(screen.showing);
    notice.show(denied);
    EXPECT_EQ(screen.shown.size(), 6) << "the screen still sees every repeat";
    const QString text = readText(path());
    EXPECT_EQ(text.count(QStringLiteral("待っています: /data/成績累積データ.dat")), 2) << text.toStdString();
    EXPECT_EQ(text.count(QStringLiteral("待ち終わり: /data/成績累積データ.dat\n")), 1) << text.toStdString();
}

} // namespace
