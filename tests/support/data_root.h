// SPDX-License-Identifier: MIT
// A temporary installation for a test: suite folder with the path file, a
// program folder and a data root, every item file written in CP932 with
// CR LF from UTF-8 text.
#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

class TestInstall {
public:
    explicit TestInstall(const QString &programFolder = QStringLiteral("prog"));

    QString suiteFolder() const; // ends in "/"
    QString programFolder() const; // the executable's folder, no trailing "/"
    QString dataRoot() const; // ends in "/"
    QString programDataFolder() const; // data root + program folder name + "/"
    QString soundFolder() const;

    // Writes UTF-8 text (LF line ends) as CP932 with CR LF.
    void writeItemFile(const QString &path, const QString &text) const;
    void writeBytes(const QString &path, const QByteArray &bytes) const;

    void writePathFile(const QString &dataRootItem) const;
    void writeSettings(const QString &text) const;
    void writeCriteria(const QString &text) const;
    void writeSoundList(const QString &text) const;
    void writeRoster(const QString &text) const;

    // A complete installation with working defaults: four levels of
    // criteria, a sound list and an empty results file.
    void writeDefaults() const;

    static QString defaultCriteria();

private:
    QTemporaryDir dir_;
    QString programName_;
};
