// SPDX-License-Identifier: MIT
// The handler half of the graph panel: the lists filled from the roster
// tables, the chosen pupils and levels, drawing on the surface and
// printing. The widgets are built in graph_panel_layout.cpp.
#include "hub/graph_panel.h"
#include "hub/listings.h"
#include "platform/blank_trim.h"
#include "platform/clock.h"
#include "platform/platform.h"
#include "results/results_file.h"
#include "state/shared_state.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QListWidget>
#include <QMessageBox>
#include <QPageLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QSignalBlocker>
#include <QStringListModel>
#include <algorithm>

namespace {

bool showPrintDialog(QPrinter &printer, QWidget *parent)
{
    QPrintDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("グラフの印刷"));
    return dialog.exec() == QDialog::Accepted;
}

// The pupil a row of the pupil list stands for: the number after its last
// "/" (the name before it may hold a "/" of its own).
int pupilOfRow(const QString &row)
{
    bool ok = false;
    const int number = row.mid(row.lastIndexOf(QLatin1Char('/')) + 1).toInt(&ok);
    return ok ? number : 0;
}

} // namespace

GraphCanvas::GraphCanvas(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void GraphCanvas::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawImage(0, 0, image());
}

QImage &GraphCanvas::image()
{
    if (image_.size() != size()) {
        image_ = QImage(size(), QImage::Format_RGB32);
        image_.fill(Qt::white);
    }
    return image_;
}

GraphPanel::GraphPanel(SharedState &state, Platform &platform, QWidget *hub)
    : QFrame(hub)
    , state_(state)
    , platform_(platform)
    , chooser_(showPrintDialog)
{
    build();
    hide();
}

void GraphPanel::setTeacher(bool teacher)
{
    printButton_->setVisible(teacher);
}

const QImage &GraphPanel::surfaceImage() const
{
    return canvas_->image();
}

void GraphPanel::fillLists()
{
    const QSignalBlocker blockPupils(pupilList_);
    const QSignalBlocker blockLevels(levelList_);
    pupilList_->clear();
    const int listed = std::clamp(state_.ListedPupilCount, 0, kMaxPupil);
    for (int k = 1; k <= listed; ++k) {
        const int p = state_.ListedPupils[k];
        if (p < 1 || p > kMaxPupil)
            continue;
        pupilList_->addItem(state_.RosterGradeLabel[p] + QStringLiteral(" /  ") + trimBlanks(state_.RosterName[p])
            + QLatin1Char('/') + QString::number(p));
    }
    levelList_->clear();
    // A row is the level's number; a screen reader also reads the level's
    // name, which the number alone does not say.
    for (int level = 1; level <= std::clamp(int(state_.LevelCount), 0, kMaxLevel); ++level) {
        auto *row = new QListWidgetItem(QString::number(level), levelList_);
        row->setData(Qt::AccessibleDescriptionRole, state_.LevelName[size_t(level)]);
    }
}

void GraphPanel::openGraphs()
{
    GraphPupil = state_.PupilNumber;
    fillLists();
    pupilList_->hide();
    otherPupilsButton_->show();
    {
        const QSignalBlocker blockPupils(pupilList_);
        const QSignalBlocker blockLevels(levelList_);
        pupilList_->clearSelection();
        levelList_->clearSelection();
        for (int row = 0; row < 3 && row < levelList_->count(); ++row)
            levelList_->item(row)->setSelected(true);
        if (levelList_->count() > 0)
            levelList_->setCurrentRow(0, QItemSelectionModel::NoUpdate);
    }
    GraphFontSize = kGraphFontSize;
    show();
    raise();
    drawPupil(GraphOutput::Screen);
    levelList_->setFocus();
}

void GraphPanel::showPupilList()
{
    otherPupilsButton_->hide();
    pupilList_->show();
    pupilList_->scrollToTop();
    pupilList_->setFocus();
}

void GraphPanel::redrawForPupils()
{
    drawChosenPupils(GraphOutput::Screen);
}

void GraphPanel::redrawForLevels()
{
    if (isVisible())
        drawChosenPupils(GraphOutput::Screen);
}

std::vector<int> GraphPanel::chosenPupils() const
{
    std::vector<int> pupils;
    for (int row = 0; row < pupilList_->count(); ++row) {
        if (pupilList_->item(row)->isSelected())
            pupils.push_back(pupilOfRow(pupilList_->item(row)->text()));
    }
    // Nobody chosen in the list: the pupil whose graphs are showing, so that
    // choosing levels or "印刷" right after "グラフ" acts on what is seen.
    if (pupils.empty())
        pupils.push_back(GraphPupil);
    return pupils;
}

void GraphPanel::drawChosenPupils(GraphOutput output)
{
    if (drawing_ || printing_)
        return;
    const std::vector<int> pupils = chosenPupils();
    if (output == GraphOutput::Paper) {
        printPupils(pupils);
        return;
    }
    for (const int pupil : pupils) {
        GraphPupil = pupil;
        drawPupil(GraphOutput::Screen);
    }
}

