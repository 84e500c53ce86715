// SPDX-License-Identifier: MIT
// Re-entrancy: saving and leaving show the wait panel and let pending
// events run so that it is painted; meanwhile the three buttons are
// disabled, and `leaving_` keeps a second "戻る" (or a close of the window)
// from showing the hub twice. Message boxes are modal, so no handler of
// this window runs while one is open. The window itself is destroyed only
// by the navigator after showHub(), which is the last step of leaving.
#include "maintenance/criteria_editor_window.h"
#include "platform/events.h"
#include "platform/layout.h"
#include "platform/platform.h"
#include "results/criteria_file.h"
#include "results/results_file.h"
#include "state/navigator.h"
#include "state/shared_state.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableWidget>

namespace {

const QColor kChangedCell = bgrHex(0x0000FFFF); // yellow
const QColor kRefusedCell(255, 150, 150);
const QColor kFixedCell(224, 224, 224);
constexpr int kCaretPosition = 10;

} // namespace

CriteriaEditorWindow::CriteriaEditorWindow(
    SharedState &state, Platform &platform, Navigator &navigator, QWidget *parent)
    : QWidget(parent)
    , state_(state)
    , platform_(platform)
    , navigator_(navigator)
{
    setObjectName(QStringLiteral("FrmTimeData"));
    setWindowTitle(QStringLiteral("合格タイムデータ変更"));
    setFixedSize(twips(15360), twips(11520));
    ui_ = buildCriteriaEditor(this);

    connect(ui_.saveButton, &QPushButton::clicked, this, &CriteriaEditorWindow::saveAndRefocus);
    connect(ui_.revertButton, &QPushButton::clicked, this, &CriteriaEditorWindow::revertToFile);
    connect(ui_.backButton, &QPushButton::clicked, this, &CriteriaEditorWindow::leave);
    connect(ui_.showHistograms, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            setHistogramsShown(true);
    });
    connect(ui_.hideHistograms, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            setHistogramsShown(false);
    });
    connect(ui_.grid, &QTableWidget::cellClicked, this, &CriteriaEditorWindow::moveToCell);
    connect(ui_.editBox, &QLineEdit::textChanged, this, [this] { TextToGrid転送(); });
    ui_.editBox->installEventFilter(this);
    for (QAbstractButton *b : std::initializer_list<QAbstractButton *> {
             ui_.saveButton, ui_.revertButton, ui_.backButton, ui_.showHistograms, ui_.hideHistograms })
        b->installEventFilter(this);
    ui_.showHistograms->setChecked(true);
    // The box lies over the grid, not in it: it follows its cell when the
    // grid scrolls.
    connect(ui_.grid->verticalScrollBar(), &QScrollBar::valueChanged, this, [this] { fitEditBoxToCell(); });
    // Tab leaves the box for the options and the buttons and comes back to it.
    setTabOrder(ui_.editBox, ui_.showHistograms);
    setTabOrder(ui_.showHistograms, ui_.hideHistograms);
    setTabOrder(ui_.hideHistograms, ui_.saveButton);
    setTabOrder(ui_.saveButton, ui_.revertButton);
    setTabOrder(ui_.revertButton, ui_.backButton);
}

QString CriteriaEditorWindow::criteriaPath() const
{
    return state_.ProgramDataFolder + QStringLiteral("タイム回数データ.txt");
}

QString CriteriaEditorWindow::cellText(int row, int column) const
{
    const QTableWidgetItem *item = ui_.grid->item(row, column);
    return item ? item->text() : QString();
}

void CriteriaEditorWindow::onShown()
{
    // Thirteen columns of equal width, column 1 at 0.8 of the others; the
    // width is the part of the grid not taken by its scroll bar.
    const int width
        = ui_.grid->width() - 2 * ui_.grid->frameWidth() - ui_.grid->verticalScrollBar()->sizeHint().width();
    const int column = width / kGridColumns;
    for (int c = 0; c < kGridColumns; ++c)
        ui_.grid->setColumnWidth(c, c == 1 ? int(column * 0.8) : column);

    loadGrid();
    row_ = LastRow >= 1 ? 1 : 0;
    column_ = 1;
    rowSel_ = row_;
    placeEditBox();
    GridToText転送();
    computeHistograms();
}

