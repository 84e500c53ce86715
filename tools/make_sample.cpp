// SPDX-License-Identifier: MIT
// Writes the sample installation: every item file of the UTF-8 sources in
// CP932 with CR LF, the path file naming this machine's data root, an empty
// results file (only when none exists), the menu stand-in, and the default
// sound list with its generated WAV tones.
//
// usage: make_sample <sample-source-dir> <suite-dir> <program-folder-name>
#include "setup/data_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <cstdio>

namespace {

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QString error;
    if (!datafiles::writeFileAtomically(path, bytes, &error)) {
        std::fprintf(stderr, "make_sample: %s\n", qPrintable(error));
        return false;
    }
    return true;
}

bool writeItemFile(const QString &path, const QString &text)
{
    QString error;
    if (!datafiles::writeItemFile(path, text, &error)) {
        std::fprintf(stderr, "make_sample: %s\n", qPrintable(error));
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: make_sample <sample-source-dir> <suite-dir> <program-folder-name>\n");
        return 2;
    }
    const QString source = QDir(args[1]).absolutePath();
    const QString suite = QDir(args[2]).absolutePath();
    const QString programFolder = args[3];
    const QString dataRoot = suite + QStringLiteral("/data/");

    bool ok = true;
    QDirIterator it(
        source + QStringLiteral("/data"), { QStringLiteral("*.txt") }, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "make_sample: cannot read %s\n", qPrintable(path));
            return 1;
        }
        const QString relative = QDir(source + QStringLiteral("/data")).relativeFilePath(path);
        ok = writeItemFile(dataRoot + relative, QString::fromUtf8(file.readAll())) && ok;
    }

    // The path file: item 1 is the data root, items 2..10 reserved.
    ok = writeItemFile(suite + QStringLiteral("/パスデータ.txt"), datafiles::pathFileText(dataRoot)) && ok;

    const QString results = dataRoot + programFolder + QStringLiteral("/成績累積データ.dat");
    if (!QFile::exists(results))
        ok = writeFile(results, QByteArray()) && ok;

    const QString menuSource = source + QStringLiteral("/起動/プログラムメニューc");
    const QString menuTarget = suite + QStringLiteral("/起動/プログラムメニューc");
    QDir().mkpath(suite + QStringLiteral("/起動"));
    QFile::remove(menuTarget);
    ok = QFile::copy(menuSource, menuTarget) && ok;
    QFile(menuTarget)
        .setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup
            | QFile::ReadOther | QFile::ExeOther);

    // The sample plays the same tones a new data folder starts with.
    const QString sounds = dataRoot + QStringLiteral("音フォルダ/");
    ok = writeItemFile(sounds + datafiles::kSoundListFileName, datafiles::defaultSoundListText()) && ok;
    for (const datafiles::Tone &tone : datafiles::defaultTones())
        ok = writeFile(sounds + tone.name + QStringLiteral(".wav"), tone.wav) && ok;

    return ok ? 0 : 1;
}