void GraphPanel::closeGraphs()
{
    hide();
    // The hub's "グラフ", found by its object name.
    if (auto *graphButton = parentWidget()->findChild<QPushButton *>(QStringLiteral("Command17")))
        graphButton->setFocus();
}

QString GraphPanel::gradeFilter() const
{
    // The hub's grade filter, found by its object name.
    if (const auto *combo = parentWidget()->findChild<QComboBox *>(QStringLiteral("Combo1")))
        return combo->currentText();
    return state_.GradeFilter;
}

bool GraphPanel::loadRecords(QString *error)
{
    auto records = readResultRecordsWaiting(
        resultsFilePath(state_), platform_.clock, platform_.notice,
        [this](qint64 count) { return recordsFirst_ = firstRecordToRead(RunList::OnePupil, int(count)); }, error);
    if (!records)
        return false;
    records_ = std::move(*records);
    return true;
}

void GraphPanel::printPupils(const std::vector<int> &pupils)
{
    if (drawing_ || printing_ || pupils.empty())
        return;
    printing_ = true;
    const auto done = qScopeGuard([this] { printing_ = false; });
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
    printer.setDocName(state_.ProgramName + QStringLiteral(" グラフ"));
    printer.setCreator(state_.ProgramName);
    if (!chooser_(printer, this))
        return;

    QString error;
    if (!loadRecords(&error)) {
        QMessageBox::warning(
            this, QStringLiteral("グラフの印刷"), QStringLiteral("成績ファイルを読めません：%1").arg(error));
        return;
    }
    QPainter painter;
    if (!painter.begin(&printer)) {
        const QString where = printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName();
        QMessageBox::warning(
            this, QStringLiteral("グラフの印刷"), QStringLiteral("印刷を始められません：%1").arg(where));
        return;
    }
    painter_ = &painter;
    printer_ = &printer;
    for (size_t i = 0; i < pupils.size(); ++i) {
        if (i > 0)
            printer.newPage();
        GraphPupil = pupils[i];
        drawPupil(GraphOutput::Paper);
    }
    painter_ = nullptr;
    printer_ = nullptr;
    // Ending the painter sends the document.
    if (!painter.end() || printer.printerState() == QPrinter::Error) {
        const QString where = printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName();
        QMessageBox::warning(
            this, QStringLiteral("グラフの印刷"), QStringLiteral("印刷できませんでした：%1").arg(where));
    }
}

void GraphPanel::drawPupil(GraphOutput output)
{
    if (drawing_)
        return;
    if (output == GraphOutput::Paper && !printer_) {
        // Paper without a print job under way: a job of this pupil alone.
        printPupils({ GraphPupil });
        return;
    }
    drawing_ = true;
    GraphToPrinter = output == GraphOutput::Paper ? 1 : 0;

    QPainter screenPainter;
    if (GraphToPrinter == 0) {
        surface_ = GraphSurface { QSizeF(canvas_->image().size()), 96, false };
        screenPainter.begin(&canvas_->image());
        painter_ = &screenPainter;
        painter_->fillRect(canvas_->image().rect(), Qt::white);
        clearStripReaders();
    } else {
        surface_ = GraphSurface { QSizeF(printer_->width(), printer_->height()), double(printer_->resolution()), true };
    }
    show();
    raise();

    QString error;
    if (!loadRecords(&error)) {
        painter_->setPen(Qt::black);
        painter_->setFont(graphFont(surface_, 2 * GraphFontSize));
        painter_->drawText(QRectF(QPointF(0, 0), surface_.size).adjusted(20, 20, -20, -20),
            Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, QStringLiteral("成績ファイルを読めません：%1").arg(error));
    } else {
        std::vector<int> levels;
        for (int row = 0; row < levelList_->count(); ++row) {
            if (levelList_->item(row)->isSelected())
                levels.push_back(row + 1);
        }
        const std::vector<StripPlace> places = stripPlaces(int(levels.size()), surface_.height());
        for (size_t i = 0; i < levels.size(); ++i) {
            if (places[i].newPageFirst) {
                if (GraphToPrinter == 1)
                    printer_->newPage();
                else {
                    painter_->fillRect(canvas_->image().rect(), Qt::white);
                    clearStripReaders();
                }
            }
            StripTop = places[i].top;
            GraphLevel = levels[i];
            findTimeRank();
            findPointsStanding();
            drawStrip();
        }
    }

    if (GraphToPrinter == 0) {
        screenPainter.end();
        painter_ = nullptr;
        canvas_->update();
    }
    drawing_ = false;
}

void GraphPanel::rankLevel(int m)
{
    if (m != 1 && m != 2)
        return;
    rankings_[size_t(m)] = buildLevelRanking(
        state_, GraphLevel, m == 1 ? RankingOrder::BestTime : RankingOrder::TotalPoints, gradeFilter());
    rankingRows_[m]->setStringList(rankings_[size_t(m)].rows);
}

