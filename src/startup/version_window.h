// SPDX-License-Identifier: MIT
// The version window (frmver): program name and version, opened modally
// from the title of name selection.
#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// "Version" followed by major.minor.revision of the build.
QString versionLine();

class VersionWindow : public QDialog {
    Q_OBJECT
public:
    VersionWindow(const QString &programName, QWidget *parent = nullptr);

    QLabel *nameLabel() const { return name_; }
    QLabel *versionLabel() const { return version_; }
    QPushButton *okButton() const { return ok_; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    QString programName_;
    QLabel *name_;
    QLabel *version_;
    QLabel *line1_;
    QLabel *line2_;
    QPushButton *ok_;
};