void CriteriaEditorWindow::loadGrid()
{
    const CriteriaGridLoad load = loadCriteriaGrid(criteriaPath());
    loadedOk_ = load.ok;
    loadedBytes_ = load.bytes;
    const QSignalBlocker quiet(ui_.grid);
    ui_.grid->clearContents();
    ui_.grid->setRowCount(int(load.rows.size()));
    for (int r = 0; r < int(load.rows.size()); ++r) {
        for (int c = 0; c < kGridColumns; ++c) {
            auto *item = new QTableWidgetItem(load.rows[size_t(r)][size_t(c)]);
            if (r == 0 || c == 0) {
                item->setFlags(Qt::ItemIsEnabled);
                item->setBackground(kFixedCell);
                item->setTextAlignment(Qt::AlignCenter);
            } else {
                item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            }
            ui_.grid->setItem(r, c, item);
        }
    }
    LastRow = int(load.rows.size()) - 1;
    if (!load.problem.isEmpty())
        tell(QStringLiteral("注意"), load.problem);
}

void CriteriaEditorWindow::placeEditBox()
{
    if (row_ < 1 || row_ > LastRow) {
        ui_.editBox->hide();
        ui_.columnHelp->setText(QString());
        return;
    }
    ui_.grid->scrollToItem(ui_.grid->item(row_, column_));
    fitEditBoxToCell();
    const QString title = cellText(0, column_);
    ui_.editBox->setAccessibleName(
        QStringLiteral("レベル%1 %2").arg(row_).arg(title.isEmpty() ? QStringLiteral("%1列目").arg(column_) : title));
    ui_.editBox->show();
    ui_.editBox->raise();
    ui_.editBox->setFocus();
    ui_.editBox->setCursorPosition(std::min(kCaretPosition, int(ui_.editBox->text().size())));
    ui_.columnHelp->setText(criteriaColumnExplanation(column_));
    ui_.columnHelp->setAccessibleName(ui_.columnHelp->text());
    showSelection();
}

void CriteriaEditorWindow::fitEditBoxToCell()
{
    if (row_ < 1 || row_ > LastRow)
        return;
    // Only the part of the cell the grid shows: a cell scrolled out of view
    // leaves the box without size until a key brings the cell back.
    const QWidget *viewport = ui_.grid->viewport();
    const QRect cell = ui_.grid->visualItemRect(ui_.grid->item(row_, column_)) & viewport->rect();
    ui_.editBox->setGeometry(cell.isEmpty() ? QRect(viewport->mapTo(this, QPoint()), QSize())
                                            : cell.translated(viewport->mapTo(this, QPoint())));
}

void CriteriaEditorWindow::showSelection()
{
    ui_.grid->clearSelection();
    if (row_ < 1)
        return;
    ui_.grid->setRangeSelected(QTableWidgetSelectionRange(row_, column_, std::max(row_, rowSel_), column_), true);
}

void CriteriaEditorWindow::GridToText転送()
{
    if (row_ < 1 || row_ > LastRow)
        return;
    ui_.editBox->setText(cellText(row_, column_));
    ui_.editBox->setCursorPosition(std::min(kCaretPosition, int(ui_.editBox->text().size())));
}

void CriteriaEditorWindow::TextToGrid転送()
{
    if (row_ < 1 || row_ > LastRow)
        return;
    setCell(row_, column_, ui_.editBox->text());
}

void CriteriaEditorWindow::setCell(int row, int column, const QString &text)
{
    QTableWidgetItem *item = ui_.grid->item(row, column);
    if (item->text() != text) {
        Changed = 1;
        item->setBackground(kChangedCell);
    }
    item->setText(text);
}

void CriteriaEditorWindow::markCell(int row, int column, const QColor &colour)
{
    if (QTableWidgetItem *item = ui_.grid->item(row, column))
        item->setBackground(colour);
}