void GraphPanel::findTimeRank()
{
    if (GraphLevel < 1 || GraphLevel > kMaxLevel)
        return;
    rankLevel(1);
    standings_[size_t(GraphLevel)].timeRank = levelStanding(rankings_[1], LevelRanking {}, GraphPupil).timeRank;
}

void GraphPanel::findPointsStanding()
{
    if (GraphLevel < 1 || GraphLevel > kMaxLevel)
        return;
    LevelStanding &standing = standings_[size_t(GraphLevel)];
    rankLevel(2);
    const LevelStanding points = levelStanding(LevelRanking {}, rankings_[2], GraphPupil);
    standing.pointsRank = points.pointsRank;
    standing.pupilPoints = points.pupilPoints;
    standing.pointPupils = points.pointPupils;
    standing.pointSum = points.pointSum;
}

void GraphPanel::drawStrip()
{
    if (!painter_ || GraphLevel < 1 || GraphLevel > kMaxLevel)
        return;
    state_.HubOrderOption = 3;
    // The hub's progress bar over the lists, found by its object name.
    auto *progressBar = parentWidget()->findChild<QProgressBar *>(QStringLiteral("ProgressBar2"));
    const int recordCount = recordsFirst_ + int(records_.size()) - 1;
    if (progressBar) {
        progressBar->setRange(0, listProgressMaximum(std::max(recordCount, 0)));
        progressBar->setValue(0);
    }
    const auto progress = [progressBar](int number) {
        if (progressBar)
            progressBar->setValue(std::min(number, progressBar->maximum()));
    };
    StripPicture picture;
    picture.data = collectStrip(
        state_, records_, recordsFirst_, platform_.clock.today(), GraphLevel, GraphPupil, gradeFilter(), progress);
    GraphRunCount = picture.data.runCount;
    GraphTimeMax = picture.data.timeMax;
    show();
    raise();

    StripFigures figures;
    figures.runCount = picture.data.runCount;
    figures.runTimeSum = picture.data.runTimeSum;
    if (!picture.data.personalBests.empty())
        figures.bestTime = picture.data.plotted[picture.data.personalBests.back()].seconds;
    figures.schoolBest = picture.data.schoolBest;
    figures.schoolRunCount = picture.data.schoolRunCount;
    figures.schoolTimeSum = picture.data.schoolTimeSum;
    figures.standing = standings_[size_t(GraphLevel)];
    picture.statistics = graphStatisticsLines(figures);
    picture.title = state_.LevelName[size_t(GraphLevel)] + QLatin1Char(' ') + state_.ProgramName;
    picture.targetTime = state_.TargetTime[size_t(GraphLevel)];
    if (GraphPupil >= 1 && GraphPupil <= kMaxPupil) {
        picture.pupilName = trimBlanks(state_.RosterName[GraphPupil]);
        // Paper leaves the panel: the page says which pupil of that name it
        // is, of which school, and when it was printed.
        if (GraphToPrinter == 1) {
            QStringList header;
            if (!state_.RosterGradeLabel[GraphPupil].trimmed().isEmpty())
                header << state_.RosterGradeLabel[GraphPupil].trimmed();
            header << QStringLiteral("番号 %1").arg(GraphPupil);
            if (!state_.SchoolName.trimmed().isEmpty())
                header << state_.SchoolName.trimmed();
            header << QStringLiteral("印刷日 ") + platform_.clock.today().toString(QStringLiteral("yyyy/MM/dd"));
            picture.pageHeader = header.join(QStringLiteral("　"));
        }
    }
    drawGraphStrip(*painter_, surface_, StripTop, picture);
    if (GraphToPrinter == 0)
        describeStrip(picture);
}

void GraphPanel::clearStripReaders()
{
    for (QWidget *reader : stripReaders_)
        reader->hide();
    stripsOnSurface_ = 0;
}

void GraphPanel::describeStrip(const StripPicture &picture)
{
    if (stripsOnSurface_ >= stripReaders_.size())
        return;
    QWidget *reader = stripReaders_[stripsOnSurface_++];
    reader->setGeometry(QRectF(0, StripTop, surface_.width(), 0.3 * surface_.height()).toRect());
    reader->setAccessibleName(QStringLiteral("グラフ ") + picture.title);
    reader->setAccessibleDescription(stripSummary(picture.title, picture.data, picture.targetTime));
    reader->show();
}

void GraphPanel::keyPressEvent(QKeyEvent *event)
{
    // Esc leaves the graphs as "戻る" does.
    if (event->key() == Qt::Key_Escape) {
        closeGraphs();
        return;
    }
    QFrame::keyPressEvent(event);
}

bool GraphPanel::eventFilter(QObject *watched, QEvent *event)
{
    // Pupils press a focused button with Enter as well as with space.
    if (event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        auto *button = qobject_cast<QPushButton *>(watched);
        if (button && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && !key->isAutoRepeat()) {
            button->click();
            return true;
        }
    }
    return QFrame::eventFilter(watched, event);
}
