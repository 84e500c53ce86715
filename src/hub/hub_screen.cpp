// SPDX-License-Identifier: MIT
// The handler half of the results hub: the screen refresh, the level
// starts, the keys, the view and ordering options and the list builds. The
// widgets are built in hub_layout.cpp.
//
// Re-entrancy. Many handlers let events run (letEventsRun while a wait
// panel is painted, the one-second waits for a busy or forbidden results
// file), so another handler can run before the first returns:
//  - RefreshDone is 0 while the refresh runs and once a run is starting;
//    keys are ignored then, so a key cannot start a level twice or start
//    one under a refresh.
//  - SuppressViewChange is 1 while the refresh selects the view options,
//    so the view handler does only its first step.
//  - passwordPanelShowing() keeps the start buttons and level names from
//    starting a run while the password panel is open.
//  - Every list build disables "戻る(0)" and the start buttons and shows the
//    list wait panel first, so no click reaches a half-built list.
//  - The hub itself may be closed by the navigator inside a pump only on a
//    path that leaves it (a run start, "戻る(0)"); those handlers return right
//    after handing over.
#include "hub/hub_screen.h"
#include "drill/run_control.h"
#include "hub/graph_panel.h"
#include "hub/hub_layout.h"
#include "hub/list_choice.h"
#include "hub/listings.h"
#include "hub/password_panel.h"
#include "hub/rankings.h"
#include "platform/blank_trim.h"
#include "platform/clickable_label.h"
#include "platform/clock.h"
#include "platform/events.h"
#include "platform/layout.h"
#include "platform/number_text.h"
#include "platform/platform.h"
#include "results/counts.h"
#include "results/results_file.h"
#include "roster/grade_rules.h"
#include "roster/roster_file.h"
#include "state/level_table.h"
#include "state/navigator.h"
#include "state/shared_state.h"
#include "state/sign_in.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <cmath>
#include <limits>

using namespace hublayout;

HubScreen::HubScreen(SharedState &state, Platform &platform, Navigator &navigator, QWidget *parent)
    : QWidget(parent)
    , state_(state)
    , platform_(platform)
    , navigator_(navigator)
{
    setObjectName(QStringLiteral("seisekitime1"));
    setWindowTitle(state_.ProgramName);
    setFixedSize(twips(kFormWidth), twips(kFormHeight));
    setUp();
    qApp->installEventFilter(this);
}

HubScreen::~HubScreen()
{
    qApp->removeEventFilter(this);
}

void HubScreen::setUp()
{
    RefreshDone = 0;
    SuppressViewChange = 0;
    state_.ResultPeriod = 3;
    setColours(this, state_.SeasonColour);

    buildScreen();

    // The teachers' password panel and the graph panel lie over the
    // lists; "データ処理" and "グラフ" open them.
    passwordPanel_ = new PasswordPanel(state_, navigator_, this);
    graphPanel_ = new GraphPanel(state_, platform_, this);
    connect(graphButton_, &QPushButton::clicked, graphPanel_, &GraphPanel::openGraphs);

    // Each level's standing within its judgment period, and its criteria.
    for (int i = 1; i <= state_.LevelCount; ++i) {
        Column &c = columns_[size_t(i)];
        c.periodStanding->setText(QStringLiteral("最近%1日=%2回 / %3点")
                                      .arg(state_.JudgePeriodDays[size_t(i)].toText())
                                      .arg(state_.PeriodRunCount(i, state_.PupilNumber))
                                      .arg(state_.PeriodPoints(i, state_.PupilNumber)));
        const size_t s = size_t(i);
        if (!state_.CriteriaOutOfRange[s].isEmpty()) {
            c.criteria->setText(QStringLiteral("合格タイムデータに誤り"));
            c.criteria->setToolTip(state_.CriteriaOutOfRange[s]);
            c.criteria->setAccessibleDescription(
                QStringLiteral("このレベルは始められません：") + state_.CriteriaOutOfRange[s]);
        } else if (state_.ClearPoints[s] == kNoClearCriterion) {
            c.criteria->setText(QStringLiteral("目標=%1秒 --------").arg(state_.TargetTime[s]));
        } else {
            c.criteria->setText(QStringLiteral("目標=%1秒 %2回/%3点(×%4)")
                                    .arg(state_.TargetTime[s])
                                    .arg(state_.ClearCount[s])
                                    .arg(state_.ClearPoints[s])
                                    .arg(numtext::formatSingle(state_.PointMultiplier[s])));
        }
    }
}

