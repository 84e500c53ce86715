// SPDX-License-Identifier: MIT
#include "hub/class_overview_window.h"
#include "hub/class_overview_model.h"
#include "hub/class_overview_print.h"
#include "platform/clock.h"
#include "platform/layout.h"
#include "platform/platform.h"
#include "results/counts.h"
#include "roster/grade_rules.h"
#include "state/shared_state.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScopeGuard>
#include <QStyledItemDelegate>
#include <QTableView>
#include <algorithm>

namespace {

constexpr int kColumns = int(OverviewColumn::Count);
// Column widths in pixels; they add up to the table's width less its
// scroll bar, so no column is cut and none is measured over 5000 rows.
constexpr int kColumnWidth[kColumns] = { 60, 60, 230, 60, 70, 90, 100, 90, 110, 100 };

// Shades the rows of pupils who have not come; the "休み" column says the
// same in words for those who cannot see the colour.
class AbsentShading final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override
    {
        QStyledItemDelegate::initStyleOption(option, index);
        if (index.data(ClassOverviewModel::kAbsentRole).toBool())
            option->backgroundBrush = QColor(255, 224, 192);
    }
};

bool showPrintDialog(QPrinter &printer, QWidget *parent)
{
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("学習状況の印刷"));
    return dialog.exec() == QDialog::Accepted;
}

QLabel *buddyLabel(QWidget *parent, const QString &caption, QWidget *buddy, const QRect &place)
{
    auto *label = new QLabel(caption, parent);
    label->setBuddy(buddy);
    label->setGeometry(place);
    label->setFont(layoutFont(kGothicProportional, 10.5));
    return label;
}

} // namespace

ClassOverviewWindow::ClassOverviewWindow(
    SharedState &state, Platform &platform, int level, const QString &gradeFilter, QWidget *parent)
    : QWidget(parent)
    , state_(state)
    , platform_(platform)
    , chooser_(showPrintDialog)
{
    const int levels = std::clamp<int>(state_.LevelCount, 1, kMaxLevel);
    level_ = level >= 1 && level <= levels ? level : 1;
    buildScreen();
    // The hub's own filter text, even one typed by hand that the list does
    // not offer: the overview lists whom the hub lists.
    if (gradeChoice_->findText(gradeFilter) < 0)
        gradeChoice_->addItem(gradeFilter);
    gradeChoice_->setCurrentIndex(gradeChoice_->findText(gradeFilter));
    levelChoice_->setCurrentIndex(level_ - 1);
}

ClassOverviewWindow::~ClassOverviewWindow() = default;

