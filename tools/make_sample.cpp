// SPDX-License-Identifier: MIT
// Writes the sample installation: every item file of the UTF-8 sources in
// CP932 with CR LF, the path file naming this machine's data root, an empty
// results file (only when none exists), the menu stand-in, and generated
// WAV tones for the sound folder.
//
// usage: make_sample <sample-source-dir> <suite-dir> <program-folder-name>
#include "platform/cp932.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QtEndian>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "make_sample: cannot write %s: %s\n", qPrintable(path), qPrintable(file.errorString()));
        return false;
    }
    return file.write(bytes) == bytes.size();
}

// UTF-8 text with LF line ends -> CP932 with CR LF.
bool writeItemFile(const QString &path, const QString &text)
{
    QString crlf = text;
    crlf.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    crlf.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    bool unmappable = false;
    const QByteArray bytes = cp932::encode(crlf, &unmappable);
    if (unmappable) {
        std::fprintf(stderr, "make_sample: %s has characters CP932 lacks\n", qPrintable(path));
        return false;
    }
    return writeFile(path, bytes);
}

struct Note {
    double frequency; // 0 = rest
    double seconds;
};

// 16-bit mono PCM WAV of a sequence of notes with soft edges.
QByteArray wav(const std::vector<Note> &notes)
{
    constexpr int rate = 22050;
    std::vector<qint16> samples;
    for (const Note &n : notes) {
        const int count = int(n.seconds * rate);
        for (int i = 0; i < count; ++i) {
            const double t = double(i) / rate;
            const double edge = std::min({ 1.0, i / 200.0, (count - i) / 400.0 });
            double v = 0;
            if (n.frequency > 0)
                v = 0.6 * std::sin(2 * M_PI * n.frequency * t) + 0.2 * std::sin(4 * M_PI * n.frequency * t);
            samples.push_back(qint16(std::lround(v * edge * 12000)));
        }
    }
    QByteArray out;
    auto put32 = [&out](quint32 v) {
        char b[4];
        qToLittleEndian(v, b);
        out.append(b, 4);
    };
    auto put16 = [&out](quint16 v) {
        char b[2];
        qToLittleEndian(v, b);
        out.append(b, 2);
    };
    const quint32 dataBytes = quint32(samples.size() * 2);
    out.append("RIFF");
    put32(36 + dataBytes);
    out.append("WAVEfmt ");
    put32(16);
    put16(1);
    put16(1);
    put32(rate);
    put32(rate * 2);
    put16(2);
    put16(16);
    out.append("data");
    put32(dataBytes);
    for (qint16 s : samples)
        put16(quint16(s));
    return out;
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
    QString pathFile = QStringLiteral("\"%1\"\n").arg(dataRoot);
    for (int i = 2; i <= 10; ++i)
        pathFile += QStringLiteral("0\n");
    ok = writeItemFile(suite + QStringLiteral("/パスデータ.txt"), pathFile) && ok;

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

    const QString sounds = dataRoot + QStringLiteral("音フォルダ/");
    const struct {
        const char16_t *name;
        std::vector<Note> notes;
    } tones[] = {
        { u"正解1", { { 784, 0.12 }, { 1047, 0.25 } } },
        { u"正解2", { { 880, 0.12 }, { 1319, 0.25 } } },
        { u"間違い1", { { 220, 0.18 }, { 0, 0.04 }, { 208, 0.28 } } },
        { u"自己最高1", { { 523, 0.12 }, { 659, 0.12 }, { 784, 0.12 }, { 1047, 0.35 } } },
        { u"不合格1", { { 659, 0.15 }, { 523, 0.15 }, { 440, 0.3 } } },
        { u"最高1", { { 784, 0.1 }, { 784, 0.1 }, { 784, 0.1 }, { 1047, 0.5 } } },
        { u"合格", { { 523, 0.15 }, { 659, 0.15 }, { 784, 0.15 }, { 1047, 0.15 }, { 1319, 0.5 } } },
    };
    for (const auto &tone : tones)
        ok = writeFile(sounds + QString::fromUtf16(tone.name) + QStringLiteral(".wav"), wav(tone.notes)) && ok;

    return ok ? 0 : 1;
}
