// SPDX-License-Identifier: MIT
// The building half of the results hub: every widget, its place, font,
// colours, name and wiring. What the widgets do is in hub_screen.cpp.
#include "hub/hub_layout.h"
#include "hub/hub_screen.h"
#include "hub/list_choice.h"
#include "platform/clickable_label.h"
#include "platform/layout.h"
#include "roster/grade_rules.h"
#include "state/shared_state.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <cmath>

using namespace hublayout;

namespace {

QLabel *makeLabel(QWidget *parent, const QString &name, double points, bool bold = false)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    label->setFont(layoutFont(kGothicProportional, points, bold));
    return label;
}

} // namespace

void HubScreen::buildScreen()
{
    // Screen-wide controls.
    programLabel_ = makeLabel(this, QStringLiteral("Label11"), 24, true);
    placeTwips(programLabel_, 300, 100, 3300, 700);
    programLabel_->setAlignment(Qt::AlignCenter);
    programLabel_->setAccessibleDescription(QStringLiteral("プログラム名"));
    pupilLabel_ = makeLabel(this, QStringLiteral("Label12"), 20, true);
    placeTwips(pupilLabel_, 3700, 100, 4500, 700);
    pupilLabel_->setAlignment(Qt::AlignVCenter | Qt::AlignLeft);
    pupilLabel_->setAccessibleDescription(QStringLiteral("学年と名前"));

    dataButton_ = new QPushButton(QStringLiteral("データ処理"), this);
    dataButton_->setObjectName(QStringLiteral("Command8"));
    placeTwips(dataButton_, 8370, 180, 1365, 585);
    dataButton_->hide();
    connect(dataButton_, &QPushButton::clicked, this, &HubScreen::openPasswordPanel);

    schoolLabel_ = makeLabel(this, QStringLiteral("Label13"), 11);
    placeTwips(schoolLabel_, 9840, 60, 3400, 330);
    schoolLabel_->setAccessibleDescription(QStringLiteral("学校名と番号"));
    minutesBox_ = new QWidget(this);
    minutesBox_->setObjectName(QStringLiteral("Picture3"));
    placeTwips(minutesBox_, 9840, 420, 1500, 360);
    setColours(minutesBox_, QColor(255, 255, 192));
    minutesLabel_ = makeLabel(minutesBox_, QStringLiteral("Label17"), 11, true);
    placeTwips(minutesLabel_, 0, 0, 1500, 360);
    minutesLabel_->setAlignment(Qt::AlignCenter);
    minutesLabel_->setAccessibleDescription(QStringLiteral("起動後の時間"));
    todayTotalBox_ = new QWidget(this);
    todayTotalBox_->setObjectName(QStringLiteral("Picture4"));
    // Wide enough for four-digit minutes and three-digit totals.
    placeTwips(todayTotalBox_, 11400, 420, 2100, 360);
    setColours(todayTotalBox_, QColor(255, 255, 192));
    todayTotalLabel_ = makeLabel(todayTotalBox_, QStringLiteral("Label18"), 11, true);
    placeTwips(todayTotalLabel_, 0, 0, 2100, 360);
    todayTotalLabel_->setAlignment(Qt::AlignCenter);
    todayTotalLabel_->setAccessibleDescription(QStringLiteral("本日の総回数"));

    backButton_ = new QPushButton(QStringLiteral("戻る(0)"), this);
    backButton_->setObjectName(QStringLiteral("Command1"));
    placeTwips(backButton_, 13560, 100, 1700, 700);
    backButton_->setFont(layoutFont(kGothicProportional, 14, true));
    connect(backButton_, &QPushButton::clicked, this, &HubScreen::backToNameSelection);

    // View type and ordering options.
    viewBar_ = new QWidget(this);
    viewBar_->setObjectName(QStringLiteral("Picture5"));
    placeTwips(viewBar_, 300, 900, 4800, 420);
    setColours(viewBar_, QColor(0, 192, 192));
    const char16_t *viewCaptions[3] = { u"ﾀｲﾑ表示", u"ﾎﾟｲﾝﾄ表示", u"個人ﾀｲﾑ" };
    for (int i = 0; i < 3; ++i) {
        viewOptions_[i] = new QRadioButton(QString::fromUtf16(viewCaptions[i]), viewBar_);
        viewOptions_[i]->setObjectName(QStringLiteral("Option2_%1").arg(i));
        placeTwips(viewOptions_[i], 60 + i * 1580, 40, 1540, 340);
        viewOptions_[i]->setFont(layoutFont(kGothicProportional, 10.5, true));
        connect(viewOptions_[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                chooseView(i);
        });
    }
    orderBar_ = new QWidget(this);
    orderBar_->setObjectName(QStringLiteral("Picture1"));
    placeTwips(orderBar_, 5300, 900, 4800, 420);
    setColours(orderBar_, QColor(0, 192, 192));
    const OrderCaptions designCaptions = orderCaptions(ListView::Points);
    for (int i = 1; i <= 3; ++i) {
        orderOptions_[i] = new QRadioButton(i == 1 ? designCaptions.option1
                : i == 2                           ? designCaptions.option2
                                                   : designCaptions.option3,
            orderBar_);
        orderOptions_[i]->setObjectName(QStringLiteral("Option1_%1").arg(i));
        placeTwips(orderOptions_[i], 60 + (i - 1) * 1580, 40, 1540, 340);
        orderOptions_[i]->setFont(layoutFont(kGothicProportional, 10.5, true));
        connect(orderOptions_[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                chooseOrdering(i);
        });
    }

    gradeFilter_ = new QComboBox(this);
    gradeFilter_->setObjectName(QStringLiteral("Combo1"));
    gradeFilter_->setAccessibleName(QStringLiteral("学年の絞り込み"));
    placeTwips(gradeFilter_, 10300, 930, 1500, 360);
    gradeFilter_->setEditable(true);
    for (const QString &text : GradeFilterTexts())
        gradeFilter_->addItem(text);
    gradeFilter_->setEditText(state_.GradeFilter);
    connect(gradeFilter_, &QComboBox::activated, this, [this](int) { applyGradeFilter(); });

    periodChoice_ = new QComboBox(this);
    periodChoice_->setObjectName(QStringLiteral("Combo2"));
    periodChoice_->setAccessibleName(QStringLiteral("期間"));
    placeTwips(periodChoice_, 11900, 930, 3160, 360);
    periodChoice_->setEditable(true);
    periodChoice_->addItems({ QStringLiteral("　　　今週の全成績"), QStringLiteral("　　先週からの全成績"),
        QStringLiteral("　　１ヶ月間の全成績"), QStringLiteral("　　１年間の全成績"),
        QStringLiteral("　　今までの全成績\"") });
    periodChoice_->setEditText(QStringLiteral("　　１ヶ月間の全成績"));
    periodChoice_->hide();
    connect(periodChoice_, &QComboBox::activated, this, [this](int) { choosePeriod(); });

    listTitle_ = makeLabel(this, QStringLiteral("Label5"), 14, true);
    placeTwips(listTitle_, 300, kListTitleTop, 14760, kListTitleHeight);
    listTitle_->setAlignment(Qt::AlignCenter);
    listTitle_->setAccessibleDescription(QStringLiteral("一覧の題名"));

    graphButton_ = new QPushButton(QStringLiteral("グラフ"), this);
    graphButton_->setObjectName(QStringLiteral("Command17"));
    placeTwips(graphButton_, 10300, 1380, 1500, 420);
    graphButton_->hide();

    // Column geometry.
    const int levels = state_.LevelCount;
    columnScroll_ = new QScrollBar(Qt::Horizontal, this);
    columnScroll_->setObjectName(QStringLiteral("HScroll1"));
    columnScroll_->setAccessibleName(QStringLiteral("レベルの横送り"));
    placeTwips(columnScroll_, 300, 11100, 14760, 300);
    columnScroll_->hide();
    if (levels < 5) {
        ColumnWidth = levels > 0 ? 14592.0 / levels : 14592.0;
    } else {
        ColumnWidth = 3456;
        columnScroll_->setRange(1, levels - 3);
        columnScroll_->show();
    }
    connect(columnScroll_, &QScrollBar::valueChanged, this, [this](int) { scrollColumns(); });
    leftMargin_ = int(std::lround(0.02 * kFormWidth));

    const int cw = int(std::lround(ColumnWidth));
    const int numberWidth = int(std::lround(0.2 * ColumnWidth));
    const int half = cw / 2;
    const int nameTop = int(std::lround(kListTitleTop + 1.05 * kListTitleHeight));
    const int startTop = nameTop + kNameHeight;
    const int headTop = startTop + kStartHeight;
    const int figureTop = headTop + kFigureHeight;
    const int standingTop = figureTop + kFigureHeight;
    const int listTop = standingTop + kFigureHeight;
    const int criteriaTop = listTop + kListHeight;

    columns_.assign(size_t(std::max(levels, 0) + 1), Column {});
    for (int i = 1; i <= levels; ++i) {
        Column &c = columns_[size_t(i)];
        const int x = (i - 1) * cw + leftMargin_;
        const QString n = QString::number(i);

        c.number = makeLabel(this, QStringLiteral("Label1_") + n, 14, true);
        placeTwips(c.number, x, nameTop, numberWidth, kNameHeight);
        c.number->setAlignment(Qt::AlignCenter);
        c.number->setFrameStyle(QFrame::Box | QFrame::Plain);
        c.number->setText(QString::number(i));

        c.name = new ClickableLabel(this);
        c.name->setObjectName(QStringLiteral("Label3_") + n);
        c.name->setFont(layoutFont(kGothicProportional, 14, true));
        placeTwips(c.name, x + numberWidth, nameTop, cw - numberWidth, kNameHeight);
        c.name->setAlignment(Qt::AlignCenter);
        c.name->setFrameStyle(QFrame::Box | QFrame::Plain);
        c.name->setText(state_.LevelName[size_t(i)]);
        c.name->setToolTip(state_.LevelName[size_t(i)]);
        c.name->setCursor(Qt::PointingHandCursor);
        connect(c.name, &ClickableLabel::clicked, this, [this, i] { startLevelFromName(i); });

        c.startButton = new QPushButton(QStringLiteral("ｽﾀｰﾄ(&%1)").arg(i), this);
        c.startButton->setObjectName(QStringLiteral("Command4_") + n);
        c.startButton->setFont(layoutFont(kGothicProportional, 16, true));
        c.startButton->setToolTip(QStringLiteral("クリックしてスタートします。番号を押してもよろしい"));
        placeTwips(c.startButton, x, startTop, cw, kStartHeight);
        c.startButton->setEnabled(false);
        connect(c.startButton, &QPushButton::clicked, this, [this, i] { startLevel(i); });

        c.overPracticeNotice = makeLabel(this, QStringLiteral("Text1_") + n, 16, true);
        placeTwips(c.overPracticeNotice, x, startTop, cw, kStartHeight);
        c.overPracticeNotice->setAlignment(Qt::AlignCenter);
        setColours(c.overPracticeNotice, QColor(255, 255, 255), QColor(255, 0, 0));
        c.overPracticeNotice->setFrameStyle(QFrame::Box | QFrame::Plain);
        c.overPracticeNotice->hide();

        c.todayHeading = makeLabel(this, QStringLiteral("Label9_") + n, 10.5, true);
        placeTwips(c.todayHeading, x, headTop, half, kFigureHeight);
        c.todayHeading->setAlignment(Qt::AlignCenter);
        c.todayHeading->setText(QStringLiteral("今日"));
        c.allTimeHeading = makeLabel(this, QStringLiteral("Label10_") + n, 10.5, true);
        placeTwips(c.allTimeHeading, x + half, headTop, half, kFigureHeight);
        c.allTimeHeading->setAlignment(Qt::AlignCenter);
        c.allTimeHeading->setText(QStringLiteral("今まで"));
        c.todayFigure = makeLabel(this, QStringLiteral("Label14_") + n, 10.5);
        placeTwips(c.todayFigure, x, figureTop, half, kFigureHeight);
        c.todayFigure->setAlignment(Qt::AlignCenter);
        c.todayFigure->setAccessibleDescription(QStringLiteral("今日の回数と点"));
        c.allTimeFigure = makeLabel(this, QStringLiteral("Label15_") + n, 10.5);
        placeTwips(c.allTimeFigure, x + half, figureTop, half, kFigureHeight);
        c.allTimeFigure->setAlignment(Qt::AlignCenter);
        c.allTimeFigure->setAccessibleDescription(QStringLiteral("今までの回数と点"));

        c.periodStanding = makeLabel(this, QStringLiteral("Label8_") + n, 10.5);
        placeTwips(c.periodStanding, x, standingTop, cw, kFigureHeight);
        c.periodStanding->setAlignment(Qt::AlignCenter);
        c.periodStanding->setAccessibleDescription(QStringLiteral("最近の回数と点"));

        c.resultsList = new QListWidget(this);
        c.resultsList->setObjectName(QStringLiteral("List5_") + n);
        c.resultsList->setAccessibleName(QStringLiteral("%1の成績一覧").arg(state_.LevelName[size_t(i)]));
        c.resultsList->setFont(layoutFont(kGothicFixed, kListPoints));
        placeTwips(c.resultsList, x, listTop, cw, kListHeight);
        // Rows longer than the list even at the smallest list font (five-
        // digit times) can still be scrolled to; nothing is cut off.
        c.resultsList->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        c.resultsList->setTextElideMode(Qt::ElideNone);
        // Every row is one line of one font, so the rows are laid out
        // without measuring each: a school's 5000 rows would cost about
        // 90 ms a refresh otherwise.
        c.resultsList->setUniformItemSizes(true);
        c.resultsList->raise();

        c.criteria = makeLabel(this, QStringLiteral("Label7_") + n, 10.5);
        placeTwips(c.criteria, x, criteriaTop, cw, kCriteriaHeight);
        c.criteria->setAlignment(Qt::AlignCenter);
        c.criteria->setAccessibleDescription(QStringLiteral("合格の基準"));
    }

    // Wait panels cover the screen until the refresh ends.
    listWaitPanel_ = new QWidget(this);
    listWaitPanel_->setObjectName(QStringLiteral("Picture6"));
    placeTwips(listWaitPanel_, 0, listTop, kFormWidth, 1800);
    setColours(listWaitPanel_, QColor(0, 0, 128));
    auto *listWaitText = makeLabel(listWaitPanel_, QStringLiteral("Label6"), 26.25);
    listWaitText->setText(QStringLiteral("Just a momento, please."));
    placeTwips(listWaitText, 4050, 240, 7500, 690);
    setColours(listWaitText, QColor(0, 0, 128), Qt::white);
    listProgress_ = new QProgressBar(listWaitPanel_);
    listProgress_->setObjectName(QStringLiteral("ProgressBar2"));
    placeTwips(listProgress_, 2000, 1080, 11360, 300);
    listWaitPanel_->hide();

    waitPanel_ = new QWidget(this);
    waitPanel_->setObjectName(QStringLiteral("Picture2"));
    placeTwips(waitPanel_, 0, 0, kFormWidth, kFormHeight);
    setColours(waitPanel_, state_.SeasonColour);
    auto *waitText = makeLabel(waitPanel_, QStringLiteral("Label2"), 26.25);
    waitText->setText(QStringLiteral("Just a moment, please."));
    placeTwips(waitText, 4050, 5000, 7500, 690);
    waitProgress_ = new QProgressBar(waitPanel_);
    waitProgress_->setObjectName(QStringLiteral("ProgressBar1"));
    placeTwips(waitProgress_, 2000, 6000, 11360, 300);
    waitPanel_->raise();
}