void ClassOverviewWindow::buildScreen()
{
    setObjectName(QStringLiteral("ClassOverview"));
    setWindowTitle(QStringLiteral("学習状況"));
    setAccessibleName(QStringLiteral("学習状況"));
    setFixedSize(twips(15360), twips(11520));
    setAttribute(Qt::WA_DeleteOnClose);
    // The hub behind waits: its start buttons would otherwise run a drill
    // under a teacher's name while the overview is open.
    setWindowModality(Qt::ApplicationModal);
    const QFont font = layoutFont(kGothicProportional, 10.5);

    title_ = new QLabel(QStringLiteral("学習状況"), this);
    title_->setObjectName(QStringLiteral("OverviewTitle"));
    title_->setGeometry(16, 8, 160, 34);
    title_->setFont(layoutFont(kGothicProportional, 16, true));

    summary_ = new QLabel(this);
    summary_->setObjectName(QStringLiteral("OverviewSummary"));
    summary_->setAccessibleDescription(QStringLiteral("表示している人数と合格・休みの人数"));
    summary_->setGeometry(180, 12, 600, 28);
    summary_->setFont(font);

    printButton_ = new QPushButton(QStringLiteral("印刷(&P)"), this);
    printButton_->setObjectName(QStringLiteral("OverviewPrint"));
    printButton_->setAccessibleName(QStringLiteral("印刷"));
    printButton_->setGeometry(800, 8, 100, 34);
    printButton_->setFont(font);
    backButton_ = new QPushButton(QStringLiteral("戻る"), this);
    backButton_->setObjectName(QStringLiteral("OverviewBack"));
    backButton_->setAccessibleDescription(QStringLiteral("データ処理の画面に戻る（Escキー）"));
    backButton_->setGeometry(908, 8, 100, 34);
    backButton_->setFont(font);
    for (QPushButton *button : { printButton_, backButton_ })
        button->setAutoDefault(true); // Enter presses the focused button

    levelChoice_ = new QComboBox(this);
    levelChoice_->setObjectName(QStringLiteral("OverviewLevel"));
    levelChoice_->setAccessibleName(QStringLiteral("レベルの選択"));
    levelChoice_->setFont(font);
    for (int l = 1; l <= std::clamp<int>(state_.LevelCount, 1, kMaxLevel); ++l)
        levelChoice_->addItem(QStringLiteral("%1  %2").arg(l).arg(state_.LevelName[size_t(l)]));
    levelChoice_->setGeometry(96, 50, 250, 30);
    buddyLabel(this, QStringLiteral("レベル(&L)"), levelChoice_, QRect(16, 50, 78, 30));

    gradeChoice_ = new QComboBox(this);
    gradeChoice_->setObjectName(QStringLiteral("OverviewGrade"));
    gradeChoice_->setAccessibleName(QStringLiteral("学年の絞り込み"));
    gradeChoice_->setFont(font);
    gradeChoice_->addItems(GradeFilterTexts());
    gradeChoice_->setGeometry(424, 50, 130, 30);
    buddyLabel(this, QStringLiteral("学年(&K)"), gradeChoice_, QRect(360, 50, 62, 30));

    sortChoice_ = new QComboBox(this);
    sortChoice_->setObjectName(QStringLiteral("OverviewSort"));
    sortChoice_->setAccessibleName(QStringLiteral("並べ替えの列"));
    sortChoice_->setFont(font);
    sortChoice_->addItem(QStringLiteral("名簿の順"));
    for (int c = 0; c < kColumns; ++c)
        sortChoice_->addItem(ClassOverviewModel::columnTitle(OverviewColumn(c)));
    sortChoice_->setGeometry(668, 50, 150, 30);
    buddyLabel(this, QStringLiteral("並べ替え(&S)"), sortChoice_, QRect(570, 50, 96, 30));

    descending_ = new QCheckBox(QStringLiteral("大きい順(&R)"), this);
    descending_->setObjectName(QStringLiteral("OverviewDescending"));
    descending_->setFont(font);
    descending_->setGeometry(830, 50, 170, 30);

    model_ = new ClassOverviewModel(this);
    table_ = new QTableView(this);
    table_->setObjectName(QStringLiteral("OverviewTable"));
    table_->setAccessibleName(QStringLiteral("学習状況の表"));
    table_->setAccessibleDescription(QStringLiteral("見出しをクリックするか「並べ替え」で並べ替えます"));
    table_->setFont(font);
    table_->setModel(model_);
    table_->setItemDelegate(new AbsentShading(table_));
    table_->setGeometry(16, 90, 992, 662);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    // Tab leaves the table for the buttons; the arrows move inside it.
    table_->setTabKeyNavigation(false);
    table_->setWordWrap(false);
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table_->verticalHeader()->setDefaultSectionSize(24);
    table_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QHeaderView *header = table_->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Fixed);
    header->setSectionsClickable(true);
    for (int c = 0; c < kColumns; ++c)
        table_->setColumnWidth(c, kColumnWidth[c]);
    // Unsorted (roster order) until a column is chosen.
    header->setSortIndicator(-1, Qt::AscendingOrder);
    table_->setSortingEnabled(true);

    connect(levelChoice_, &QComboBox::activated, this, [this](int index) { chooseLevel(index + 1); });
    connect(gradeChoice_, &QComboBox::activated, this,
        [this](int index) { chooseGradeFilter(gradeChoice_->itemText(index)); });
    connect(
        sortChoice_, &QComboBox::activated, this, [this](int index) { sortBy(index - 1, descending_->isChecked()); });
    connect(descending_, &QCheckBox::toggled, this, [this](bool on) { sortBy(sortChoice_->currentIndex() - 1, on); });
    // A header click sorts through the view; the choosers follow it.
    connect(header, &QHeaderView::sortIndicatorChanged, this, [this](int column, Qt::SortOrder order) {
        if (syncingSort_)
            return;
        syncingSort_ = true;
        sortChoice_->setCurrentIndex(column + 1);
        descending_->setChecked(order == Qt::DescendingOrder);
        syncingSort_ = false;
    });
    connect(printButton_, &QPushButton::clicked, this, &ClassOverviewWindow::print);
    connect(backButton_, &QPushButton::clicked, this, &ClassOverviewWindow::leave);

    setTabOrder(levelChoice_, gradeChoice_);
    setTabOrder(gradeChoice_, sortChoice_);
    setTabOrder(sortChoice_, descending_);
    setTabOrder(descending_, table_);
    setTabOrder(table_, printButton_);
    setTabOrder(printButton_, backButton_);
}