void HubScreen::hidePanelsOfLevel(Column &c)
{
    // A practice level shows only its name and start button.
    for (QWidget *w : std::initializer_list<QWidget *> { c.resultsList, c.criteria, c.periodStanding, c.todayFigure,
             c.allTimeFigure, c.todayHeading, c.allTimeHeading })
        w->hide();
}

QLabel *HubScreen::levelName(int level) const
{
    return columns_[size_t(level)].name;
}

void HubScreen::onShown()
{
    // 1. Teachers get the data button; keys wait for the refresh.
    dataButton_->setVisible(isTeacher(state_.PupilName));
    graphPanel_->setTeacher(isTeacher(state_.PupilName));
    RefreshDone = 0;

    // 2. Minutes since sign-in.
    minutesLabel_->setText(QStringLiteral("起動後%1分")
                               .arg(minutesSinceSignIn(platform_.clock.secondsSinceMidnight(), state_.SignInTime)));

    // 3. Cover the screen while counting.
    waitPanel_->setGeometry(0, 0, width(), waitPanel_->height());
    waitPanel_->show();
    waitPanel_->raise();
    letEventsRun();
    const OrderCaptions refreshCaptions = refreshOrderCaptions();
    orderOptions_[1]->setText(refreshCaptions.option1);
    orderOptions_[2]->setText(refreshCaptions.option2);

    // 4. Name selection goes; the counts are rebuilt.
    navigator_.closeNameSelection();
    if (!回数求(state_, platform_))
        return;

    // 5. Today's total.
    state_.TodayRunTotal = todaysRunTotal(state_, state_.PupilNumber);
    todayTotalLabel_->setText(QStringLiteral("本日総回数＝%1回").arg(state_.TodayRunTotal));
    waitProgress_->setMaximum(std::max<int>(state_.LevelCount, 1));

    // 6. Points view, cumulative order; the view handler does only its
    // common first step here.
    ListMode = 2;
    state_.HubOrderOption = 1;
    SuppressViewChange = 1;
    if (orderOptions_[state_.HubOrderOption]->isChecked())
        chooseOrdering(state_.HubOrderOption);
    else
        orderOptions_[state_.HubOrderOption]->setChecked(true);
    chooseView(1);
    {
        const QSignalBlocker block(viewOptions_[1]);
        viewOptions_[1]->setChecked(true);
    }
    backButton_->setEnabled(true);
    SuppressViewChange = 0;

    // 7. Practice levels are timed against 600 s; the others show lists.
    for (int i = 1; i <= state_.LevelCount; ++i) {
        if (isPracticeLevelName(columns_[size_t(i)].name->text())) {
            state_.TargetTime[size_t(i)] = 600;
            state_.PassLineTime[size_t(i)] = 600;
        } else {
            showResultsList(i);
        }
    }
    listWaitPanel_->hide();

    // 8. Who is signed in.
    pupilLabel_->setText(state_.PupilGradeLabel + QLatin1Char(' ') + trimBlanks(state_.PupilName));
    schoolLabel_->setText(state_.SchoolName + QLatin1Char(':') + QString::number(state_.PupilNumber));
    programLabel_->setText(state_.ProgramName);
    programLabel_->setFont(layoutFont(kGothicProportional, state_.ProgramName.size() > 9 ? 20 : 24, true));

    // 9. Back to the remembered column.
    if (state_.HubFirstColumn == 0)
        state_.HubFirstColumn = 1;
    if (state_.HubFirstColumn > columnScroll_->maximum())
        state_.HubFirstColumn = 1;
    {
        const QSignalBlocker block(columnScroll_);
        columnScroll_->setValue(state_.HubFirstColumn);
    }
    scrollColumns();

    // 10. Figures of each level.
    for (int i = 1; i <= state_.LevelCount; ++i) {
        Column &c = columns_[size_t(i)];
        setColours(c.criteria, greyCaption());
        setColours(c.periodStanding, greyCaption());
        if (isPracticeLevelName(state_.LevelName[size_t(i)])) {
            hidePanelsOfLevel(c);
        }
        const int pupil = state_.PupilNumber;
        if (state_.TotalRunCount(i, pupil) != 0)
            c.allTimeFigure->setText(
                QStringLiteral("%1回/%2点").arg(state_.TotalRunCount(i, pupil)).arg(state_.TotalPoints(i, pupil)));
        else
            c.allTimeFigure->setText(QStringLiteral("------"));
        if (state_.TodayRunCount(i, pupil) != 0)
            c.todayFigure->setText(numtext::formatSingle(state_.TodayRunCount(i, pupil)) + QStringLiteral("回/")
                + QString::number(state_.TodayPoints(i, pupil)) + QStringLiteral("点"));
        else
            c.todayFigure->setText(QStringLiteral("-----"));
    }

    // 11. Which levels may start.
    for (int i = 1; i <= state_.LevelCount; ++i)
        gates_.enabled[size_t(i)] = false;
    enableLevels();

    // 12. Ready.
    waitPanel_->hide();
    waitProgress_->hide();
    letEventsRun();
    RefreshDone = 1;
}

