// SPDX-License-Identifier: MIT
#include "setup/first_run.h"
#include "platform/cp932.h"
#include "platform/folder_path.h"
#include "platform/item_reader.h"
#include "platform/shared_folder.h"
#include "setup/data_files.h"
#include "setup/installed_sounds.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace firstrun {
namespace {

bool encodable(const QString &text)
{
    bool unmappable = false;
    cp932::encode(text, &unmappable);
    return !unmappable;
}

// A text goes into an item file between double quotes, and an item never
// spans lines, so neither may appear in it.
QString itemTextProblem(const QString &text, const QString &what)
{
    if (text.contains(QLatin1Char('"')))
        return QStringLiteral("%1に「\"」は使えません。").arg(what);
    if (text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')))
        return QStringLiteral("%1に改行は使えません。").arg(what);
    if (!encodable(text))
        return QStringLiteral("%1にShift-JISで書けない文字があります。").arg(what);
    return QString();
}

QString soundFolderOf(const QString &root)
{
    return root + datafiles::kSoundFolderName + folderpath::kSeparator;
}

// One file written by createDataFolder: where it is and, when it replaced
// an older one, the copy that older one was kept as.
struct Written {
    QString path;
    QString keptCopy;
};

void takeBack(const std::vector<Written> &written)
{
    for (auto it = written.rbegin(); it != written.rend(); ++it) {
        QFile::remove(it->path);
        if (!it->keptCopy.isEmpty())
            QFile::rename(it->keptCopy, it->path);
    }
}

} // namespace

QStringList check(const NewDataFolder &entry)
{
    QStringList problems;
    const datafiles::CommonSettings &s = entry.settings;
    if (entry.folder.trimmed().isEmpty())
        problems << QStringLiteral("データフォルダの場所を入れてください。");
    else if (!QDir::isAbsolutePath(entry.folder))
        problems << QStringLiteral("データフォルダの場所は / で始まる絶対パスで入れてください。");
    else if (entry.folder.contains(QLatin1Char('"')) || !encodable(entry.folder))
        problems << QStringLiteral("データフォルダの場所に使えない文字があります（「\"」かShift-JISで書けない文字）。");

    if (s.schoolName.trimmed().isEmpty())
        problems << QStringLiteral("学校名を入れてください。");
    else if (const QString p = itemTextProblem(s.schoolName, QStringLiteral("学校名")); !p.isEmpty())
        problems << p;
    else if (s.schoolCode.isEmpty() && !splitSchoolCode(s.schoolName).code.isEmpty())
        // The program would read the name's first five characters as a code.
        problems << QStringLiteral("学校名が数字で始まると、先頭の5文字が学校コードと読まれます。"
                                   "学校コードを入れるか、学校名を数字以外で始めてください。");

    static const QRegularExpression fiveDigits(QStringLiteral("^[0-9]{5}$"));
    if (!s.schoolCode.isEmpty() && (!fiveDigits.match(s.schoolCode).hasMatch() || s.schoolCode == "00000"))
        problems << QStringLiteral("学校コードは半角数字5桁（00000以外）で入れるか、空にしてください。");

    if (s.schoolYearStartMonth < 1 || s.schoolYearStartMonth > 12)
        problems << QStringLiteral("年度の始まりの月は1から12で選んでください。");

    if (s.password.isEmpty())
        problems << QStringLiteral("データ変更のパスワードを入れてください。");
    else if (const QString p = itemTextProblem(s.password, QStringLiteral("パスワード")); !p.isEmpty())
        problems << p;
    return problems;
}

QStringList newFolderFiles(const QString &programFolderName)
{
    QStringList files { datafiles::kSettingsFileName, datafiles::kRosterFileName,
        programFolderName + QLatin1Char('/') + datafiles::kCriteriaFileName,
        programFolderName + QLatin1Char('/') + datafiles::kResultsFileName,
        datafiles::kSoundFolderName + QLatin1Char('/') + datafiles::kSoundListFileName };
    for (const datafiles::Tone &tone : datafiles::defaultTones())
        files << datafiles::kSoundFolderName + QLatin1Char('/') + tone.name + QStringLiteral(".wav");
    return files;
}

QStringList existingFiles(const QString &folder, const QString &programFolderName)
{
    const QString root = folderpath::normalise(folder);
    QStringList out;
    for (const QString &file : newFolderFiles(programFolderName)) {
        if (QFileInfo::exists(root + file))
            out << file;
    }
    return out;
}

QString starterRosterText()
{
    return QStringLiteral("5000,1980,0,0,\"先生\",0,\"\",\"\"\n");
}

bool createDataFolder(const NewDataFolder &entry, const QString &programFolderName, const QString &defaultSoundFolder,
    bool replaceExisting, const QDateTime &now, QString *error, QStringList *notes)
{
    const QString root = folderpath::normalise(entry.folder);
    const QString programData = root + programFolderName + folderpath::kSeparator;
    const QString sounds = soundFolderOf(root);

    // What goes where: item files as text, the rest as bytes.
    struct Planned {
        QString path;
        QByteArray bytes;
        bool keepIfPresent = false;
    };
    std::vector<Planned> plan;
    auto itemFile = [&plan](const QString &path, const QString &text) {
        plan.push_back({ path, datafiles::itemFileBytes(text), false });
    };
    itemFile(root + datafiles::kSettingsFileName, datafiles::settingsText(entry.settings));
    itemFile(root + datafiles::kRosterFileName, starterRosterText());
    itemFile(programData + datafiles::kCriteriaFileName, datafiles::defaultCriteriaText());
    plan.push_back({ programData + datafiles::kResultsFileName, QByteArray(), true });

    // The installed sounds carry ASCII names (installed_sounds.h); an older
    // package installed them under the names the data folder uses.
    const QString installedSounds = folderpath::normalise(defaultSoundFolder);
    const QString installedList = installedsounds::installedName(datafiles::kSoundListFileName);
    const bool installed = !defaultSoundFolder.isEmpty()
        && (QFileInfo(installedSounds + installedList).isFile()
            || QFileInfo(installedSounds + datafiles::kSoundListFileName).isFile());
    if (installed) {
        const QStringList names = QDir(installedSounds)
                                      .entryList({ installedList, datafiles::kSoundListFileName,
                                                     QStringLiteral("*.wav"), QStringLiteral("*.WAV") },
                                          QDir::Files);
        for (const QString &name : names) {
            QFile file(installedSounds + name);
            if (!file.open(QIODevice::ReadOnly)) {
                if (error)
                    *error = QStringLiteral("%1\n読めません（%2）。").arg(file.fileName(), file.errorString());
                return false;
            }
            plan.push_back({ sounds + installedsounds::dataName(name), file.readAll(), false });
        }
    } else {
        itemFile(sounds + datafiles::kSoundListFileName, datafiles::defaultSoundListText());
        for (const datafiles::Tone &tone : datafiles::defaultTones())
            plan.push_back({ sounds + tone.name + QStringLiteral(".wav"), tone.wav, false });
    }

    if (!replaceExisting) {
        for (const Planned &p : plan) {
            if (!p.keepIfPresent && QFileInfo::exists(p.path)) {
                if (error)
                    *error = QStringLiteral("%1\nすでにあります。上書きしてよいか確かめてから作り直してください。")
                                 .arg(p.path);
                return false;
            }
        }
    }

    std::vector<Written> written;
    QStringList kept;
    for (const Planned &p : plan) {
        QString note;
        if (QFileInfo::exists(p.path)) {
            if (p.keepIfPresent)
                continue;
            QString copy;
            if (!sharedfolder::keepDatedCopy(p.path, now, &copy, error)) {
                takeBack(written);
                return false;
            }
            if (!datafiles::writeFileAtomically(p.path, p.bytes, error, &note)) {
                QFile::remove(copy);
                takeBack(written);
                return false;
            }
            written.push_back({ p.path, copy });
        } else {
            if (!datafiles::writeFileAtomically(p.path, p.bytes, error, &note)) {
                takeBack(written);
                return false;
            }
            written.push_back({ p.path, QString() });
        }
        if (!note.isEmpty())
            kept << note;
    }
    if (notes)
        *notes = kept;
    return true;
}

QString checkExistingDataFolder(const QString &folder, const QString &programFolderName)
{
    const QString root = folderpath::normalise(folder);
    if (folder.isEmpty() || !QFileInfo(root).isDir())
        return QStringLiteral("%1\nフォルダがありません。").arg(folder);
    if (folder.contains(QLatin1Char('"')) || !encodable(folder))
        return QStringLiteral("%1\nフォルダの名前に使えない文字があります（「\"」かShift-JISで書けない文字）。")
            .arg(folder);
    const QStringList needed { datafiles::kSettingsFileName, datafiles::kRosterFileName,
        programFolderName + QLatin1Char('/') + datafiles::kCriteriaFileName,
        datafiles::kSoundFolderName + QLatin1Char('/') + datafiles::kSoundListFileName };
    QStringList missing;
    for (const QString &file : needed) {
        if (!QFileInfo(root + file).isFile())
            missing << file;
    }
    if (!missing.isEmpty())
        return QStringLiteral("%1\nこのプログラムのデータフォルダではありません。次のファイルがありません。\n%2")
            .arg(root, missing.join(QLatin1Char('\n')));
    QString readError;
    auto settings = ItemReader::open(root + datafiles::kSettingsFileName, &readError);
    if (!settings)
        return QStringLiteral("%1\n読めません（%2）。").arg(root + datafiles::kSettingsFileName, readError);
    if (settings->total() < 10)
        return QStringLiteral("%1\n項目が足りません（10項目のうち%2項目しかありません）。")
            .arg(root + datafiles::kSettingsFileName)
            .arg(settings->total());
    return QString();
}

bool writePathFile(const QString &configFolder, const QString &dataRoot, QString *error)
{
    return datafiles::writeItemFile(folderpath::normalise(configFolder) + datafiles::kPathFileName,
        datafiles::pathFileText(folderpath::normalise(dataRoot)), error);
}

QString installedSoundFolder(const QString &installFolder)
{
    return folderpath::normalise(
        QDir::cleanPath(folderpath::normalise(installFolder) + QStringLiteral(RUKAMINA_SOUNDS_FROM_PROGRAM)));
}

} // namespace firstrun