bool ClassOverviewWindow::onShown()
{
    // The figures of the moment, read as the hub reads them when shown.
    if (!回数求(state_, platform_)) {
        summary_->setText(QStringLiteral("成績ファイルを読めません"));
        return false;
    }
    refill();
    table_->setFocus();
    return true;
}

void ClassOverviewWindow::refill()
{
    model_->setRows(buildOverviewRows(state_, level_, gradeFilter(), platform_.clock.nowOle()));
    if (model_->rowCount() > 0)
        table_->setCurrentIndex(model_->index(0, 0));
    showSummary();
}

void ClassOverviewWindow::showSummary()
{
    int passed = 0;
    int absent = 0;
    for (int r = 0; r < model_->rowCount(); ++r) {
        passed += model_->rowAt(r).passed ? 1 : 0;
        absent += model_->rowAt(r).absent ? 1 : 0;
    }
    summary_->setText(QStringLiteral("%1　%2人（合格 %3人、7日以上休み %4人）")
                          .arg(levelText())
                          .arg(model_->rowCount())
                          .arg(passed)
                          .arg(absent));
}

QString ClassOverviewWindow::levelText() const
{
    return QStringLiteral("レベル%1 %2").arg(level_).arg(state_.LevelName[size_t(level_)]);
}

QString ClassOverviewWindow::gradeFilter() const
{
    return gradeChoice_->currentText();
}

void ClassOverviewWindow::chooseLevel(int level)
{
    if (printing_ || level < 1 || level > levelChoice_->count())
        return;
    level_ = level;
    levelChoice_->setCurrentIndex(level - 1);
    refill();
}

void ClassOverviewWindow::chooseGradeFilter(const QString &filter)
{
    if (printing_)
        return;
    if (gradeChoice_->findText(filter) < 0)
        gradeChoice_->addItem(filter);
    gradeChoice_->setCurrentIndex(gradeChoice_->findText(filter));
    refill();
}

void ClassOverviewWindow::sortBy(int column, bool descending)
{
    if (syncingSort_ || column < -1 || column >= kColumns)
        return;
    syncingSort_ = true;
    sortChoice_->setCurrentIndex(column + 1);
    descending_->setChecked(descending);
    const Qt::SortOrder order = descending ? Qt::DescendingOrder : Qt::AscendingOrder;
    // Through the view, so the header shows the same column and direction.
    table_->horizontalHeader()->setSortIndicator(column, order);
    if (column < 0)
        model_->sort(-1, order);
    syncingSort_ = false;
}

void ClassOverviewWindow::print()
{
    if (printing_)
        return;
    printing_ = true;
    const auto done = qScopeGuard([this] { printing_ = false; });
    QPrinter printer(QPrinter::HighResolution);
    prepareOverviewPrinter(printer, state_.ProgramName);
    if (!chooser_(printer, this))
        return;
    const OverviewPrintHeader header { state_.SchoolName, levelText(), gradeFilter(), platform_.clock.today() };
    const QString error = printClassOverview(printer, *model_, header);
    if (!error.isEmpty())
        QMessageBox::warning(this, QStringLiteral("学習状況の印刷"), error);
}

void ClassOverviewWindow::leave()
{
    if (printing_)
        return;
    close();
}

void ClassOverviewWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape) {
        leave();
        return;
    }
    QWidget::keyPressEvent(event);
}
