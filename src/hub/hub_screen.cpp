// SPDX-License-Identifier: MIT
#include "hub/hub_screen.h"
#include "drill/run_control.h"
#include "hub/list_choice.h"
#include "hub/listings.h"
#include "hub/rankings.h"
#include "results/results_file.h"
#include "platform/blank_trim.h"
#include "platform/clickable_label.h"
#include "platform/clock.h"
#include "platform/events.h"
#include "platform/layout.h"
#include "platform/number_text.h"
#include "platform/platform.h"
#include "platform/wait_notice.h"
#include "results/counts.h"
#include "roster/grade_rules.h"
#include "startup/level_table.h"
#include "startup/navigator.h"
#include "startup/shared_state.h"

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

namespace {

constexpr int kFormWidth = 15360;
constexpr int kFormHeight = 11520;

// Vertical layout of a level column, in twips.
constexpr int kLabel5Top = 1400;
constexpr int kLabel5Height = 400;
constexpr int kNameHeight = 420;
constexpr int kStartHeight = 600;
constexpr int kFigureHeight = 300;
constexpr int kListHeight = 6900;
constexpr int kCriteriaHeight = 330;

const QColor kGreyLabel = bgrHex(0xE0E0E0);

// The lists' fixed-pitch font, and the smallest it may shrink to so that
// the longest rows of a view (four-digit times in "すべて") fit.
constexpr double kListPoints = 11.25;
constexpr double kSmallestListPoints = 9.0;

QLabel *makeLabel(QWidget *parent, const QString &name, double points, bool bold = false)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->setFont(layoutFont(kGothicProportional, points, bold));
    return label;
}

QString levelKeyName(int level)
{
    return QString::number(level);
}

} // namespace

HubScreen::HubScreen(SharedState &state, Platform &platform, Navigator &navigator, QWidget *parent)
    : QWidget(parent), state_(state), platform_(platform), navigator_(navigator)
{
    setObjectName(QStringLiteral("seisekitime1"));
    setWindowTitle(state_.ProgramName);
    setFixedSize(twips(kFormWidth), twips(kFormHeight));
    Form_Load();
    qApp->installEventFilter(this);
}

HubScreen::~HubScreen()
{
    qApp->removeEventFilter(this);
}

