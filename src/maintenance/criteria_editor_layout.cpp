// SPDX-License-Identifier: MIT
#include "maintenance/criteria_editor_layout.h"
#include "platform/layout.h"

#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>

namespace {

QLabel *label(QWidget *parent, const QString &name, const QString &text, double points, bool bold = false)
{
    auto *l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setFont(layoutFont(kGothicProportional, points, bold));
    return l;
}

QPushButton *button(QWidget *parent, const QString &name, const QString &caption)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setFont(layoutFont(kGothicProportional, 12, true));
    return b;
}

QListWidget *histogramList(QWidget *parent, const QString &name, const QString &accessibleName)
{
    auto *list = new QListWidget(parent);
    list->setObjectName(name);
    list->setAccessibleName(accessibleName);
    // Fixed pitch, so the bucket texts stand right-aligned under each other.
    list->setFont(layoutFont(kGothicFixed, 10.5));
    list->setUniformItemSizes(true);
    list->setSelectionMode(QAbstractItemView::NoSelection);
    list->setFocusPolicy(Qt::NoFocus);
    setColours(list, Qt::white, Qt::black);
    return list;
}

} // namespace

CriteriaEditorWidgets buildCriteriaEditor(QWidget *form)
{
    CriteriaEditorWidgets w;

    w.intro = label(form, QStringLiteral("Label2"),
        QStringLiteral("成績の基準となるデータを変更できます。\nプログラムを選んでください。"), 12, true);
    placeTwips(w.intro, 150, 90, 8400, 660);
    w.intro->setAccessibleDescription(QStringLiteral("この画面の説明"));

    w.saveButton = button(form, QStringLiteral("Command3"), QStringLiteral("更新記録(&S)"));
    placeTwips(w.saveButton, 9000, 120, 1950, 600);
    w.revertButton = button(form, QStringLiteral("Command2"), QStringLiteral("元に戻す(&R)"));
    placeTwips(w.revertButton, 11100, 120, 1950, 600);
    w.backButton = button(form, QStringLiteral("Command4"), QStringLiteral("戻る(&B)"));
    placeTwips(w.backButton, 13200, 120, 1950, 600);

    w.grid = new QTableWidget(form);
    w.grid->setObjectName(QStringLiteral("MSFlexGrid1"));
    w.grid->setAccessibleName(QStringLiteral("合格タイムデータの表"));
    placeTwips(w.grid, 150, 840, 15060, 4500);
    w.grid->setColumnCount(13);
    w.grid->setFont(layoutFont(kGothicProportional, 9.75));
    // Column 1 is the narrowest; its title is cut at the edge rather than
    // replaced by an ellipsis.
    w.grid->setTextElideMode(Qt::ElideNone);
    // Row 0 and column 0 are the grid's own fixed titles, as cells.
    w.grid->horizontalHeader()->hide();
    w.grid->verticalHeader()->hide();
    w.grid->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    w.grid->verticalHeader()->setDefaultSectionSize(kGridRowHeight);
    w.grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    w.grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    w.grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    w.grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    w.grid->setSelectionMode(QAbstractItemView::NoSelection);
    // All typing happens in the edit box; the grid never takes the focus.
    w.grid->setFocusPolicy(Qt::NoFocus);
    w.grid->setWordWrap(false);
    setColours(w.grid, Qt::white, Qt::black);

    // A child of the form laid over the cell rather than of the grid: a
    // screen reader knows a table's cells only, and would never find a box
    // inside it. Its name (level and column) follows the cell.
    w.editBox = new QLineEdit(form);
    w.editBox->setObjectName(QStringLiteral("Gridinputtext"));
    w.editBox->setFont(layoutFont(kGothicProportional, 9.75, true));
    setColours(w.editBox, QColor(255, 255, 224), Qt::black);
    w.editBox->hide();

    w.columnTitle = label(form, QStringLiteral("Label6"), QStringLiteral("列の説明"), 11, true);
    placeTwips(w.columnTitle, 150, 5460, 1500, 330);
    w.columnHelp = label(form, QStringLiteral("Label3"), QString(), 11);
    placeTwips(w.columnHelp, 150, 5790, 8400, 1200);
    w.columnHelp->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    w.columnHelp->setFrameStyle(QFrame::Box | QFrame::Plain);
    w.columnHelp->setAccessibleDescription(QStringLiteral("選んだ列の説明"));
    setColours(w.columnHelp, Qt::white, Qt::black);

    auto *options = new QWidget(form);
    options->setObjectName(QStringLiteral("Frame1"));
    placeTwips(options, 9000, 5460, 6210, 450);
    w.showHistograms = new QRadioButton(QStringLiteral("度数表示(&V)"), options);
    w.showHistograms->setObjectName(QStringLiteral("Option1_0"));
    placeTwips(w.showHistograms, 120, 60, 2400, 330);
    w.hideHistograms = new QRadioButton(QStringLiteral("度数非表示(&H)"), options);
    w.hideHistograms->setObjectName(QStringLiteral("Option1_1"));
    placeTwips(w.hideHistograms, 2700, 60, 2400, 330);
    for (QRadioButton *option : { w.showHistograms, w.hideHistograms })
        option->setFont(layoutFont(kGothicProportional, 11, true));

    w.histogramPanel = new QWidget(form);
    w.histogramPanel->setObjectName(QStringLiteral("Picture5"));
    placeTwips(w.histogramPanel, 150, 7080, 15060, 4320);
    w.histogramTitle
        = label(w.histogramPanel, QStringLiteral("Label7"), QStringLiteral("現在までの成績度数分布"), 12, true);
    placeTwips(w.histogramTitle, 0, 0, 15060, 330);
    w.histogramTitle->setAlignment(Qt::AlignCenter);
    w.allRunsTitle = label(w.histogramPanel, QStringLiteral("Label9"), QStringLiteral("全成績"), 11, true);
    placeTwips(w.allRunsTitle, 0, 360, 7440, 300);
    w.allRunsList = histogramList(w.histogramPanel, QStringLiteral("List3"), QStringLiteral("全成績の度数分布"));
    placeTwips(w.allRunsList, 0, 660, 7440, 3660);
    w.bestTimesTitle = label(w.histogramPanel, QStringLiteral("Label10"), QStringLiteral("最高タイム"), 11, true);
    placeTwips(w.bestTimesTitle, 7620, 360, 7440, 300);
    w.bestTimesList = histogramList(w.histogramPanel, QStringLiteral("List4"), QStringLiteral("最高タイムの度数分布"));
    placeTwips(w.bestTimesList, 7620, 660, 7440, 3660);

    w.waitPanel = new QWidget(form);
    w.waitPanel->setObjectName(QStringLiteral("Picture6"));
    placeTwips(w.waitPanel, 4680, 4560, 6000, 1800);
    setColours(w.waitPanel, QColor(255, 255, 192), Qt::black);
    w.waitLabel = label(w.waitPanel, QStringLiteral("Label8"), QStringLiteral("Just a moment,please."), 18, true);
    placeTwips(w.waitLabel, 0, 0, 6000, 1800);
    w.waitLabel->setAlignment(Qt::AlignCenter);
    w.waitLabel->setFrameStyle(QFrame::Box | QFrame::Plain);
    w.waitPanel->hide();

    return w;
}
