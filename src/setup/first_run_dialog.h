// SPDX-License-Identifier: MIT
// The first-run set-up dialog: shown when no path file is found anywhere, it
// creates a new data folder or points the program at an existing one, then
// writes the path file into the user's configuration folder.
#pragma once

#include <QDialog>
#include <QString>
#include <QStringList>
#include <functional>

class QLineEdit;
class QRadioButton;
class QSpinBox;
class QGroupBox;
class QPushButton;
class QLabel;

class FirstRunDialog final : public QDialog {
    Q_OBJECT
public:
    // `programFolderName` names the program's sub-folder of the data root;
    // `defaultSoundFolder` holds the installed default sounds (may be empty);
    // the path file goes into `configFolder`.
    FirstRunDialog(
        QString programFolderName, QString defaultSoundFolder, QString configFolder, QWidget *parent = nullptr);

    QString writtenPathFile() const { return writtenPathFile_; }

    // The controls, for keyboard tests and automation.
    QRadioButton *newFolderOption() const { return newFolder_; }
    QRadioButton *existingFolderOption() const { return existingFolder_; }
    QLineEdit *folderBox() const { return folderBox_; }
    QLineEdit *schoolNameBox() const { return schoolName_; }
    QLineEdit *schoolCodeBox() const { return schoolCode_; }
    QSpinBox *startMonthBox() const { return startMonth_; }
    QLineEdit *passwordBox() const { return password_; }
    QLineEdit *passwordAgainBox() const { return passwordAgain_; }
    QPushButton *createButton() const { return create_; }

    // Asked before files of an earlier data folder are replaced; answers
    // whether to go on. A message box unless a test sets another.
    std::function<bool(const QString &folder, const QStringList &files)> confirmReplace;

    // What went wrong on the last attempt, as shown under the entries.
    QString problemText() const;

    void accept() override;

private:
    void build();
    void chooseFolder();
    void optionChanged();
    bool createNew();
    bool useExisting();
    void showProblem(const QString &text);

    QString programFolderName_;
    QString defaultSoundFolder_;
    QString configFolder_;
    QString writtenPathFile_;

    QRadioButton *newFolder_ = nullptr;
    QRadioButton *existingFolder_ = nullptr;
    QLineEdit *folderBox_ = nullptr;
    QGroupBox *schoolGroup_ = nullptr;
    QLineEdit *schoolName_ = nullptr;
    QLineEdit *schoolCode_ = nullptr;
    QSpinBox *startMonth_ = nullptr;
    QLineEdit *password_ = nullptr;
    QLineEdit *passwordAgain_ = nullptr;
    QPushButton *create_ = nullptr;
    QLabel *problem_ = nullptr;
};

namespace firstrun {

// At start-up, before the splash: when no path file is found in any of the
// searched places, runs the set-up dialog. False when the user left it
// without setting up, and the program should end.
bool runIfNeeded(const QString &executableFolder);

} // namespace firstrun