void HubScreen::enableLevels()
{
    for (int i = 1; i <= state_.LevelCount; ++i)
        gates_.enabled[size_t(i)] = columns_[size_t(i)].startButton->isEnabled();
    applyGates(levelEnablingPass(state_, gates_));
    listWaitPanel_->lower();
}

void HubScreen::applyGates(const LevelGates &gates)
{
    gates_ = gates;
    for (int i = 1; i <= state_.LevelCount; ++i) {
        Column &c = columns_[size_t(i)];
        c.startButton->setEnabled(gates.enabled[size_t(i)]);
        if (gates.overPractised[size_t(i)]) {
            c.overPracticeNotice->setText(QStringLiteral("やりすぎ禁止"));
            c.overPracticeNotice->raise();
            c.overPracticeNotice->show();
        } else {
            c.overPracticeNotice->hide();
        }
    }
}

void HubScreen::scrollColumns()
{
    state_.HubFirstColumn = columnScroll_->value();
    if (state_.HubFirstColumn > state_.LevelCount)
        state_.HubFirstColumn = 1;
    const int cw = int(std::lround(ColumnWidth));
    const int numberWidth = int(std::lround(0.2 * ColumnWidth));
    for (int i = 1; i <= state_.LevelCount; ++i) {
        Column &c = columns_[size_t(i)];
        int left = (i - state_.HubFirstColumn) * cw + leftMargin_;
        if (left < 0)
            left = kFormWidth;
        for (QWidget *w : std::initializer_list<QWidget *> { c.resultsList, c.startButton, c.overPracticeNotice,
                 c.number, c.criteria, c.periodStanding, c.todayHeading, c.todayFigure })
            w->move(twips(left), w->y());
        c.name->move(twips(left + numberWidth), c.name->y());
        c.allTimeHeading->move(twips(left + cw / 2), c.allTimeHeading->y());
        c.allTimeFigure->move(twips(left + cw / 2), c.allTimeFigure->y());
    }
}

bool HubScreen::passwordPanelShowing() const
{
    return passwordPanel_ && !passwordPanel_->isHidden();
}

void HubScreen::startLevel(int level)
{
    if (passwordPanelShowing() || level < 1 || level > state_.LevelCount
        || !columns_[size_t(level)].startButton->isEnabled())
        return;
    waitPanel_->raise();
    waitPanel_->show();
    state_.CurrentLevel = std::int16_t(level);
    letEventsRun();
    RefreshDone = 0;
    StartDrill(state_, navigator_);
}

void HubScreen::startLevelFromName(int level)
{
    if (passwordPanelShowing() || level < 1 || level > state_.LevelCount
        || !columns_[size_t(level)].startButton->isEnabled())
        return;
    state_.CurrentLevel = std::int16_t(level);
    RefreshDone = 0;
    StartDrill(state_, navigator_);
    navigator_.closeHub();
}

void HubScreen::backToNameSelection()
{
    waitPanel_->raise();
    waitPanel_->show();
    letEventsRun();
    navigator_.showNameSelection();
}

void HubScreen::openPasswordPanel()
{
    passwordPanel_->open();
}

