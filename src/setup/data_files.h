// SPDX-License-Identifier: MIT
// Writers of the data root's item files and the default content a new data
// folder starts with. The build's sample, the first-run set-up and the tests
// all write through here, so what is written is what the loaders read.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <vector>

namespace datafiles {

inline const QString kPathFileName = QStringLiteral("パスデータ.txt");
inline const QString kSettingsFileName = QStringLiteral("共通データ.txt");
inline const QString kRosterFileName = QStringLiteral("新名簿.txt");
inline const QString kCriteriaFileName = QStringLiteral("タイム回数データ.txt");
inline const QString kResultsFileName = QStringLiteral("成績累積データ.dat");
inline const QString kSoundFolderName = QStringLiteral("音フォルダ");
inline const QString kSoundListFileName = QStringLiteral("新音ファイル.txt");

// UTF-8 text with LF (or CR LF) line ends as the CP932 bytes with CR LF the
// item files are kept in. False (and `unmappable` set) when a character has
// no CP932 code.
QByteArray itemFileBytes(const QString &text, bool *unmappable = nullptr);

// Writes bytes beside the target and renames them over it
// (replaceFileAtomically), so a reader on another PC sees either the old file
// or the whole new one, never a part. Creates missing folders by the shared
// folder rule. False with a message naming the file and the reason (no
// permission, disk full, ...); `note` receives what could not be kept of a
// replaced file's owner, group and permissions.
bool writeFileAtomically(const QString &path, const QByteArray &bytes, QString *error, QString *note = nullptr);

// writeFileAtomically() of itemFileBytes(); a character CP932 lacks is an
// error and nothing is written.
bool writeItemFile(const QString &path, const QString &text, QString *error, QString *note = nullptr);

// The path file: item 1 the data root (quoted, so blanks and commas in a
// folder name survive), items 2..10 reserved.
QString pathFileText(const QString &dataRoot);

// The common settings: start month, school code with name, status-2 switch,
// two reserved items, the password, four reserved items.
struct CommonSettings {
    int schoolYearStartMonth = 4;
    QString schoolCode; // five half-width digits, or empty
    QString schoolName;
    int includeStatus2Pupils = 0;
    QString password;
};
QString settingsText(const CommonSettings &settings);

} // namespace datafiles

// The school item as start-up reads it back: a name whose first five
// characters have a numeric value other than 0 carries them as its code.
struct SchoolCodeSplit {
    QString code;
    QString name;
};
SchoolCodeSplit splitSchoolCode(const QString &item);

namespace datafiles {

// The criteria table a new data folder starts with: the header line and
// four levels.
QString defaultCriteriaText();

// The sound list naming the default tones, one block per played category.
QString defaultSoundListText();

// The default tones: the file name without ".wav" and the WAV bytes. Covers
// every name the default sound list uses, and the two fixed files of the
// result screen.
struct Tone {
    QString name;
    QByteArray wav;
};
std::vector<Tone> defaultTones();

} // namespace datafiles
