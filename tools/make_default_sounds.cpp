// SPDX-License-Identifier: MIT
// Writes the default sounds that an installation ships: the sound list in
// CP932 with CR LF and the generated WAV tones it names, under the ASCII
// names they are installed with (a new data folder gets them under their
// own names).
//
// usage: make_default_sounds <folder>
#include "setup/data_files.h"
#include "setup/installed_sounds.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        std::fprintf(stderr, "usage: make_default_sounds <folder>\n");
        return 2;
    }
    const QString folder = QDir(args[1]).absolutePath() + QLatin1Char('/');
    // The folder is installed as a whole: files an earlier build wrote under
    // other names must not go with it.
    QDir(folder).removeRecursively();
    QString error;
    using installedsounds::installedName;
    bool ok = datafiles::writeItemFile(
        folder + installedName(datafiles::kSoundListFileName), datafiles::defaultSoundListText(), &error);
    for (const datafiles::Tone &tone : datafiles::defaultTones()) {
        if (ok)
            ok = datafiles::writeFileAtomically(
                folder + installedName(tone.name + QStringLiteral(".wav")), tone.wav, &error);
    }
    if (!ok)
        std::fprintf(stderr, "make_default_sounds: %s\n", qPrintable(error));
    return ok ? 0 : 1;
}
