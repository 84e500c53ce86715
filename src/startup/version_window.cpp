// SPDX-License-Identifier: MIT
#include "startup/version_window.h"
#include "platform/events.h"
#include "platform/layout.h"

#include <QLabel>
#include <QPushButton>

QString versionLine()
{
    return QStringLiteral("Version%1.%2.%3").arg(APP_VERSION_MAJOR).arg(APP_VERSION_MINOR).arg(APP_VERSION_PATCH);
}

VersionWindow::VersionWindow(const QString &programName, QWidget *parent)
    : QDialog(parent)
    , programName_(programName)
{
    setObjectName(QStringLiteral("frmver"));
    setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    setFixedSize(twips(6600), twips(4200));
    setModal(true);

    name_ = new QLabel(this);
    name_->setObjectName(QStringLiteral("lblProductName"));
    placeTwips(name_, 300, 240, 6000, 510);
    name_->setFont(layoutFont(kGothicProportional, 18));

    version_ = new QLabel(this);
    version_->setObjectName(QStringLiteral("lblVersion"));
    placeTwips(version_, 300, 840, 6000, 360);
    version_->setFont(layoutFont(kGothicProportional, 10.5));

    line1_ = new QLabel(this);
    line1_->setObjectName(QStringLiteral("Label1"));
    placeTwips(line1_, 300, 1440, 6000, 600);
    line1_->setFont(layoutFont(kGothicProportional, 24, true));

    line2_ = new QLabel(this);
    line2_->setObjectName(QStringLiteral("Label2"));
    placeTwips(line2_, 300, 2160, 6000, 450);
    line2_->setFont(layoutFont(kGothicProportional, 15.75));

    ok_ = new QPushButton(QStringLiteral("O.K."), this);
    ok_->setObjectName(QStringLiteral("cmdOK"));
    placeTwips(ok_, 4800, 3240, 1500, 600);
    ok_->setAutoDefault(true);
    ok_->setDefault(true);
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
}

void VersionWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    letEventsRun();
    letEventsRun();
    name_->setText(programName_);
    version_->setText(versionLine());
    line1_->setText(QStringLiteral("記憶と計算のトレーニング"));
    line2_->setText(QStringLiteral("数字を覚えて、計算して、思い出そう"));
    ok_->setFocus();
}
