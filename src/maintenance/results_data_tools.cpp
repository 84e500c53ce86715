// SPDX-License-Identifier: MIT
#include "maintenance/results_data_tools.h"
#include "maintenance/check_report_window.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "state/shared_state.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace {

const QString kExportTitle = QStringLiteral("CSV出力");

// The wait cursor for the length of a scope, also when it is left early.
struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

} // namespace

std::optional<CsvExportResult> exportCsvInteractive(QWidget *parent, SharedState &state, Platform &platform)
{
    QFileDialog dialog(parent, QStringLiteral("CSVの出力先フォルダを選んでください"), QDir::homePath());
    dialog.setObjectName(QStringLiteral("CsvFolderDialog"));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QString folder = dialog.selectedFiles().constFirst();

    QStringList existing;
    for (const char *name : { kCsvRunsFile, kCsvPupilsFile }) {
        if (QFileInfo::exists(QDir(folder).filePath(QLatin1String(name))))
            existing << QLatin1String(name);
    }
    if (!existing.isEmpty()) {
        QMessageBox ask(QMessageBox::Question, kExportTitle,
            QStringLiteral("%1 には %2 がもうあります。新しい内容で置き換えますか。")
                .arg(QDir::toNativeSeparators(folder), existing.join(QStringLiteral("、"))),
            QMessageBox::Yes | QMessageBox::No, parent);
        ask.setObjectName(QStringLiteral("CsvOverwriteQuestion"));
        ask.setDefaultButton(QMessageBox::No);
        if (ask.exec() != QMessageBox::Yes)
            return std::nullopt;
    }

    CsvExportResult result;
    {
        WaitCursor wait;
        result = exportCsv(state, platform.clock.now(), folder);
    }
    QMessageBox done(result.ok ? QMessageBox::Information : QMessageBox::Warning, kExportTitle,
        csvExportSummary(result).join(QLatin1Char('\n')), QMessageBox::Ok, parent);
    done.setObjectName(QStringLiteral("CsvExportMessage"));
    done.exec();
    return result;
}

CheckReport checkResultsInteractive(QWidget *parent, SharedState &state, Platform &platform, qint64 *chosenRecord)
{
    CheckReport report;
    {
        WaitCursor wait;
        report = checkResultsFile(state, platform.clock.now());
    }
    CheckReportWindow window(report, parent);
    window.exec();
    if (chosenRecord)
        *chosenRecord = window.chosenRecord();
    return report;
}
