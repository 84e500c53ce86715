// SPDX-License-Identifier: MIT
#include "setup/roster_import_dialog.h"
#include "roster/roster_file.h"
#include "setup/roster_import.h"
#include "state/shared_state.h"

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

    // Adding and updating is what a class list usually needs and keeps
    // everybody else; replacing is offered beside it, never in its place.
    const QString rosterPath = RosterFilePath(state);
    const rosterimport::Plan merge = rosterimport::plan(parsed, rosterPath, rosterimport::Mode::AddOrUpdate);
    const rosterimport::Plan replace = rosterimport::plan(parsed, rosterPath, rosterimport::Mode::Replace);
    if (!merge.problems.isEmpty()) {
        const QString problems = rosterimport::describeProblems(path, merge);
        QMessageBox box(
            QMessageBox::Warning, title, problems.section(QLatin1Char('\n'), 0, 1), QMessageBox::Ok, parent);
        box.setDetailedText(problems.section(QLatin1Char('\n'), 2));
        box.exec();
        return false;
    }
    QString text = QStringLiteral("%1 から %2人を読み込みます。\n\n").arg(path).arg(parsed.rows.size());
    if (merge.ok())
        text += QStringLiteral("「追加・更新」: 新しい番号の %1人を加え、%2人を書き直します。"
                               "名簿のほかの %3人はそのまま残ります。\n")
                    .arg(merge.added)
                    .arg(merge.updated)
                    .arg(merge.kept);
    else
        text += merge.problem + QLatin1Char('\n');
    text += QStringLiteral("「置き換え」: 名簿をこのファイルの %1人だけにします。").arg(parsed.rows.size());
    if (replace.removed > 0)
        text += QStringLiteral("ほかの %1人を外します。").arg(replace.removed);
    if (replace.teachersKept > 0)
        text += QStringLiteral("先生 %1人は残します。").arg(replace.teachersKept);
    text += QLatin1Char('\n');
    text += QStringLiteral("\n今の名簿は日付つきの名前で残します。");

    QMessageBox confirm(QMessageBox::Question, title, text, QMessageBox::NoButton, parent);
    QPushButton *mergeButton = nullptr;
    if (merge.ok())
        mergeButton = confirm.addButton(QStringLiteral("追加・更新する"), QMessageBox::AcceptRole);
    QPushButton *replaceButton = confirm.addButton(QStringLiteral("置き換える"), QMessageBox::DestructiveRole);
    QPushButton *cancelButton = confirm.addButton(QStringLiteral("やめる"), QMessageBox::RejectRole);
    confirm.setDefaultButton(mergeButton ? mergeButton : cancelButton);
    confirm.setEscapeButton(cancelButton);
    confirm.exec();
    rosterimport::Mode mode;
    if (mergeButton && confirm.clickedButton() == mergeButton)
        mode = rosterimport::Mode::AddOrUpdate;
    else if (confirm.clickedButton() == replaceButton)
        mode = rosterimport::Mode::Replace;
    else
        return false;

    const rosterimport::Outcome outcome
        = rosterimport::importFile(path, state.DataRootFolder, state.SchoolYearStartMonth, now, mode);
    if (!outcome.ok) {
        QMessageBox::warning(parent, title, outcome.message);
        return false;
    }
    QMessageBox::information(
        parent, title, outcome.warning.isEmpty() ? outcome.message : outcome.message + "\n\n" + outcome.warning);
    return true;
}
