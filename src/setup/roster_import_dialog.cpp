// SPDX-License-Identifier: MIT
#include "setup/roster_import_dialog.h"
#include "setup/roster_import.h"
#include "startup/shared_state.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>

bool importRosterInteractive(QWidget *parent, const SharedState &state, const QString &csvPath)
{
    const QString title = QStringLiteral("名簿の読み込み");
    QString path = csvPath;
    if (path.isEmpty()) {
        path = QFileDialog::getOpenFileName(parent, QStringLiteral("名簿のCSVファイルを選ぶ"), QDir::homePath(),
            QStringLiteral("CSVファイル (*.csv *.CSV);;すべてのファイル (*)"));
        if (path.isEmpty())
            return false;
    }

    // Check first, so the teacher sees every bad row before anything changes.
    QFile csv(path);
    if (!csv.open(QIODevice::ReadOnly)) {
        QMessageBox::warning(parent, title, QStringLiteral("%1\n読めません（%2）。").arg(path, csv.errorString()));
        return false;
    }
    const QDateTime now = QDateTime::currentDateTime();
    const rosterimport::Parsed parsed = rosterimport::parse(csv.readAll(), now.date(), state.SchoolYearStartMonth);
    csv.close();
    if (!parsed.ok()) {
        const QString problems = rosterimport::describeProblems(path, parsed);
        QMessageBox box(
            QMessageBox::Warning, title, problems.section(QLatin1Char('\n'), 0, 1), QMessageBox::Ok, parent);
        if (!parsed.problems.isEmpty()) {
            box.setInformativeText(QStringLiteral("「詳細の表示」で問題のある行をすべて見られます。"));
            box.setDetailedText(problems.section(QLatin1Char('\n'), 2));
        }
        box.exec();
        return false;
    }

    QMessageBox confirm(QMessageBox::Question, title,
        QStringLiteral("%1 から %2人を読み込み、名簿（新名簿.txt）を置き換えます。\n"
                       "今の名簿は日付つきの名前で残します。")
            .arg(path)
            .arg(parsed.rows.size()),
        QMessageBox::Yes | QMessageBox::No, parent);
    confirm.button(QMessageBox::Yes)->setText(QStringLiteral("読み込む"));
    confirm.button(QMessageBox::No)->setText(QStringLiteral("やめる"));
    confirm.setDefaultButton(QMessageBox::No);
    if (confirm.exec() != QMessageBox::Yes)
        return false;

    const rosterimport::Outcome outcome
        = rosterimport::importFile(path, state.DataRootFolder, state.SchoolYearStartMonth, now);
    if (!outcome.ok) {
        QMessageBox::warning(parent, title, outcome.message);
        return false;
    }
    QMessageBox::information(
        parent, title, outcome.warning.isEmpty() ? outcome.message : outcome.message + "\n\n" + outcome.warning);
    return true;
}