bool HubScreen::handleKey(const QString &key)
{
    // While the password panel shows, keys are the password's characters.
    if (RefreshDone != 1 || passwordPanelShowing() || key.size() != 1)
        return false;
    // Over the graph panel a digit chooses nothing behind it.
    if (graphPanel_->isVisible())
        return false;
    const QChar k = key[0];
    int level = 0;
    if (k >= QLatin1Char('1') && k <= QLatin1Char('9'))
        level = k.digitValue();
    else if (k >= QLatin1Char('a') && k <= QLatin1Char('d'))
        level = 10 + (k.unicode() - 'a');
    if (level >= 1) {
        if (level == 1 || state_.LevelCount >= level) {
            startLevel(level);
            return true;
        }
        return false;
    }
    if (k == QLatin1Char('0') && backButton_->isEnabled()) {
        backToNameSelection();
        return true;
    }
    return false;
}

bool HubScreen::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        auto *widget = qobject_cast<QWidget *>(watched);
        if (widget && widget->window() == this && isVisible()) {
            auto *key = static_cast<QKeyEvent *>(event);
            // Alt+digit presses the start button through its mnemonic. A key
            // that started a level or left the hub is used up: it must not
            // also reach the focused control (a "1" typed into the grade
            // filter, a second press of a focused button).
            if (!(key->modifiers() & (Qt::AltModifier | Qt::ControlModifier)) && handleKey(key->text()))
                return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// --- lists and rankings ------------------------------------------------------

void HubScreen::hideListsAndStarts()
{
    backButton_->setEnabled(false);
    for (int i = 1; i <= state_.LevelCount; ++i) {
        columns_[size_t(i)].startButton->setEnabled(false);
        columns_[size_t(i)].resultsList->hide();
    }
}

void HubScreen::showListsOfTimedLevels()
{
    for (int i = 1; i <= state_.LevelCount; ++i) {
        if (!isPracticeLevelName(state_.LevelName[size_t(i)]))
            showResultsList(i);
    }
}

namespace {

// Columns a row takes in the fixed-pitch font: one for ASCII and half-width
// katakana, two for every other character.
int fixedPitchColumns(const QString &text)
{
    int columns = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        columns += (u < 0x80 || (u >= 0xFF61 && u <= 0xFF9F)) ? 1 : 2;
    }
    return columns;
}

} // namespace

void HubScreen::fitListFont()
{
    // One size for every list of a view, the layout's size where the rows
    // allow: the largest size, in quarter points, at which the widest row
    // fits the narrowest list beside its vertical scroll bar.
    int room = std::numeric_limits<int>::max();
    QStringList widestRows;
    int widestColumns = 0;
    for (int i = 1; i <= state_.LevelCount; ++i) {
        QListWidget *list = columns_[size_t(i)].resultsList;
        // The viewport beside the vertical scroll bar, less the margins the
        // style keeps around an item's text.
        const QStyle *style = list->style();
        room = std::min(room,
            list->width() - 2 * list->frameWidth() - style->pixelMetric(QStyle::PM_ScrollBarExtent)
                - 2 * (style->pixelMetric(QStyle::PM_FocusFrameHMargin) + 1));
        for (int row = 0; row < list->count(); ++row) {
            const QString text = list->item(row)->text();
            const int columns = fixedPitchColumns(text);
            if (columns > widestColumns) {
                widestColumns = columns;
                widestRows.clear();
            }
            if (columns == widestColumns && widestRows.size() < 8)
                widestRows << text;
        }
    }
    const auto widest = [&widestRows](const QFont &font) {
        const QFontMetrics metrics(font);
        int w = 0;
        for (const QString &text : widestRows)
            w = std::max(w, metrics.horizontalAdvance(text));
        return w;
    };
    double points = kListPoints;
    while (points > kSmallestListPoints && widest(layoutFont(kGothicFixed, points)) > room)
        points -= 0.25;
    const QFont font = layoutFont(kGothicFixed, points);
    for (int i = 1; i <= state_.LevelCount; ++i)
        columns_[size_t(i)].resultsList->setFont(font);
}

void HubScreen::showResultsList(int level)
{
    // A list is rebuilt while hidden, where it can neither lay out its rows
    // nor scroll; shown again, it starts at its top, and only the signed-in
    // pupil's row of a ranking may move it.
    Column &c = columns_[size_t(level)];
    c.resultsList->show();
    c.resultsList->scrollToTop();
    const int ownRow = c.ownRow;
    if (ownRow >= 0 && ownRow < c.resultsList->count())
        c.resultsList->scrollToItem(c.resultsList->item(ownRow), QAbstractItemView::EnsureVisible);
}

