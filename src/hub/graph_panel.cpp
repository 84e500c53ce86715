// SPDX-License-Identifier: MIT
#include "hub/graph_panel.h"
#include "hub/listings.h"
#include "platform/blank_trim.h"
#include "platform/clock.h"
#include "platform/layout.h"
#include "platform/platform.h"
#include "results/results_file.h"
#include "state/shared_state.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
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

const QColor kPanelColour(224, 224, 224);

QPushButton *makeButton(QWidget *parent, const QString &name, const QString &caption)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setFont(layoutFont(kGothicProportional, 11, true));
    return button;
}

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
    setObjectName(QStringLiteral("Picture11"));
    build();
    hide();
}

void GraphPanel::build()
{
    placeTwips(this, 0, 1380, 15360, 10140);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setColours(this, kPanelColour);

    Picture12 = new GraphCanvas(this);
    Picture12->setObjectName(QStringLiteral("Picture12"));
    Picture12->setAccessibleName(QStringLiteral("グラフ"));
    Picture12->setAccessibleDescription(QStringLiteral("選んだレベルごとのタイムの移り変わりと成績"));
    placeTwips(Picture12, 150, 90, 12450, 9960);

    auto *levelsCaption = new QLabel(QStringLiteral("レベル（いくつでも）"), this);
    levelsCaption->setObjectName(QStringLiteral("GraphLevelsCaption"));
    levelsCaption->setFont(layoutFont(kGothicProportional, 10.5, true));
    placeTwips(levelsCaption, 12750, 90, 2460, 330);

    List3 = new QListWidget(this);
    List3->setObjectName(QStringLiteral("List3"));
    List3->setAccessibleName(QStringLiteral("グラフにするレベル"));
    List3->setFont(layoutFont(kGothicFixed, 11.25));
    List3->setSelectionMode(QAbstractItemView::MultiSelection);
    placeTwips(List3, 12750, 420, 2460, 2100);
    connect(List3, &QListWidget::itemSelectionChanged, this, &GraphPanel::List3_Click);

    const QString captions[2] = { QStringLiteral("表示"), QStringLiteral("印刷") };
    for (int i = 0; i < 2; ++i) {
        Command24[i] = makeButton(this, QStringLiteral("Command24_%1").arg(i), captions[i]);
        placeTwips(Command24[i], 12750 + i * 1275, 2610, 1185, 480);
        connect(Command24[i], &QPushButton::clicked, this, [this, i] { Command24_Click(i); });
        Command24[i]->installEventFilter(this);
    }
    Command24[1]->hide();

    Command25 = makeButton(this, QStringLiteral("Command25"), QStringLiteral("他の人のデータを見る"));
    placeTwips(Command25, 12750, 3210, 2460, 480);
    connect(Command25, &QPushButton::clicked, this, &GraphPanel::Command25_Click);
    Command25->installEventFilter(this);

    List2 = new QListWidget(this);
    List2->setObjectName(QStringLiteral("List2"));
    List2->setAccessibleName(QStringLiteral("グラフを見る人"));
    List2->setFont(layoutFont(kGothicFixed, 11.25));
    List2->setSelectionMode(QAbstractItemView::ExtendedSelection);
    placeTwips(List2, 12750, 3210, 2460, 5850);
    List2->hide();
    connect(List2, &QListWidget::itemSelectionChanged, this, &GraphPanel::List2_Click);

    Command18 = makeButton(this, QStringLiteral("Command18"), QStringLiteral("戻る"));
    placeTwips(Command18, 12750, 9300, 2460, 600);
    connect(Command18, &QPushButton::clicked, this, &GraphPanel::Command18_Click);
    Command18->installEventFilter(this);

    // The rankings behind the figures; never shown.
    for (int m = 1; m <= 2; ++m) {
        List4[m] = new QListView(this);
        rankingRows_[m] = new QStringListModel(List4[m]);
        List4[m]->setModel(rankingRows_[m]);
        List4[m]->setObjectName(QStringLiteral("List4_%1").arg(m));
        List4[m]->setAccessibleName(m == 1 ? QStringLiteral("タイムの順位") : QStringLiteral("ポイントの順位"));
        List4[m]->hide();
    }
}

void GraphPanel::setTeacher(bool teacher)
{
    Command24[1]->setVisible(teacher);
}

const QImage &GraphPanel::surfaceImage() const
{
    return Picture12->image();
}

void GraphPanel::fillLists()
{
    const QSignalBlocker blockPupils(List2);
    const QSignalBlocker blockLevels(List3);
    List2->clear();
    const int listed = std::clamp(state_.ListedPupilCount, 0, kMaxPupil);
    for (int k = 1; k <= listed; ++k) {
        const int p = state_.ListedPupils[k];
        if (p < 1 || p > kMaxPupil)
            continue;
        List2->addItem(state_.RosterGradeLabel[p] + QStringLiteral(" /  ") + trimBlanks(state_.RosterName[p])
            + QLatin1Char('/') + QString::number(p));
    }
    List3->clear();
    for (int level = 1; level <= std::clamp(int(state_.LevelCount), 0, kMaxLevel); ++level)
        List3->addItem(QString::number(level) + QLatin1Char(' ') + state_.LevelName[size_t(level)]);
}

