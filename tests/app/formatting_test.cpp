// SPDX-License-Identifier: MIT
// The sources keep the checked-in .clang-format, so a change shows only
// what it changes. Checked with the clang-format the project formats with
// (Debian 12's, major version 14); other versions lay out some constructs
// differently, so the check is skipped where only those are installed.
#include <QDir>
#include <QDirIterator>
#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

QString projectRoot()
{
    return QDir::cleanPath(QStringLiteral(TEST_SAMPLE_SOURCE_DIR "/.."));
}

TEST(Formatting, EverySourceFileIsCleanUnderTheCheckedInStyle)
{
    QProcess version;
    version.start(QStringLiteral("clang-format"), { QStringLiteral("--version") });
    if (!version.waitForFinished(10000) || version.exitCode() != 0)
        GTEST_SKIP() << "clang-format is not installed";
    const QString text = QString::fromUtf8(version.readAllStandardOutput());
    const QRegularExpressionMatch major = QRegularExpression(QStringLiteral("version (\\d+)")).match(text);
    if (!major.hasMatch() || major.captured(1) != QStringLiteral("14"))
        GTEST_SKIP() << "another clang-format: " << text.toStdString();

    QStringList files;
    for (const char *folder : { "src", "tests", "bench", "tools" }) {
        QDirIterator it(projectRoot() + QLatin1Char('/') + QLatin1String(folder),
            { QStringLiteral("*.cpp"), QStringLiteral("*.h") }, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext())
            files << it.next();
    }
    ASSERT_GT(files.size(), 50);
    QProcess check;
    check.setWorkingDirectory(projectRoot());
    check.start(QStringLiteral("clang-format"), QStringList { QStringLiteral("--dry-run") } + files);
    ASSERT_TRUE(check.waitForFinished(120000));
    const QString complaints = QString::fromUtf8(check.readAllStandardError());
    EXPECT_TRUE(complaints.isEmpty()) << complaints.left(4000).toStdString();
}

} // namespace