void HubScreen::resetLevelPanels()
{
    for (int i = 1; i <= state_.LevelCount; ++i) {
        Column &c = columns_[size_t(i)];
        c.todayHeading->setText(QString::fromUtf16(kTodayHeading));
        c.allTimeHeading->setText(QString::fromUtf16(kAllTimeHeading));
        c.resultsList->clear();
    }
}

void HubScreen::chooseView(int view)
{
    graphButton_->hide();
    graphPanel_->hide();
    hideListsAndStarts();
    listWaitPanel_->show();
    listWaitPanel_->raise();
    letEventsRun();
    if (SuppressViewChange == 1)
        return;

    if (view == 0) {
        const OrderCaptions captions = orderCaptions(ListView::Time);
        orderOptions_[1]->setText(captions.option1);
        orderOptions_[2]->setText(captions.option2);
        orderOptions_[3]->show();
        ListMode = 1;
        for (int i = 1; i <= 3; ++i) {
            if (orderOptions_[i]->isChecked()) {
                chooseOrdering(i);
                break;
            }
        }
    } else if (view == 1) {
        periodChoice_->hide();
        const OrderCaptions captions = orderCaptions(ListView::Points);
        orderOptions_[1]->setText(captions.option1);
        orderOptions_[2]->setText(captions.option2);
        orderOptions_[3]->setText(captions.option3);
        orderOptions_[3]->show();
        ListMode = 2;
        letEventsRun();
        if (orderOptions_[1]->isChecked()) {
            PointOrder = 1;
            chooseOrdering(1);
        } else if (orderOptions_[3]->isChecked()) {
            chooseOrdering(3);
        } else if (orderOptions_[2]->isChecked()) {
            PointOrder = 2;
            chooseOrdering(2);
        }
    } else {
        graphButton_->show();
        periodChoice_->hide();
        listOwnRuns();
    }
}

void HubScreen::chooseOrdering(int option)
{
    hideListsAndStarts();
    listWaitPanel_->show();
    listWaitPanel_->raise();
    periodChoice_->hide();
    orderBar_->setEnabled(false);
    letEventsRun();
    const HubListChoice choice = listForOrdering(ListMode, PointOrder, option);
    state_.ListKind = choice.listKind;
    switch (choice.list) {
    case HubList::BestTimes:
        rankBestTimes();
        break;
    case HubList::TodayRuns:
        listTodayRuns();
        break;
    case HubList::PeriodRuns:
        listPeriodRuns();
        break;
    case HubList::TotalPointsRanking:
        listTitle_->setText(QStringLiteral("獲得ポイント（今まで順位）"));
        rankEveryLevel(RankingOrder::TotalPoints);
        break;
    case HubList::TodayPointsRanking:
        listTitle_->setText(QStringLiteral("獲得ポイント（今日の順位）"));
        rankEveryLevel(RankingOrder::TodayPoints);
        break;
    case HubList::OnePupilRuns:
        listOwnRuns();
        break;
    }

    backButton_->setEnabled(true);
    // The ordering options stay usable after every build; left disabled
    // after a points ranking, "合計本日" could never be chosen.
    orderBar_->setEnabled(true);
    enableLevels();
    showListsOfTimedLevels();
    listWaitPanel_->hide();
}

void HubScreen::showRankings(const RankingListing &listing)
{
    for (int level = 1; level <= state_.LevelCount && level < int(listing.levels.size()); ++level) {
        QListWidget *list = columns_[size_t(level)].resultsList;
        const LevelRanking &ranking = listing.levels[size_t(level)];
        list->clear();
        list->addItems(ranking.rows);
        if (ranking.scrollRow >= 0 && ranking.scrollRow < list->count())
            list->setCurrentRow(ranking.scrollRow);
        if (list->count() > 0)
            list->clearSelection();
        // The row after the one selected is the signed-in pupil's.
        columns_[size_t(level)].ownRow = ranking.scrollRow >= 0 ? ranking.scrollRow + 1 : -1;
    }
    fitListFont();
}

