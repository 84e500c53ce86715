// SPDX-License-Identifier: MIT
#include "maintenance/check_report_window.h"
#include "maintenance/results_check.h"
#include "platform/layout.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

// A label showing a value keeps the value as its accessible name, so a
// screen reader reads what it shows; the description says what it is.
QLabel *valueLabel(const QString &text, const QString &description, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setAccessibleName(text);
    label->setAccessibleDescription(description);
    return label;
}

} // namespace

CheckReportWindow::CheckReportWindow(const CheckReport &report, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("CheckReportWindow"));
    setWindowTitle(QStringLiteral("データ点検 - 成績累積データ.dat"));
    build(report);
    resize(900, 600);
    // Opens at the first line, which also has the keyboard focus so that a
    // screen reader starts reading there.
    if (reportList_->count() > 0)
        reportList_->setCurrentRow(0);
    reportList_->scrollToTop();
    reportList_->setFocus();
}

void CheckReportWindow::build(const CheckReport &report)
{
    // One Japanese face for digits and kana alike, so a line does not mix
    // the fallback fonts of the system.
    setFont(layoutFont(kGothicProportional, 10.5));
    auto *layout = new QVBoxLayout(this);

    const bool unreadable = report.status == CheckReport::Status::Unreadable;
    fileLabel_ = valueLabel(unreadable ? report.path : report.headerLine(), QStringLiteral("点検したファイル"), this);
    fileLabel_->setObjectName(QStringLiteral("FileLabel"));
    layout->addWidget(fileLabel_);

    reportList_ = new QListWidget(this);
    reportList_->setObjectName(QStringLiteral("ReportList"));
    reportList_->setAccessibleName(QStringLiteral("点検結果一覧"));
    reportList_->setAccessibleDescription(QStringLiteral("見つかった問題を1行に1件ずつ、記録番号の順に並べています"));
    reportList_->setWordWrap(true);
    reportList_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    reportList_->setAlternatingRowColors(true);
    reportList_->setSelectionMode(QAbstractItemView::SingleSelection);
    reportList_->setFont(layoutFont(kGothicProportional, 12));

    if (unreadable) {
        reportList_->addItem(report.problem);
    } else if (report.findings.empty()) {
        reportList_->addItem(QStringLiteral("問題は見つかりませんでした。"));
    } else {
        const size_t shown = std::min<size_t>(report.findings.size(), size_t(kMaxListedFindings));
        for (size_t i = 0; i < shown; ++i) {
            // Each finding line carries its first record, so that choosing
            // it takes the editor's list there.
            auto *item = new QListWidgetItem(report.findingLine(report.findings[i]), reportList_);
            item->setData(Qt::UserRole, report.findings[i].firstRecord);
        }
        if (shown < report.findings.size())
            reportList_->addItem(
                QStringLiteral("ほか %1 行は省略しました。すべての行はコマンド rukamina --check で表示できます。")
                    .arg(report.findings.size() - shown));
    }
    connect(reportList_, &QListWidget::activated, this, [this](const QModelIndex &index) { chooseRow(index.row()); });
    layout->addWidget(reportList_, 1);

    summaryLabel_ = valueLabel(report.summaryLine(), QStringLiteral("点検のまとめ"), this);
    summaryLabel_->setObjectName(QStringLiteral("SummaryLabel"));
    QFont bold = summaryLabel_->font();
    bold.setBold(true);
    summaryLabel_->setFont(bold);
    const QColor colour = report.status == CheckReport::Status::Clean ? QColor(0, 128, 0) : QColor(192, 0, 0);
    summaryLabel_->setStyleSheet(QStringLiteral("color: %1;").arg(colour.name()));
    layout->addWidget(summaryLabel_);

    showRecordButton_ = new QPushButton(QStringLiteral("この記録を一覧で選ぶ(&S)"), this);
    showRecordButton_->setObjectName(QStringLiteral("ShowRecordButton"));
    showRecordButton_->setAccessibleDescription(
        QStringLiteral("選んだ行の記録を、データ変更の一覧で選んで表示します（Enter、ダブルクリックでも同じ）"));
    showRecordButton_->setAutoDefault(false);
    connect(showRecordButton_, &QPushButton::clicked, this, [this] { chooseRow(reportList_->currentRow()); });
    const auto followCurrent = [this] { showRecordButton_->setEnabled(recordOfRow(reportList_->currentRow()) > 0); };
    connect(reportList_, &QListWidget::currentRowChanged, this, followCurrent);
    followCurrent();

    closeButton_ = new QPushButton(QStringLiteral("閉じる(&C)"), this);
    closeButton_->setObjectName(QStringLiteral("CloseButton"));
    closeButton_->setAutoDefault(true);
    connect(closeButton_, &QPushButton::clicked, this, &QDialog::accept);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(showRecordButton_);
    buttons->addWidget(closeButton_);
    layout->addLayout(buttons);
}

qint64 CheckReportWindow::recordOfRow(int row) const
{
    const QListWidgetItem *item = reportList_->item(row);
    return item ? item->data(Qt::UserRole).toLongLong() : 0;
}

void CheckReportWindow::chooseRow(int row)
{
    // A line that names no record (the summary of omitted lines, a clean
    // or unreadable file) leaves the window open.
    const qint64 record = recordOfRow(row);
    if (record <= 0)
        return;
    chosenRecord_ = record;
    accept();
}