bool CriteriaEditorWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    auto *key = static_cast<QKeyEvent *>(event);
    if (watched == ui_.editBox)
        return handleEditBoxKey(key);
    // A focused button or option reacts to Enter as well as to space.
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && !key->isAutoRepeat()) {
        if (auto *button = qobject_cast<QAbstractButton *>(watched); button && button->isEnabled()) {
            button->click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool CriteriaEditorWindow::handleEditBoxKey(QKeyEvent *key)
{
    switch (key->key()) {
    case Qt::Key_Escape:
        return true;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return false; // the focus moves on to the buttons
    default:
        break;
    }
    // A key typed while the cell is scrolled out of view brings it back.
    if (!ui_.editBox->geometry().isValid())
        placeEditBox();
    bool consumed = true;
    const bool extend = key->modifiers().testAnyFlags(Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier);
    switch (key->key()) {
    case Qt::Key_Up:
        if (row_ > 1) {
            --row_;
            rowSel_ = row_;
            GridToText転送();
            placeEditBox();
        }
        break;
    case Qt::Key_Down:
        if (extend) {
            // Fills the column from the current row down to the selection's
            // new end with the box's text.
            if (rowSel_ < LastRow) {
                ++rowSel_;
                const QString text = ui_.editBox->text();
                for (int r = row_; r <= rowSel_; ++r)
                    setCell(r, column_, text);
                showSelection();
            }
        } else if (row_ < LastRow) {
            ++row_;
            rowSel_ = row_;
            GridToText転送();
            placeEditBox();
        }
        break;
    case Qt::Key_Left:
        if (column_ > 1) {
            --column_;
            rowSel_ = row_;
            GridToText転送();
            placeEditBox();
        }
        break;
    case Qt::Key_Right:
        if (column_ < kCriteriaColumns) {
            ++column_;
            rowSel_ = row_;
            GridToText転送();
            placeEditBox();
        }
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        break;
    default:
        // Characters, Backspace and the like go on to the box once it holds
        // the cell's text with the caret at its place.
        consumed = false;
        break;
    }
    computeHistograms();
    GridToText転送();
    if (!consumed && key->text() == QLatin1String(" ")) {
        ui_.editBox->clear(); // the cell follows through TextToGrid転送
        return true;
    }
    return consumed;
}

void CriteriaEditorWindow::moveToCell(int row, int column)
{
    // The title row and the level column are fixed: a click there leaves
    // the current cell where it was.
    if (row >= 1 && row <= LastRow && column >= 1 && column <= kCriteriaColumns) {
        row_ = row;
        column_ = column;
        rowSel_ = row;
    }
    placeEditBox();
    computeHistograms();
    GridToText転送();
}

void CriteriaEditorWindow::computeHistograms()
{
    if (ui_.histogramPanel->isHidden() || row_ < 1)
        return;
    const int level = row_;
    QString error;
    QStringList allRuns;
    QStringList bestTimes;
    if (histograms_.update(resultsFilePath(state_), &error)) {
        HistogramLists lists = histograms_.lists(level);
        allRuns = std::move(lists.allRuns);
        bestTimes = std::move(lists.bestTimes);
    } else {
        allRuns = error.split(QLatin1Char('\n'));
        bestTimes = allRuns;
    }
    // The lists keep their place while the level stays the same, so a
    // teacher looking at the slow end is not thrown back at every key.
    const bool sameLevel = level == shownLevel_;
    for (auto [list, lines] :
        { std::pair { ui_.allRunsList, &allRuns }, std::pair { ui_.bestTimesList, &bestTimes } }) {
        const int scroll = list->verticalScrollBar()->value();
        list->setUpdatesEnabled(false);
        list->clear();
        list->addItems(*lines);
        list->verticalScrollBar()->setValue(sameLevel ? scroll : 0);
        list->setUpdatesEnabled(true);
    }
    shownLevel_ = level;
}

void CriteriaEditorWindow::setHistogramsShown(bool shown)
{
    ui_.histogramPanel->setVisible(shown);
    if (shown)
        computeHistograms();
}

std::vector<CriteriaGridRow> CriteriaEditorWindow::gridRows() const
{
    std::vector<CriteriaGridRow> rows(size_t(LastRow + 1));
    for (int r = 0; r <= LastRow; ++r)
        for (int c = 0; c < kGridColumns; ++c)
            rows[size_t(r)][size_t(c)] = cellText(r, c);
    return rows;
}

void CriteriaEditorWindow::showWaitPanel(bool on)
{
    for (QPushButton *b : { ui_.saveButton, ui_.revertButton, ui_.backButton })
        b->setEnabled(!on);
    ui_.waitPanel->setVisible(on);
    if (on) {
        ui_.waitPanel->raise();
        letEventsRun();
    }
}

void CriteriaEditorWindow::tell(const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, this);
    box.exec();
}

bool CriteriaEditorWindow::save()
{
    const QString path = criteriaPath();
    if (!loadedOk_) {
        // Writing the grid of a file that could not be read would replace
        // every level's criteria with nothing.
        tell(QStringLiteral("注意"), QStringLiteral("%1\nこのファイルを読めなかったので、記録しません。").arg(path));
        return false;
    }
    const std::vector<CriteriaGridRow> rows = criteriaRowsAsWritten(gridRows());
    if (const auto problem = findCriteriaProblem(rows)) {
        if (problem->column >= 1) {
            row_ = problem->row;
            column_ = problem->column;
            rowSel_ = row_;
            markCell(row_, column_, kRefusedCell);
            GridToText転送();
            placeEditBox();
            computeHistograms();
        }
        tell(QStringLiteral("注意"),
            problem->message + QStringLiteral("\n直してから記録してください。何も記録していません。"));
        if (problem->column >= 1)
            ui_.editBox->setFocus();
        return false;
    }

    QPointer<CriteriaEditorWindow> self(this);
    showWaitPanel(true);
    if (!self)
        return false;
    const QByteArray bytes = criteriaFileBytes(rows);
    const CriteriaSaveResult saved = saveCriteriaIfUnchanged(path, loadedBytes_, bytes, platform_.clock);
    if (!self)
        return false;
    showWaitPanel(false);
    switch (saved.outcome) {
    case CriteriaSaveOutcome::Saved:
        break;
    case CriteriaSaveOutcome::ChangedElsewhere:
        offerReload(path);
        return false;
    case CriteriaSaveOutcome::Failed:
        tell(QStringLiteral("注意"), saved.message + QStringLiteral("\n記録できませんでした。"));
        return false;
    }
    loadedBytes_ = bytes;
    Changed = 0;
    // The grid shows what was written ("６０" became 60); the cells keep
    // their yellow marks.
    for (int r = 1; r <= LastRow; ++r)
        for (int c = 1; c <= kCriteriaNumericColumns; ++c)
            if (QTableWidgetItem *item = ui_.grid->item(r, c); item && item->text() != rows[size_t(r)][size_t(c)])
                item->setText(rows[size_t(r)][size_t(c)]);
    GridToText転送();
    if (!saved.note.isEmpty())
        tell(QStringLiteral("注意"), QStringLiteral("記録しました。\n") + saved.note);
    // Runs on this PC use the new values at once.
    return LoadCriteriaTable(state_, platform_.fatal, path);
}

void CriteriaEditorWindow::offerReload(const QString &path)
{
    // Nothing was written: the other PC's table stands. The teacher's own
    // edits stay on screen until they choose to drop them.
    QMessageBox ask(QMessageBox::Warning, QStringLiteral("注意"),
        QStringLiteral("%1\n合格タイムデータは、この画面で読み込んだ後に他のパソコンで変更されました。"
                       "何も記録していません。\n\n"
                       "他のパソコンで記録された表を読み込みますか？\n"
                       "「読み込む」：この画面での変更は消えます。\n"
                       "「このまま」：変更は画面に残ります。記録するには、読み込んでから入力し直してください。")
            .arg(path),
        QMessageBox::Yes | QMessageBox::No, this);
    ask.setObjectName(QStringLiteral("CriteriaChangedElsewhere"));
    ask.button(QMessageBox::Yes)->setText(QStringLiteral("読み込む(&L)"));
    ask.button(QMessageBox::No)->setText(QStringLiteral("このまま(&K)"));
    // Enter alone keeps the edits: dropping them is the step to choose.
    ask.setDefaultButton(QMessageBox::No);
    if (ask.exec() != QMessageBox::Yes) {
        if (ui_.editBox->isVisible())
            ui_.editBox->setFocus();
        return;
    }
    revertToFile();
    // The grid is now the file: nothing of it is left to save.
    Changed = 0;
}

void CriteriaEditorWindow::saveAndRefocus()
{
    save();
    if (ui_.editBox->isVisible())
        ui_.editBox->setFocus();
}

void CriteriaEditorWindow::revertToFile()
{
    // The changed flag stays: only saving clears it.
    loadGrid();
    row_ = std::clamp(row_, std::min(1, LastRow), LastRow);
    rowSel_ = row_;
    GridToText転送();
    placeEditBox();
    computeHistograms();
}

void CriteriaEditorWindow::leave()
{
    if (leaving_)
        return;
    if (Changed == 1) {
        QMessageBox ask(QMessageBox::NoIcon, QStringLiteral("注意"),
            QStringLiteral("データが変更されています。記録しますか？"), QMessageBox::Yes | QMessageBox::No, this);
        ask.setDefaultButton(QMessageBox::Yes);
        // A refused or failed save keeps the teacher here with the edits.
        if (ask.exec() == QMessageBox::Yes && !save())
            return;
    }
    leaving_ = true;
    QPointer<CriteriaEditorWindow> self(this);
    showWaitPanel(true);
    if (!self)
        return;
    navigator_.showHub();
}

void CriteriaEditorWindow::closeEvent(QCloseEvent *event)
{
    // Closing the window by its frame leaves the editor as "戻る" does,
    // asking about unsaved edits, rather than ending the program.
    if (event->spontaneous() && !leaving_) {
        event->ignore();
        leave();
        return;
    }
    QWidget::closeEvent(event);
}