void HubScreen::rankEveryLevel(RankingOrder order)
{
    waitProgress_->setValue(0);
    listProgress_->setRange(0, std::max<int>(state_.LevelCount, 1));
    for (int i = 1; i <= state_.LevelCount; ++i) {
        columns_[size_t(i)].todayHeading->setText(QString::fromUtf16(kTodayHeading));
        columns_[size_t(i)].allTimeHeading->setText(QString::fromUtf16(kAllTimeHeading));
    }
    const RankingListing listing = buildRankings(state_, order, gradeFilter_->currentText(), [this](int level) {
        waitProgress_->setValue(std::min(level, waitProgress_->maximum()));
        listProgress_->setValue(level);
    });
    showRankings(listing);
}

void HubScreen::rankBestTimes()
{
    resetLevelPanels();
    listProgress_->setRange(0, std::max<int>(state_.LevelCount, 1));
    listProgress_->setValue(0);
    const RankingListing listing = buildRankings(state_, RankingOrder::BestTime, gradeFilter_->currentText(),
        [this](int level) { listProgress_->setValue(level); });
    listTitle_->setText(listing.title);
    if (listing.hubOrderOption)
        state_.HubOrderOption = *listing.hubOrderOption;
    showRankings(listing);
    for (int i = 1; i <= state_.LevelCount; ++i) {
        Column &c = columns_[size_t(i)];
        if (isPracticeLevelName(state_.LevelName[size_t(i)])) {
            hidePanelsOfLevel(c);
        } else {
            showResultsList(i);
        }
    }
    orderBar_->setEnabled(true);
}

void HubScreen::buildRunList(int kind)
{
    const RunList list = kind == 0 ? RunList::Today : kind == 1 ? RunList::Period : RunList::OnePupil;
    resetLevelPanels();

    // Read the list's window of whole records (waiting on a busy or refused
    // file as every reader does); say so in the title when it cannot be read.
    int first = 1;
    QString error;
    const auto records = readResultRecordsWaiting(
        resultsFilePath(state_), platform_.clock, platform_.notice,
        [&](qint64 count) {
            first = firstRecordToRead(list, int(count));
            listProgress_->setRange(0, listProgressMaximum(int(count)));
            listProgress_->setValue(0);
            return first;
        },
        &error);
    if (!records) {
        listTitle_->setText(QStringLiteral("成績ファイルを読めません：%1").arg(error));
        return;
    }

    ListRequest request;
    request.today = platform_.clock.today();
    request.gradeFilter = gradeFilter_->currentText();
    request.view = ListMode == 2 ? ListView::Points : ListView::Time;
    request.resultPeriod = state_.ResultPeriod;
    const auto progress = [this](int recordNumber) {
        if (recordNumber % 256 == 0)
            listProgress_->setValue(std::min(recordNumber, listProgress_->maximum()));
    };
    const RunListing listing = list == RunList::Today ? buildTodayList(state_, *records, first, request, progress)
        : list == RunList::Period                     ? buildPeriodList(state_, *records, first, request, progress)
                                                      : buildOnePupilList(state_, *records, first, request, progress);
    listTitle_->setText(listing.title);
    state_.HubOrderOption = listing.hubOrderOption;
    for (int level = 1; level <= state_.LevelCount && level < int(listing.rows.size()); ++level) {
        QListWidget *box = columns_[size_t(level)].resultsList;
        columns_[size_t(level)].ownRow = -1;
        box->addItems(listing.rows[size_t(level)]);
        if (level < int(listing.background.size()) && listing.background[size_t(level)])
            setColours(box, *listing.background[size_t(level)]);
        if (list != RunList::OnePupil && box->count() > 0)
            box->clearSelection();
    }
    fitListFont();
    if (list != RunList::OnePupil)
        orderBar_->setEnabled(true);
    if (listing.showsPeriodSelector)
        periodChoice_->show();
}

void HubScreen::listTodayRuns()
{
    buildRunList(0);
}

void HubScreen::listPeriodRuns()
{
    buildRunList(1);
}

void HubScreen::listOwnRuns()
{
    buildRunList(2);
    listWaitPanel_->hide();
    showListsOfTimedLevels();
    backButton_->setEnabled(true);
    enableLevels();
}

void HubScreen::applyGradeFilter()
{
    chooseView(viewOptions_[0]->isChecked() ? 0 : 1);
    if (state_.LevelCount >= 1)
        columns_[1].startButton->setFocus();
}

void HubScreen::choosePeriod()
{
    if (!orderOptions_[3]->isChecked())
        return;
    state_.ResultPeriod = periodChoice_->currentIndex() + 1;
    chooseOrdering(3);
}
