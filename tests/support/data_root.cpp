// SPDX-License-Identifier: MIT
#include "support/data_root.h"
#include "setup/data_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

TestInstall::TestInstall(const QString &programFolder)
    : programName_(programFolder)
{
    QDir().mkpath(this->programFolder());
    QDir().mkpath(programDataFolder());
    QDir().mkpath(soundFolder());
}

QString TestInstall::suiteFolder() const
{
    return dir_.path() + QStringLiteral("/suite/");
}

QString TestInstall::programFolder() const
{
    return suiteFolder() + programName_;
}

QString TestInstall::dataRoot() const
{
    return dir_.path() + QStringLiteral("/data/");
}

QString TestInstall::programDataFolder() const
{
    return dataRoot() + programName_ + QStringLiteral("/");
}

QString TestInstall::soundFolder() const
{
    return dataRoot() + QStringLiteral("音フォルダ/");
}

void TestInstall::writeBytes(const QString &path, const QByteArray &bytes) const
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    file.write(bytes);
}

void TestInstall::writeItemFile(const QString &path, const QString &text) const
{
    writeBytes(path, datafiles::itemFileBytes(text));
}

void TestInstall::writePathFile(const QString &dataRootItem) const
{
    writeItemFile(suiteFolder() + datafiles::kPathFileName, datafiles::pathFileText(dataRootItem));
}

void TestInstall::writeSettings(const QString &text) const
{
    writeItemFile(dataRoot() + QStringLiteral("共通データ.txt"), text);
}

void TestInstall::writeCriteria(const QString &text) const
{
    writeItemFile(programDataFolder() + QStringLiteral("タイム回数データ.txt"), text);
}

void TestInstall::writeSoundList(const QString &text) const
{
    writeItemFile(soundFolder() + QStringLiteral("新音ファイル.txt"), text);
}

void TestInstall::writeRoster(const QString &text) const
{
    writeItemFile(dataRoot() + QStringLiteral("新名簿.txt"), text);
}

QString TestInstall::defaultCriteria()
{
    return datafiles::defaultCriteriaText();
}

void TestInstall::writeDefaults() const
{
    writePathFile(dataRoot());
    writeSettings(QStringLiteral("4\n\"12345テスト学習塾\"\n0\n0\n0\n1234\n0\n0\n0\n0\n"));
    writeCriteria(defaultCriteria());
    writeSoundList(QStringLiteral("正解音2\nA\nB\n*\n間違い音2\nW\n*\n自己最高音2\nO\n*\n不合格音1\nN\n*\n"));
    writeRoster(QString());
    writeBytes(programDataFolder() + QStringLiteral("成績累積データ.dat"), QByteArray());
}
