// SPDX-License-Identifier: MIT
#include "hub/class_overview_print.h"
#include "hub/class_overview_model.h"
#include "platform/layout.h"

#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPrinter>
#include <algorithm>
#include <array>

namespace {

constexpr int kColumns = int(OverviewColumn::Count);
// Shares of the printable width, in column order; the name gets the most.
constexpr std::array<double, kColumns> kColumnShare { 0.06, 0.06, 0.22, 0.07, 0.08, 0.10, 0.11, 0.09, 0.11, 0.10 };
constexpr double kBodyPoints = 10;
constexpr double kTitlePoints = 14;

struct PageGeometry {
    QFont titleFont;
    QFont bodyFont;
    QFont headFont;
    double titleHeight = 0;
    double lineHeight = 0;
    double headerHeight = 0; // title line, details line, gap, column heads
    double width = 0;
    double height = 0;
};

// Sizes in points, which the printer scales to its resolution (the screen
// layout's fonts have pixel sizes, a speck at 1200 dpi).
QFont paperFont(double points, bool bold = false)
{
    QFont font(kGothicProportional);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

PageGeometry pageGeometry(QPrinter &printer)
{
    PageGeometry g;
    g.titleFont = paperFont(kTitlePoints, true);
    g.bodyFont = paperFont(kBodyPoints);
    g.headFont = paperFont(kBodyPoints, true);
    const QRectF page = printer.pageLayout().paintRectPixels(printer.resolution());
    g.width = page.width();
    g.height = page.height();
    g.titleHeight = QFontMetricsF(g.titleFont, &printer).height() * 1.3;
    g.lineHeight = QFontMetricsF(g.bodyFont, &printer).height() * 1.35;
    g.headerHeight = g.titleHeight + g.lineHeight * 2.5;
    return g;
}

int rowsPerPage(const PageGeometry &g)
{
    return std::max(1, int((g.height - g.headerHeight) / g.lineHeight));
}

bool rightAligned(OverviewColumn column)
{
    return column == OverviewColumn::Number || column == OverviewColumn::Runs || column == OverviewColumn::Points
        || column == OverviewColumn::RecentRuns || column == OverviewColumn::BestTime;
}

void drawCells(QPainter &painter, const PageGeometry &g, double top, const std::array<QString, kColumns> &texts)
{
    const double pad = g.lineHeight * 0.2;
    double left = 0;
    for (int c = 0; c < kColumns; ++c) {
        const double width = g.width * kColumnShare[size_t(c)];
        const QRectF cell(left + pad, top, width - 2 * pad, g.lineHeight);
        // The date stands centred, clear of the best time right-aligned
        // beside it.
        const Qt::Alignment across = rightAligned(OverviewColumn(c)) ? Qt::AlignRight
            : OverviewColumn(c) == OverviewColumn::LastRun           ? Qt::AlignHCenter
                                                                     : Qt::AlignLeft;
        const Qt::Alignment align = Qt::AlignVCenter | across;
        // A long name is cut at its cell rather than run into the next one.
        painter.save();
        painter.setClipRect(cell);
        painter.drawText(cell, int(align), texts[size_t(c)]);
        painter.restore();
        left += width;
    }
}

void drawPageHeader(QPainter &painter, const PageGeometry &g, const OverviewPrintHeader &header, int page, int pages)
{
    painter.setFont(g.titleFont);
    const QRectF titleLine(0, 0, g.width, g.titleHeight);
    painter.drawText(titleLine, int(Qt::AlignLeft | Qt::AlignVCenter), QStringLiteral("学習状況"));
    painter.setFont(g.bodyFont);
    painter.drawText(
        titleLine, int(Qt::AlignRight | Qt::AlignVCenter), QStringLiteral("%1 / %2 ページ").arg(page).arg(pages));
    const QString details = QStringLiteral("%1　　%2　　学年：%3　　印刷日：%4")
                                .arg(header.schoolName, header.levelText, header.gradeFilter,
                                    header.printDate.toString(QStringLiteral("yyyy年M月d日")));
    painter.drawText(QRectF(0, g.titleHeight, g.width, g.lineHeight), int(Qt::AlignLeft | Qt::AlignVCenter), details);

    const double headsTop = g.titleHeight + g.lineHeight * 1.5;
    std::array<QString, kColumns> heads;
    for (int c = 0; c < kColumns; ++c)
        heads[size_t(c)] = ClassOverviewModel::columnTitle(OverviewColumn(c));
    painter.setFont(g.headFont);
    drawCells(painter, g, headsTop, heads);
    painter.setFont(g.bodyFont);
    const double underline = headsTop + g.lineHeight;
    painter.drawLine(QPointF(0, underline), QPointF(g.width, underline));
}

} // namespace

void prepareOverviewPrinter(QPrinter &printer, const QString &programName)
{
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
    printer.setDocName(programName + QStringLiteral(" 学習状況"));
    printer.setCreator(programName);
}

int overviewRowsPerPage(QPrinter &printer)
{
    return rowsPerPage(pageGeometry(printer));
}

QString printClassOverview(QPrinter &printer, const ClassOverviewModel &model, const OverviewPrintHeader &header)
{
    const QString where = printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName();
    QPainter painter;
    if (!painter.begin(&printer))
        return QStringLiteral("印刷を始められません：%1").arg(where);
    const PageGeometry g = pageGeometry(printer);
    const int perPage = rowsPerPage(g);
    const int rows = model.rowCount();
    // An empty class still prints its header, so the page says why it is empty.
    const int pages = std::max(1, (rows + perPage - 1) / perPage);
    QPen rule = painter.pen();
    rule.setWidthF(g.lineHeight * 0.03);
    for (int page = 1; page <= pages; ++page) {
        if (page > 1 && !printer.newPage()) {
            painter.end();
            return QStringLiteral("印刷できませんでした：%1").arg(where);
        }
        drawPageHeader(painter, g, header, page, pages);
        const int first = (page - 1) * perPage;
        const int last = std::min(rows, first + perPage);
        double top = g.headerHeight;
        for (int r = first; r < last; ++r) {
            std::array<QString, kColumns> texts;
            for (int c = 0; c < kColumns; ++c)
                texts[size_t(c)] = model.text(r, OverviewColumn(c));
            drawCells(painter, g, top, texts);
            top += g.lineHeight;
            // A faint rule every five rows keeps the eye on its row.
            if ((r - first) % 5 == 4 && r + 1 < last) {
                painter.save();
                painter.setPen(QPen(Qt::gray, rule.widthF()));
                painter.drawLine(QPointF(0, top), QPointF(g.width, top));
                painter.restore();
            }
        }
        if (rows == 0)
            painter.drawText(QRectF(0, top, g.width, g.lineHeight), int(Qt::AlignLeft | Qt::AlignVCenter),
                QStringLiteral("表示する人がいません"));
    }
    // Ending the painter sends the document.
    if (!painter.end() || printer.printerState() == QPrinter::Error)
        return QStringLiteral("印刷できませんでした：%1").arg(where);
    return {};
}
