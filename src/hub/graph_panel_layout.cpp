// SPDX-License-Identifier: MIT
// The building half of the graph panel: the drawing surface, the level and
// pupil lists, the buttons and the hidden ranking lists, with every
// widget's place, font, colours, name and wiring. What the widgets do is in
// graph_panel.cpp. The creation order is the Tab order: levels, "表示",
// "印刷", "他の人のデータを見る" (or the pupil list), "戻る".
#include "hub/graph_panel.h"
#include "platform/layout.h"

#include <QLabel>
#include <QListView>
#include <QListWidget>
#include <QPushButton>
#include <QStringListModel>

namespace {

const QColor kPanelColour(224, 224, 224);

QPushButton *makeButton(QWidget *parent, const QString &name, const QString &caption)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setFont(layoutFont(kGothicProportional, 11, true));
    return button;
}

QListWidget *makeList(QWidget *parent, const QString &name, const QString &accessibleName)
{
    auto *list = new QListWidget(parent);
    list->setObjectName(name);
    list->setAccessibleName(accessibleName);
    list->setFont(layoutFont(kGothicFixed, 11.25));
    return list;
}

} // namespace

void GraphPanel::build()
{
    setObjectName(QStringLiteral("Picture11"));
    placeTwips(this, 0, 1380, 15360, 10140);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setColours(this, kPanelColour);

    canvas_ = new GraphCanvas(this);
    canvas_->setObjectName(QStringLiteral("Picture12"));
    canvas_->setAccessibleName(QStringLiteral("グラフ"));
    canvas_->setAccessibleDescription(QStringLiteral("選んだレベルごとのタイムの移り変わりと成績"));
    placeTwips(canvas_, 150, 90, 12450, 9960);

    auto *levelsCaption = new QLabel(QStringLiteral("レベル（いくつでも）"), this);
    levelsCaption->setObjectName(QStringLiteral("GraphLevelsCaption"));
    levelsCaption->setFont(layoutFont(kGothicProportional, 10.5, true));
    placeTwips(levelsCaption, 12750, 90, 2460, 330);

    levelList_ = makeList(this, QStringLiteral("List3"), QStringLiteral("グラフにするレベル"));
    levelList_->setSelectionMode(QAbstractItemView::MultiSelection);
    placeTwips(levelList_, 12750, 420, 2460, 2100);
    connect(levelList_, &QListWidget::itemSelectionChanged, this, &GraphPanel::redrawForLevels);

    showButton_ = makeButton(this, QStringLiteral("Command24_0"), QStringLiteral("表示"));
    placeTwips(showButton_, 12750, 2610, 1185, 480);
    connect(showButton_, &QPushButton::clicked, this, [this] { drawChosenPupils(GraphOutput::Screen); });
    // Teachers only; the hub decides at each refresh (setTeacher).
    printButton_ = makeButton(this, QStringLiteral("Command24_1"), QStringLiteral("印刷"));
    placeTwips(printButton_, 12750 + 1275, 2610, 1185, 480);
    connect(printButton_, &QPushButton::clicked, this, [this] { drawChosenPupils(GraphOutput::Paper); });
    printButton_->hide();

    otherPupilsButton_ = makeButton(this, QStringLiteral("Command25"), QStringLiteral("他の人のデータを見る"));
    placeTwips(otherPupilsButton_, 12750, 3210, 2460, 480);
    connect(otherPupilsButton_, &QPushButton::clicked, this, &GraphPanel::showPupilList);

    // In the button's place once it is pressed.
    pupilList_ = makeList(this, QStringLiteral("List2"), QStringLiteral("グラフを見る人"));
    pupilList_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    placeTwips(pupilList_, 12750, 3210, 2460, 5850);
    pupilList_->hide();
    connect(pupilList_, &QListWidget::itemSelectionChanged, this, &GraphPanel::redrawForPupils);

    backButton_ = makeButton(this, QStringLiteral("Command18"), QStringLiteral("戻る"));
    placeTwips(backButton_, 12750, 9300, 2460, 600);
    connect(backButton_, &QPushButton::clicked, this, &GraphPanel::closeGraphs);

    // A focused button takes Enter as well as space (eventFilter).
    for (QPushButton *button : { showButton_, printButton_, otherPupilsButton_, backButton_ })
        button->installEventFilter(this);

    // The rankings behind the figures; never shown.
    for (int m = 1; m <= 2; ++m) {
        rankingLists_[m] = new QListView(this);
        rankingRows_[m] = new QStringListModel(rankingLists_[m]);
        rankingLists_[m]->setModel(rankingRows_[m]);
        rankingLists_[m]->setObjectName(QStringLiteral("List4_%1").arg(m));
        rankingLists_[m]->setAccessibleName(m == 1 ? QStringLiteral("タイムの順位") : QStringLiteral("ポイントの順位"));
        rankingLists_[m]->hide();
    }
}