void GraphPanel::Command17_Click()
{
    GraphPupil = state_.PupilNumber;
    fillLists();
    List2->hide();
    Command25->show();
    {
        const QSignalBlocker blockPupils(List2);
        const QSignalBlocker blockLevels(List3);
        List2->clearSelection();
        List3->clearSelection();
        for (int row = 0; row < 3 && row < List3->count(); ++row)
            List3->item(row)->setSelected(true);
        if (List3->count() > 0)
            List3->setCurrentRow(0, QItemSelectionModel::NoUpdate);
    }
    GraphFontSize = kGraphFontSize;
    show();
    raise();
    Command21_Click(0);
    List3->setFocus();
}

void GraphPanel::Command25_Click()
{
    Command25->hide();
    List2->show();
    List2->scrollToTop();
    List2->setFocus();
}

void GraphPanel::List2_Click()
{
    Command24_Click(0);
}

void GraphPanel::List3_Click()
{
    if (isVisible())
        Command24_Click(0);
}

std::vector<int> GraphPanel::chosenPupils() const
{
    std::vector<int> pupils;
    for (int row = 0; row < List2->count(); ++row) {
        if (List2->item(row)->isSelected())
            pupils.push_back(pupilOfRow(List2->item(row)->text()));
    }
    // Nobody chosen in the list: the pupil whose graphs are showing, so that
    // choosing levels or "印刷" right after "グラフ" acts on what is seen.
    if (pupils.empty())
        pupils.push_back(GraphPupil);
    return pupils;
}

void GraphPanel::Command24_Click(int index)
{
    if (drawing_ || printing_)
        return;
    const std::vector<int> pupils = chosenPupils();
    if (index == 1) {
        printPupils(pupils);
        return;
    }
    for (const int pupil : pupils) {
        GraphPupil = pupil;
        Command21_Click(0);
    }
}

void GraphPanel::Command18_Click()
{
    hide();
    if (auto *graphButton = parentWidget()->findChild<QPushButton *>(QStringLiteral("Command17")))
        graphButton->setFocus();
}

QString GraphPanel::gradeFilter() const
{
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
        Command21_Click(1);
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

void GraphPanel::Command21_Click(int index)
{
    if (drawing_)
        return;
    if (index == 1 && !printer_) {
        // Paper without a print job under way: a job of this pupil alone.
        printPupils({ GraphPupil });
        return;
    }
    drawing_ = true;
    GraphToPrinter = index == 1 ? 1 : 0;

    QPainter screenPainter;
    if (GraphToPrinter == 0) {
        surface_ = GraphSurface { QSizeF(Picture12->image().size()), 96, false };
        screenPainter.begin(&Picture12->image());
        painter_ = &screenPainter;
        painter_->fillRect(Picture12->image().rect(), Qt::white);
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
        for (int row = 0; row < List3->count(); ++row) {
            if (List3->item(row)->isSelected())
                levels.push_back(row + 1);
        }
        const std::vector<StripPlace> places = stripPlaces(int(levels.size()), surface_.height());
        for (size_t i = 0; i < levels.size(); ++i) {
            if (places[i].newPageFirst) {
                if (GraphToPrinter == 1)
                    printer_->newPage();
                else
                    painter_->fillRect(Picture12->image().rect(), Qt::white);
            }
            StripTop = places[i].top;
            GraphLevel = levels[i];
            Command23_Click(1);
            Command23_Click(0);
            Command19_Click();
        }
    }

    if (GraphToPrinter == 0) {
        screenPainter.end();
        painter_ = nullptr;
        Picture12->update();
    }
    drawing_ = false;
}

void GraphPanel::Command22_Click(int m)
{
    if (m != 1 && m != 2)
        return;
    rankings_[size_t(m)] = buildLevelRanking(
        state_, GraphLevel, m == 1 ? RankingOrder::BestTime : RankingOrder::TotalPoints, gradeFilter());
    rankingRows_[m]->setStringList(rankings_[size_t(m)].rows);
}

void GraphPanel::Command23_Click(int index)
{
    if (GraphLevel < 1 || GraphLevel > kMaxLevel)
        return;
    LevelStanding &standing = standings_[size_t(GraphLevel)];
    if (index == 1) {
        Command22_Click(1);
        standing.timeRank = levelStanding(rankings_[1], LevelRanking {}, GraphPupil).timeRank;
    } else {
        Command22_Click(2);
        const LevelStanding points = levelStanding(LevelRanking {}, rankings_[2], GraphPupil);
        standing.pointsRank = points.pointsRank;
        standing.pupilPoints = points.pupilPoints;
        standing.pointPupils = points.pointPupils;
        standing.pointSum = points.pointSum;
    }
}

void GraphPanel::Command19_Click()
{
    if (!painter_ || GraphLevel < 1 || GraphLevel > kMaxLevel)
        return;
    state_.HubOrderOption = 3;
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
    if (GraphPupil >= 1 && GraphPupil <= kMaxPupil)
        picture.pupilName = trimBlanks(state_.RosterName[GraphPupil]);
    drawGraphStrip(*painter_, surface_, StripTop, picture);
}

void GraphPanel::keyPressEvent(QKeyEvent *event)
{
    // Esc leaves the graphs as "戻る" does.
    if (event->key() == Qt::Key_Escape) {
        Command18_Click();
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
