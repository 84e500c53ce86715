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

    QStringList lines;
    if (unreadable) {
        lines << report.problem;
    } else if (report.findings.empty()) {
        lines << QStringLiteral("問題は見つかりませんでした。");
    } else {
        const size_t shown = std::min<size_t>(report.findings.size(), size_t(kMaxListedFindings));
        lines.reserve(qsizetype(shown) + 1);
        for (size_t i = 0; i < shown; ++i)
            lines << report.findingLine(report.findings[i]);
        if (shown < report.findings.size())
            lines << QStringLiteral("ほか %1 行は省略しました。すべての行はコマンド rukamina --check で表示できます。")
                         .arg(report.findings.size() - shown);
    }
    reportList_->addItems(lines);
    layout->addWidget(reportList_, 1);

    summaryLabel_ = valueLabel(report.summaryLine(), QStringLiteral("点検のまとめ"), this);
    summaryLabel_->setObjectName(QStringLiteral("SummaryLabel"));
    QFont bold = summaryLabel_->font();
    bold.setBold(true);
    summaryLabel_->setFont(bold);
    const QColor colour = report.status == CheckReport::Status::Clean ? QColor(0, 128, 0) : QColor(192, 0, 0);
    summaryLabel_->setStyleSheet(QStringLiteral("color: %1;").arg(colour.name()));
    layout->addWidget(summaryLabel_);

    closeButton_ = new QPushButton(QStringLiteral("閉じる(&C)"), this);
    closeButton_->setObjectName(QStringLiteral("CloseButton"));
    closeButton_->setAutoDefault(true);
    connect(closeButton_, &QPushButton::clicked, this, &QDialog::accept);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(closeButton_);
    layout->addLayout(buttons);
}