void HubScreen::Form_Load()
{
    RefreshDone = 0;
    SuppressViewChange = 0;
    state_.ResultPeriod = 3;
    setColours(this, state_.SeasonColour);

    // Screen-wide controls.
    Label11 = makeLabel(this, QStringLiteral("Label11"), 24, true);
    placeTwips(Label11, 300, 100, 3300, 700);
    Label11->setAlignment(Qt::AlignCenter);
    Label11->setAccessibleDescription(QStringLiteral("プログラム名"));
    Label12 = makeLabel(this, QStringLiteral("Label12"), 20, true);
    placeTwips(Label12, 3700, 100, 4500, 700);
    Label12->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
    Label12->setAccessibleDescription(QStringLiteral("学年と名前"));

    Command8 = new QPushButton(QStringLiteral("データ処理"), this);
    Command8->setObjectName(QStringLiteral("Command8"));
    placeTwips(Command8, 8370, 180, 1365, 585);
    Command8->hide();
    connect(Command8, &QPushButton::clicked, this, &HubScreen::Command8_Click);

    Label13 = makeLabel(this, QStringLiteral("Label13"), 11);
    placeTwips(Label13, 9840, 60, 3400, 330);
    Label13->setAccessibleDescription(QStringLiteral("学校名と番号"));
    Picture3 = new QWidget(this);
    Picture3->setObjectName(QStringLiteral("Picture3"));
    placeTwips(Picture3, 9840, 420, 1500, 360);
    setColours(Picture3, QColor(255, 255, 192));
    Label17 = makeLabel(Picture3, QStringLiteral("Label17"), 11, true);
    placeTwips(Label17, 0, 0, 1500, 360);
    Label17->setAlignment(Qt::AlignCenter);
    Label17->setAccessibleDescription(QStringLiteral("起動後の時間"));
    Picture4 = new QWidget(this);
    Picture4->setObjectName(QStringLiteral("Picture4"));
    // Wide enough for four-digit minutes and three-digit totals.
    placeTwips(Picture4, 11400, 420, 2100, 360);
    setColours(Picture4, QColor(255, 255, 192));
    Label18 = makeLabel(Picture4, QStringLiteral("Label18"), 11, true);
    placeTwips(Label18, 0, 0, 2100, 360);
    Label18->setAlignment(Qt::AlignCenter);
    Label18->setAccessibleDescription(QStringLiteral("本日の総回数"));

    Command1 = new QPushButton(QStringLiteral("戻る(0)"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    placeTwips(Command1, 13560, 100, 1700, 700);
    Command1->setFont(layoutFont(kGothicProportional, 14, true));
    connect(Command1, &QPushButton::clicked, this, &HubScreen::Command1_Click);

    // View type and ordering options.
    Picture5 = new QWidget(this);
    Picture5->setObjectName(QStringLiteral("Picture5"));
    placeTwips(Picture5, 300, 900, 4800, 420);
    setColours(Picture5, QColor(0, 192, 192));
    const char16_t *viewCaptions[3] = {u"ﾀｲﾑ表示", u"ﾎﾟｲﾝﾄ表示", u"個人ﾀｲﾑ"};
    for (int i = 0; i < 3; ++i) {
        Option2[i] = new QRadioButton(QString::fromUtf16(viewCaptions[i]), Picture5);
        Option2[i]->setObjectName(QStringLiteral("Option2_%1").arg(i));
        placeTwips(Option2[i], 60 + i * 1580, 40, 1540, 340);
        Option2[i]->setFont(layoutFont(kGothicProportional, 10.5, true));
        connect(Option2[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                Option2_Click(i);
        });
    }
    Picture1 = new QWidget(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    placeTwips(Picture1, 5300, 900, 4800, 420);
    setColours(Picture1, QColor(0, 192, 192));
    const OrderCaptions designCaptions = orderCaptions(ListView::Points);
    for (int i = 1; i <= 3; ++i) {
        Option1[i] = new QRadioButton(i == 1 ? designCaptions.option1 : i == 2 ? designCaptions.option2 : designCaptions.option3, Picture1);
        Option1[i]->setObjectName(QStringLiteral("Option1_%1").arg(i));
        placeTwips(Option1[i], 60 + (i - 1) * 1580, 40, 1540, 340);
        Option1[i]->setFont(layoutFont(kGothicProportional, 10.5, true));
        connect(Option1[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                Option1_Click(i);
        });
    }

    Combo1 = new QComboBox(this);
    Combo1->setObjectName(QStringLiteral("Combo1"));
    Combo1->setAccessibleName(QStringLiteral("学年の絞り込み"));
    placeTwips(Combo1, 10300, 930, 1500, 360);
    Combo1->setEditable(true);
    for (const QString &text : GradeFilterTexts())
        Combo1->addItem(text);
    Combo1->setEditText(state_.GradeFilter);
    connect(Combo1, &QComboBox::activated, this, [this](int) { Combo1_Click(); });

    Combo2 = new QComboBox(this);
    Combo2->setObjectName(QStringLiteral("Combo2"));
    Combo2->setAccessibleName(QStringLiteral("期間"));
    placeTwips(Combo2, 11900, 930, 3160, 360);
    Combo2->setEditable(true);
    Combo2->addItems({QStringLiteral("　　　今週の全成績"), QStringLiteral("　　先週からの全成績"),
                      QStringLiteral("　　１ヶ月間の全成績"), QStringLiteral("　　１年間の全成績"),
                      QStringLiteral("　　今までの全成績\"")});
    Combo2->setEditText(QStringLiteral("　　１ヶ月間の全成績"));
    Combo2->hide();
    connect(Combo2, &QComboBox::activated, this, [this](int) { Combo2_Click(); });

    Label5 = makeLabel(this, QStringLiteral("Label5"), 14, true);
    placeTwips(Label5, 300, kLabel5Top, 14760, kLabel5Height);
    Label5->setAlignment(Qt::AlignCenter);
    Label5->setAccessibleDescription(QStringLiteral("一覧の題名"));

    Command17 = new QPushButton(QStringLiteral("グラフ"), this);
    Command17->setObjectName(QStringLiteral("Command17"));
    placeTwips(Command17, 10300, 1380, 1500, 420);
    Command17->hide();

    // Column geometry.
    const int levels = state_.LevelCount;
    HScroll1 = new QScrollBar(Qt::Horizontal, this);
    HScroll1->setObjectName(QStringLiteral("HScroll1"));
    HScroll1->setAccessibleName(QStringLiteral("レベルの横送り"));
    placeTwips(HScroll1, 300, 11100, 14760, 300);
    HScroll1->hide();
    if (levels < 5) {
        ColumnWidth = levels > 0 ? 14592.0 / levels : 14592.0;
    } else {
        ColumnWidth = 3456;
        HScroll1->setRange(1, levels - 3);
        HScroll1->show();
    }
    connect(HScroll1, &QScrollBar::valueChanged, this, [this](int) { HScroll1_Change(); });
    leftMargin_ = int(std::lround(0.02 * kFormWidth));

    const int cw = int(std::lround(ColumnWidth));
    const int numberWidth = int(std::lround(0.2 * ColumnWidth));
    const int half = cw / 2;
    const int nameTop = int(std::lround(kLabel5Top + 1.05 * kLabel5Height));
    const int startTop = nameTop + kNameHeight;
    const int headTop = startTop + kStartHeight;
    const int figureTop = headTop + kFigureHeight;
    const int standingTop = figureTop + kFigureHeight;
    const int listTop = standingTop + kFigureHeight;
    const int criteriaTop = listTop + kListHeight;

    columns_.assign(size_t(std::max(levels, 0) + 1), Column{});
    for (int i = 1; i <= levels; ++i) {
        Column &c = columns_[size_t(i)];
        const int x = (i - 1) * cw + leftMargin_;
        const QString n = QString::number(i);

        c.Label1 = makeLabel(this, QStringLiteral("Label1_") + n, 14, true);
        placeTwips(c.Label1, x, nameTop, numberWidth, kNameHeight);
        c.Label1->setAlignment(Qt::AlignCenter);
        c.Label1->setFrameStyle(QFrame::Box | QFrame::Plain);
        c.Label1->setText(levelKeyName(i));

        c.Label3 = new ClickableLabel(this);
        c.Label3->setObjectName(QStringLiteral("Label3_") + n);
        c.Label3->setFont(layoutFont(kGothicProportional, 14, true));
        placeTwips(c.Label3, x + numberWidth, nameTop, cw - numberWidth, kNameHeight);
        c.Label3->setAlignment(Qt::AlignCenter);
        c.Label3->setFrameStyle(QFrame::Box | QFrame::Plain);
        c.Label3->setText(state_.LevelName[size_t(i)]);
        c.Label3->setToolTip(state_.LevelName[size_t(i)]);
        c.Label3->setCursor(Qt::PointingHandCursor);
        connect(c.Label3, &ClickableLabel::clicked, this, [this, i] { Label3_Click(i); });

        c.Command4 = new QPushButton(QStringLiteral("ｽﾀｰﾄ(&%1)").arg(i), this);
        c.Command4->setObjectName(QStringLiteral("Command4_") + n);
        c.Command4->setFont(layoutFont(kGothicProportional, 16, true));
        c.Command4->setToolTip(QStringLiteral("クリックしてスタートします。番号を押してもよろしい"));
        placeTwips(c.Command4, x, startTop, cw, kStartHeight);
        c.Command4->setEnabled(false);
        connect(c.Command4, &QPushButton::clicked, this, [this, i] { Command4_Click(i); });

        c.Text1 = makeLabel(this, QStringLiteral("Text1_") + n, 16, true);
        placeTwips(c.Text1, x, startTop, cw, kStartHeight);
        c.Text1->setAlignment(Qt::AlignCenter);
        setColours(c.Text1, QColor(255, 255, 255), QColor(255, 0, 0));
        c.Text1->setFrameStyle(QFrame::Box | QFrame::Plain);
        c.Text1->hide();

        c.Label9 = makeLabel(this, QStringLiteral("Label9_") + n, 10.5, true);
        placeTwips(c.Label9, x, headTop, half, kFigureHeight);
        c.Label9->setAlignment(Qt::AlignCenter);
        c.Label9->setText(QStringLiteral("今日"));
        c.Label10 = makeLabel(this, QStringLiteral("Label10_") + n, 10.5, true);
        placeTwips(c.Label10, x + half, headTop, half, kFigureHeight);
        c.Label10->setAlignment(Qt::AlignCenter);
        c.Label10->setText(QStringLiteral("今まで"));
        c.Label14 = makeLabel(this, QStringLiteral("Label14_") + n, 10.5);
        placeTwips(c.Label14, x, figureTop, half, kFigureHeight);
        c.Label14->setAlignment(Qt::AlignCenter);
        c.Label14->setAccessibleDescription(QStringLiteral("今日の回数と点"));
        c.Label15 = makeLabel(this, QStringLiteral("Label15_") + n, 10.5);
        placeTwips(c.Label15, x + half, figureTop, half, kFigureHeight);
        c.Label15->setAlignment(Qt::AlignCenter);
        c.Label15->setAccessibleDescription(QStringLiteral("今までの回数と点"));

        c.Label8 = makeLabel(this, QStringLiteral("Label8_") + n, 10.5);
        placeTwips(c.Label8, x, standingTop, cw, kFigureHeight);
        c.Label8->setAlignment(Qt::AlignCenter);
        c.Label8->setAccessibleDescription(QStringLiteral("最近の回数と点"));
        c.Label8->setText(QStringLiteral("最近%1日=%2回 / %3点")
                              .arg(state_.JudgePeriodDays[size_t(i)].toText())
                              .arg(state_.PeriodRunCount(i, state_.PupilNumber))
                              .arg(state_.PeriodPoints(i, state_.PupilNumber)));

        c.List5 = new QListWidget(this);
        c.List5->setObjectName(QStringLiteral("List5_") + n);
        c.List5->setAccessibleName(QStringLiteral("%1の成績一覧").arg(state_.LevelName[size_t(i)]));
        c.List5->setFont(layoutFont(kGothicFixed, kListPoints));
        placeTwips(c.List5, x, listTop, cw, kListHeight);
        // Rows longer than the list even at the smallest list font (five-
        // digit times) can still be scrolled to; nothing is cut off.
        c.List5->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        c.List5->setTextElideMode(Qt::ElideNone);
        c.List5->raise();

        c.Label7 = makeLabel(this, QStringLiteral("Label7_") + n, 10.5);
        placeTwips(c.Label7, x, criteriaTop, cw, kCriteriaHeight);
        c.Label7->setAlignment(Qt::AlignCenter);
        c.Label7->setAccessibleDescription(QStringLiteral("合格の基準"));
        const size_t s = size_t(i);
        if (state_.ClearPoints[s] == 9999) {
            c.Label7->setText(QStringLiteral("目標=%1秒 --------").arg(state_.TargetTime[s]));
        } else {
            c.Label7->setText(QStringLiteral("目標=%1秒 %2回/%3点(×%4)")
                                  .arg(state_.TargetTime[s])
                                  .arg(state_.ClearCount[s])
                                  .arg(state_.ClearPoints[s])
                                  .arg(numtext::formatSingle(state_.PointMultiplier[s])));
        }
    }

    // Wait panels cover the screen until the refresh ends.
    Picture6 = new QWidget(this);
    Picture6->setObjectName(QStringLiteral("Picture6"));
    placeTwips(Picture6, 0, listTop, kFormWidth, 1800);
    setColours(Picture6, QColor(0, 0, 128));
    auto *label6 = makeLabel(Picture6, QStringLiteral("Label6"), 26.25);
    label6->setText(QStringLiteral("Just a momento, please."));
    placeTwips(label6, 4050, 240, 7500, 690);
    setColours(label6, QColor(0, 0, 128), Qt::white);
    ProgressBar2 = new QProgressBar(Picture6);
    ProgressBar2->setObjectName(QStringLiteral("ProgressBar2"));
    placeTwips(ProgressBar2, 2000, 1080, 11360, 300);
    Picture6->hide();

    Picture2 = new QWidget(this);
    Picture2->setObjectName(QStringLiteral("Picture2"));
    placeTwips(Picture2, 0, 0, kFormWidth, kFormHeight);
    setColours(Picture2, state_.SeasonColour);
    auto *label2 = makeLabel(Picture2, QStringLiteral("Label2"), 26.25);
    label2->setText(QStringLiteral("Just a moment, please."));
    placeTwips(label2, 4050, 5000, 7500, 690);
    ProgressBar1 = new QProgressBar(Picture2);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    placeTwips(ProgressBar1, 2000, 6000, 11360, 300);
    Picture2->raise();
}

void HubScreen::hidePanelsOfLevel(Column &c)
{
    // A practice level shows only its name and start button.
    for (QWidget *w : std::initializer_list<QWidget *>{c.List5, c.Label7, c.Label8, c.Label14, c.Label15, c.Label9, c.Label10})
        w->hide();
}

QLabel *HubScreen::levelName(int level) const
{
    return columns_[size_t(level)].Label3;
}

void HubScreen::Form_Activate()
{
    // 1. Teachers get the data button; keys wait for the refresh.
    Command8->setVisible(isTeacher(state_.PupilName));
    RefreshDone = 0;

    // 2. Minutes since sign-in.
    Label17->setText(QStringLiteral("起動後%1分").arg(minutesSinceSignIn(platform_.clock.secondsSinceMidnight(), state_.SignInTime)));

    // 3. Cover the screen while counting.
    Picture2->setGeometry(0, 0, width(), Picture2->height());
    Picture2->show();
    Picture2->raise();
    letEventsRun();
    const OrderCaptions refreshCaptions = refreshOrderCaptions();
    Option1[1]->setText(refreshCaptions.option1);
    Option1[2]->setText(refreshCaptions.option2);

    // 4. Name selection goes; the counts are rebuilt.
    navigator_.closeNameSelection();
    if (!回数求(state_, platform_))
        return;

    // 5. Today's total.
    float total = 0;
    for (int i = 1; i <= kMaxLevel; ++i)
        total = float(numtext::roundHalfEven(double(total + state_.TodayRunCount(i, state_.PupilNumber))));
    state_.TodayRunTotal = std::int16_t(total);
    Label18->setText(QStringLiteral("本日総回数＝%1回").arg(state_.TodayRunTotal));
    ProgressBar1->setMaximum(std::max<int>(state_.LevelCount, 1));

    // 6. Points view, cumulative order; the view handler does only its
    // common first step here.
    ListMode = 2;
    state_.HubOrderOption = 1;
    SuppressViewChange = 1;
    if (Option1[state_.HubOrderOption]->isChecked())
        Option1_Click(state_.HubOrderOption);
    else
        Option1[state_.HubOrderOption]->setChecked(true);
    Option2_Click(1);
    {
        const QSignalBlocker block(Option2[1]);
        Option2[1]->setChecked(true);
    }
    Command1->setEnabled(true);
    SuppressViewChange = 0;

    // 7. Practice levels are timed against 600 s; the others show lists.
    for (int i = 1; i <= state_.LevelCount; ++i) {
        if (isPracticeLevelName(columns_[size_t(i)].Label3->text())) {
            state_.TargetTime[size_t(i)] = 600;
            state_.PassLineTime[size_t(i)] = 600;
        } else {
            showResultsList(i);
        }
    }
    Picture6->hide();

    // 8. Who is signed in.
    Label12->setText(state_.PupilGradeLabel + QLatin1Char(' ') + trimBlanks(state_.PupilName));
    Label13->setText(state_.SchoolName + QLatin1Char(':') + QString::number(state_.PupilNumber));
    Label11->setText(state_.ProgramName);
    Label11->setFont(layoutFont(kGothicProportional, state_.ProgramName.size() > 9 ? 20 : 24, true));

    // 9. Back to the remembered column.
    if (state_.HubFirstColumn == 0)
        state_.HubFirstColumn = 1;
    if (state_.HubFirstColumn > HScroll1->maximum())
        state_.HubFirstColumn = 1;
    {
        const QSignalBlocker block(HScroll1);
        HScroll1->setValue(state_.HubFirstColumn);
    }
    HScroll1_Change();

    // 10. Figures of each level.
    for (int i = 1; i <= state_.LevelCount; ++i) {
        Column &c = columns_[size_t(i)];
        setColours(c.Label7, kGreyLabel);
        setColours(c.Label8, kGreyLabel);
        if (isPracticeLevelName(state_.LevelName[size_t(i)])) {
            hidePanelsOfLevel(c);
        }
        const int pupil = state_.PupilNumber;
        if (state_.TotalRunCount(i, pupil) != 0)
            c.Label15->setText(QStringLiteral("%1回/%2点").arg(state_.TotalRunCount(i, pupil)).arg(state_.TotalPoints(i, pupil)));
        else
            c.Label15->setText(QStringLiteral("------"));
        if (state_.TodayRunCount(i, pupil) != 0)
            c.Label14->setText(numtext::formatSingle(state_.TodayRunCount(i, pupil)) + QStringLiteral("回/") +
                               QString::number(state_.TodayPoints(i, pupil)) + QStringLiteral("点"));
        else
            c.Label14->setText(QStringLiteral("-----"));
    }

    // 11. Which levels may start.
    for (int i = 1; i <= state_.LevelCount; ++i)
        gates_.enabled[size_t(i)] = false;
    Command9_Click();

    // 12. Ready.
    Picture2->hide();
    ProgressBar1->hide();
    letEventsRun();
    RefreshDone = 1;
}

void HubScreen::Command9_Click()
{
    for (int i = 1; i <= state_.LevelCount; ++i)
        gates_.enabled[size_t(i)] = columns_[size_t(i)].Command4->isEnabled();
    applyGates(levelEnablingPass(state_, gates_));
    Picture6->lower();
}

void HubScreen::applyGates(const LevelGates &gates)
{
    gates_ = gates;
    for (int i = 1; i <= state_.LevelCount; ++i) {
        Column &c = columns_[size_t(i)];
        c.Command4->setEnabled(gates.enabled[size_t(i)]);
        if (gates.overPractised[size_t(i)]) {
            c.Text1->setText(QStringLiteral("やりすぎ禁止"));
            c.Text1->raise();
            c.Text1->show();
        } else {
            c.Text1->hide();
        }
    }
}

void HubScreen::HScroll1_Change()
{
    state_.HubFirstColumn = HScroll1->value();
    if (state_.HubFirstColumn > state_.LevelCount)
        state_.HubFirstColumn = 1;
    const int cw = int(std::lround(ColumnWidth));
    const int numberWidth = int(std::lround(0.2 * ColumnWidth));
    for (int i = 1; i <= state_.LevelCount; ++i) {
        Column &c = columns_[size_t(i)];
        int left = (i - state_.HubFirstColumn) * cw + leftMargin_;
        if (left < 0)
            left = kFormWidth;
        for (QWidget *w : std::initializer_list<QWidget *>{c.List5, c.Command4, c.Text1, c.Label1, c.Label7, c.Label8, c.Label9, c.Label14})
            w->move(twips(left), w->y());
        c.Label3->move(twips(left + numberWidth), c.Label3->y());
        c.Label10->move(twips(left + cw / 2), c.Label10->y());
        c.Label15->move(twips(left + cw / 2), c.Label15->y());
    }
}

bool HubScreen::passwordPanelShowing() const
{
    // The password panel comes with the teachers' tools.
    return false;
}

void HubScreen::Command4_Click(int index)
{
    if (passwordPanelShowing() || index < 1 || index > state_.LevelCount || !columns_[size_t(index)].Command4->isEnabled())
        return;
    Picture2->raise();
    Picture2->show();
    state_.CurrentLevel = std::int16_t(index);
    letEventsRun();
    RefreshDone = 0;
    StartDrill(state_, navigator_);
}

void HubScreen::Label3_Click(int index)
{
    if (passwordPanelShowing() || index < 1 || index > state_.LevelCount || !columns_[size_t(index)].Command4->isEnabled())
        return;
    state_.CurrentLevel = std::int16_t(index);
    RefreshDone = 0;
    StartDrill(state_, navigator_);
    navigator_.closeHub();
}

void HubScreen::Command1_Click()
{
    Picture2->raise();
    Picture2->show();
    letEventsRun();
    navigator_.showNameSelection();
}

void HubScreen::Command8_Click()
{
    // The password panel and the editors come with the teachers' tools.
}

bool HubScreen::Form_KeyPress(const QString &key)
{
    if (RefreshDone != 1 || key.size() != 1)
        return false;
    const QChar k = key[0];
    int level = 0;
    if (k >= QLatin1Char('1') && k <= QLatin1Char('9'))
        level = k.digitValue();
    else if (k >= QLatin1Char('a') && k <= QLatin1Char('d'))
        level = 10 + (k.unicode() - 'a');
    if (level >= 1) {
        if (level == 1 || state_.LevelCount >= level) {
            Command4_Click(level);
            return true;
        }
        return false;
    }
    if (k == QLatin1Char('0') && Command1->isEnabled()) {
        Command1_Click();
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
            if (!(key->modifiers() & (Qt::AltModifier | Qt::ControlModifier)) && Form_KeyPress(key->text()))
                return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// --- lists and rankings ------------------------------------------------------

void HubScreen::hideListsAndStarts()
{
    Command1->setEnabled(false);
    for (int i = 1; i <= state_.LevelCount; ++i) {
        columns_[size_t(i)].Command4->setEnabled(false);
        columns_[size_t(i)].List5->hide();
    }
}

void HubScreen::showListsOfTimedLevels()
{
    for (int i = 1; i <= state_.LevelCount; ++i) {
        if (!isPracticeLevelName(state_.LevelName[size_t(i)]))
            showResultsList(i);
    }
}

void HubScreen::fitListFont()
{
    // One size for every list of a view, the layout's size where the rows
    // allow: the largest size, in quarter points, at which the longest row
    // fits the narrowest list beside its vertical scroll bar.
    int room = std::numeric_limits<int>::max();
    QStringList longest;
    for (int i = 1; i <= state_.LevelCount; ++i) {
        QListWidget *list = columns_[size_t(i)].List5;
        room = std::min(room, list->width() - 2 * list->frameWidth() - list->style()->pixelMetric(QStyle::PM_ScrollBarExtent) - 4);
        for (int row = 0; row < list->count(); ++row) {
            const QString text = list->item(row)->text();
            if (longest.isEmpty() || text.size() >= longest.front().size()) {
                if (!longest.isEmpty() && text.size() > longest.front().size())
                    longest.clear();
                longest << text;
            }
        }
    }
    double points = kListPoints;
    const auto widest = [&longest](const QFont &font) {
        const QFontMetrics metrics(font);
        int w = 0;
        for (const QString &text : longest)
            w = std::max(w, metrics.horizontalAdvance(text));
        return w;
    };
    while (points > kSmallestListPoints && widest(layoutFont(kGothicFixed, points)) > room)
        points -= 0.25;
    const QFont font = layoutFont(kGothicFixed, points);
    for (int i = 1; i <= state_.LevelCount; ++i)
        columns_[size_t(i)].List5->setFont(font);
}

void HubScreen::showResultsList(int level)
{
    // A list is rebuilt while hidden, where it can neither lay out its rows
    // nor scroll; shown again, it starts at its top, and only the signed-in
    // pupil's row of a ranking may move it.
    Column &c = columns_[size_t(level)];
    c.List5->show();
    c.List5->doItemsLayout();
    c.List5->scrollToTop();
    const int ownRow = c.ownRow;
    if (ownRow >= 0 && ownRow < c.List5->count())
        c.List5->scrollToItem(c.List5->item(ownRow), QAbstractItemView::EnsureVisible);
}

void HubScreen::resetLevelPanels()
{
    for (int i = 1; i <= state_.LevelCount; ++i) {
        Column &c = columns_[size_t(i)];
        c.Label9->setText(QString::fromUtf16(kTodayHeading));
        c.Label10->setText(QString::fromUtf16(kAllTimeHeading));
        c.List5->clear();
    }
}

void HubScreen::Option2_Click(int index)
{
    Command17->hide();
    hideListsAndStarts();
    Picture6->show();
    Picture6->raise();
    letEventsRun();
    if (SuppressViewChange == 1)
        return;

    if (index == 0) {
        const OrderCaptions captions = orderCaptions(ListView::Time);
        Option1[1]->setText(captions.option1);
        Option1[2]->setText(captions.option2);
        Option1[3]->show();
        ListMode = 1;
        for (int i = 1; i <= 3; ++i) {
            if (Option1[i]->isChecked()) {
                Option1_Click(i);
                break;
            }
        }
    } else if (index == 1) {
        Combo2->hide();
        const OrderCaptions captions = orderCaptions(ListView::Points);
        Option1[1]->setText(captions.option1);
        Option1[2]->setText(captions.option2);
        Option1[3]->setText(captions.option3);
        Option1[3]->show();
        ListMode = 2;
        letEventsRun();
        if (Option1[1]->isChecked()) {
            PointOrder = 1;
            Option1_Click(1);
        } else if (Option1[3]->isChecked()) {
            Option1_Click(3);
        } else if (Option1[2]->isChecked()) {
            PointOrder = 2;
            Option1_Click(2);
        }
    } else {
        Command17->show();
        Combo2->hide();
        Command16_Click();
    }
}

void HubScreen::Option1_Click(int index)
{
    hideListsAndStarts();
    Picture6->show();
    Picture6->raise();
    Combo2->hide();
    Picture1->setEnabled(false);
    letEventsRun();
    const HubListChoice choice = Option1Choice(ListMode, PointOrder, index);
    state_.ListKind = choice.listKind;
    switch (choice.list) {
    case HubList::BestTimes:
        Command6_Click();
        break;
    case HubList::TodayRuns:
        Command5_Click();
        break;
    case HubList::PeriodRuns:
        Command7_Click();
        break;
    case HubList::TotalPointsRanking:
        Label5->setText(QStringLiteral("獲得ポイント（今まで順位）"));
        rankEveryLevel(RankingOrder::TotalPoints);
        break;
    case HubList::TodayPointsRanking:
        Label5->setText(QStringLiteral("獲得ポイント（今日の順位）"));
        rankEveryLevel(RankingOrder::TodayPoints);
        break;
    case HubList::OnePupilRuns:
        Command16_Click();
        break;
    }

    Command1->setEnabled(true);
    // The ordering options stay usable after every build; left disabled
    // after a points ranking, "合計本日" could never be chosen.
    Picture1->setEnabled(true);
    Command9_Click();
    showListsOfTimedLevels();
    Picture6->hide();
}

void HubScreen::showRankings(const RankingListing &listing)
{
    for (int level = 1; level <= state_.LevelCount && level < int(listing.levels.size()); ++level) {
        QListWidget *list = columns_[size_t(level)].List5;
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
    ProgressBar1->setValue(0);
    ProgressBar2->setRange(0, std::max<int>(state_.LevelCount, 1));
    for (int i = 1; i <= state_.LevelCount; ++i) {
        columns_[size_t(i)].Label9->setText(QString::fromUtf16(kTodayHeading));
        columns_[size_t(i)].Label10->setText(QString::fromUtf16(kAllTimeHeading));
    }
    const RankingListing listing =
        buildRankings(state_, order, Combo1->currentText(),
                      [this](int level) {
                          ProgressBar1->setValue(std::min(level, ProgressBar1->maximum()));
                          ProgressBar2->setValue(level);
                      });
    showRankings(listing);
}

void HubScreen::Command6_Click()
{
    resetLevelPanels();
    ProgressBar2->setRange(0, std::max<int>(state_.LevelCount, 1));
    ProgressBar2->setValue(0);
    const RankingListing listing = buildRankings(state_, RankingOrder::BestTime, Combo1->currentText(),
                                                 [this](int level) { ProgressBar2->setValue(level); });
    Label5->setText(listing.title);
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
    Picture1->setEnabled(true);
}

void HubScreen::buildRunList(int kind)
{
    const RunList list = kind == 0 ? RunList::Today : kind == 1 ? RunList::Period : RunList::OnePupil;
    resetLevelPanels();

    // Read the list's window of whole records; wait while another copy has
    // the file busy, and say so in the title when it cannot be read at all.
    const QString path = resultsFilePath(state_);
    std::optional<std::vector<ResultRecord>> records;
    int first = 1;
    bool noticeShown = false;
    while (true) {
        const qint64 count = resultRecordCount(path);
        first = firstRecordToRead(list, int(std::max<qint64>(count, 0)));
        ProgressBar2->setRange(0, listProgressMaximum(int(std::max<qint64>(count, 0))));
        ProgressBar2->setValue(0);
        QString error;
        int errorNumber = 0;
        records = readResultRecords(path, first, &error, -1, &errorNumber);
        const FileErrorKind kind = records ? FileErrorKind::Other : classifyFileError(errorNumber);
        if (records || !waitsForFile(kind)) {
            if (!records)
                Label5->setText(QStringLiteral("成績ファイルを読めません：%1").arg(error));
            break;
        }
        if (kind == FileErrorKind::NoPermission && platform_.notice) {
            platform_.notice->show(permissionWaitText(path, errorNumber));
            noticeShown = true;
        }
        platform_.clock.waitResponsive(1000);
    }
    if (noticeShown)
        platform_.notice->clear();
    if (!records)
        return;

    ListRequest request;
    request.today = platform_.clock.today();
    request.gradeFilter = Combo1->currentText();
    request.view = ListMode == 2 ? ListView::Points : ListView::Time;
    request.resultPeriod = state_.ResultPeriod;
    const auto progress = [this](int recordNumber) {
        if (recordNumber % 256 == 0)
            ProgressBar2->setValue(std::min(recordNumber, ProgressBar2->maximum()));
    };
    const RunListing listing = list == RunList::Today    ? buildTodayList(state_, *records, first, request, progress)
                               : list == RunList::Period ? buildPeriodList(state_, *records, first, request, progress)
                                                         : buildOnePupilList(state_, *records, first, request, progress);
    Label5->setText(listing.title);
    state_.HubOrderOption = listing.hubOrderOption;
    for (int level = 1; level <= state_.LevelCount && level < int(listing.rows.size()); ++level) {
        QListWidget *box = columns_[size_t(level)].List5;
        columns_[size_t(level)].ownRow = -1;
        box->addItems(listing.rows[size_t(level)]);
        if (level < int(listing.background.size()) && listing.background[size_t(level)])
            setColours(box, *listing.background[size_t(level)]);
        if (list != RunList::OnePupil && box->count() > 0)
            box->clearSelection();
    }
    fitListFont();
    if (list != RunList::OnePupil)
        Picture1->setEnabled(true);
    if (listing.showsPeriodSelector)
        Combo2->show();
}

void HubScreen::Command5_Click()
{
    buildRunList(0);
}

void HubScreen::Command7_Click()
{
    buildRunList(1);
}

void HubScreen::Command16_Click()
{
    buildRunList(2);
    Picture6->hide();
    showListsOfTimedLevels();
    Command1->setEnabled(true);
    Command9_Click();
}

void HubScreen::Combo1_Click()
{
    Option2_Click(Option2[0]->isChecked() ? 0 : 1);
    if (state_.LevelCount >= 1)
        columns_[1].Command4->setFocus();
}

void HubScreen::Combo2_Click()
{
    if (!Option1[3]->isChecked())
        return;
    state_.ResultPeriod = Combo2->currentIndex() + 1;
    Option1_Click(3);
}
