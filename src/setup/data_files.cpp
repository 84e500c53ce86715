// SPDX-License-Identifier: MIT
#include "setup/data_files.h"
#include "platform/atomic_file.h"
#include "platform/cp932.h"
#include "platform/file_calls.h"
#include "platform/number_text.h"
#include "platform/shared_folder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QtEndian>
#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace datafiles {

QByteArray itemFileBytes(const QString &text, bool *unmappable)
{
    QString crlf = text;
    crlf.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    crlf.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return cp932::encode(crlf, unmappable);
}

bool writeFileAtomically(const QString &path, const QByteArray &bytes, QString *error, QString *note)
{
    if (!sharedfolder::makeFolders(QFileInfo(path).absolutePath(), error))
        return false;
    return replaceFileAtomically(path, bytes, error, note);
}

bool writeItemFile(const QString &path, const QString &text, QString *error, QString *note)
{
    bool unmappable = false;
    const QByteArray bytes = itemFileBytes(text, &unmappable);
    if (unmappable) {
        if (error)
            *error = QStringLiteral("%1\nShift-JIS（CP932）で書けない文字があります。").arg(path);
        return false;
    }
    return writeFileAtomically(path, bytes, error, note);
}

QString pathFileText(const QString &dataRoot)
{
    QString text = QStringLiteral("\"%1\"\n").arg(dataRoot);
    for (int i = 2; i <= 10; ++i)
        text += QStringLiteral("0\n");
    return text;
}

QString settingsText(const CommonSettings &s)
{
    // A password of plain digits is written as a number, as schools have
    // always written it; anything else is quoted so that leading zeros,
    // blanks and commas are kept as typed.
    static const QRegularExpression plainNumber(QStringLiteral("^[1-9][0-9]{0,8}$"));
    const QString password
        = plainNumber.match(s.password).hasMatch() ? s.password : QStringLiteral("\"%1\"").arg(s.password);
    return QStringLiteral("%1\n\"%2%3\"\n%4\n0\n0\n%5\n0\n0\n0\n0\n")
        .arg(s.schoolYearStartMonth)
        .arg(s.schoolCode, s.schoolName)
        .arg(s.includeStatus2Pupils)
        .arg(password);
}

QString defaultCriteriaText()
{
    // Levels of 4 to 7 digits: each allows more time, the two longest earn
    // more points per run; five runs of 100 points clear a level, twenty runs
    // or 300 points in a day count as over-practice.
    return QStringLiteral("目標Time,最低Time,ｸﾘｱﾎﾟｲﾝﾄ,ｸﾘｱ回数,ﾎﾟｲﾝﾄ倍率,禁回,禁点,判期間,禁期間,,,\n"
                          "60,120,100,5,1,20,300,7,1,0,0,0\n"
                          "80,150,100,5,1,20,300,7,1,0,0,0\n"
                          "100,180,100,5,1.5,20,300,7,1,0,0,0\n"
                          "120,200,100,5,2,20,300,7,1,0,0,0\n");
}

QString defaultSoundListText()
{
    return QStringLiteral("正解音2\n正解1\n正解2\n*\n"
                          "間違い音2\n間違い1\n*\n"
                          "自己最高音2\n自己最高1\n*\n"
                          "不合格音1\n不合格1\n*\n");
}

namespace {

struct Note {
    double frequency; // 0 = rest
    double seconds;
};

// 16-bit mono PCM WAV of a sequence of notes with soft edges, so no click is
// heard at the start or end of a note.
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
    put16(1); // PCM
    put16(1); // mono
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

std::vector<Tone> defaultTones()
{
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
    std::vector<Tone> out;
    for (const auto &t : tones)
        out.push_back({ QString::fromUtf16(t.name), wav(t.notes) });
    return out;
}

} // namespace datafiles

SchoolCodeSplit splitSchoolCode(const QString &item)
{
    const QString firstFive = item.left(5);
    QString digits = firstFive;
    digits.remove(QLatin1Char(' '));
    if (numtext::leadingNumber(digits) != 0)
        return { firstFive, item.mid(5) };
    return { QString(), item };
}
