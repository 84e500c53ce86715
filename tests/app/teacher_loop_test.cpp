// SPDX-License-Identifier: MIT
// A teacher's visit through the real navigator: the hub, the password, the
// criteria editor alone on screen, an edit saved, and the hub again.
#include "app/app_navigator.h"
#include "hub/hub_screen.h"
#include "hub/password_panel.h"
#include "maintenance/criteria_editor_window.h"
#include "startup/startup_loader.h"
#include "state/level_table.h"
#include "state/shared_state.h"
#include "support/data_root.h"
#include "support/fakes.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <memory>

namespace {

QStringList visibleWindows()
{
    QStringList names;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->isVisible())
            names << w->objectName();
    return names;
}

TEST(TeacherLoop, PasswordOpensOnlyTheEditorAndLeavingItBringsTheHubBack)
{
    TestInstall install;
    install.writeDefaults();
    auto state = std::make_unique<SharedState>();
    FakePlatform fakes;
    ASSERT_TRUE(LoadPathsAndSettings(*state, fakes.platform, install.programFolder()));
    fillLevelTable(*state);
    state->PupilNumber = 9;
    state->PupilName = QStringLiteral("山口先生");
    state->SeasonColour = Rgb { 192, 255, 192 };
    state->GradeFilter = QStringLiteral("全学年");
    auto navigator = std::make_unique<AppNavigator>(*state, fakes.platform);

    navigator->showHub();
    auto *hub = qobject_cast<HubScreen *>(navigator->hub());
    ASSERT_NE(hub, nullptr);
    hub->openPasswordPanel();
    QTest::keyClicks(hub->passwordPanel()->passwordBox(), QStringLiteral("1234"));
    hub->passwordPanel()->openEditor(1);
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    EXPECT_EQ(navigator->hub(), nullptr);
    auto *editor = qobject_cast<CriteriaEditorWindow *>(navigator->criteriaEditor());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(visibleWindows(), QStringList { QStringLiteral("FrmTimeData") });

    QTest::keyClicks(editor->widgets().editBox, QStringLiteral("5"));
    editor->saveAndRefocus();
    EXPECT_EQ(state->TargetTime[1], 605);
    editor->leave();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(navigator->criteriaEditor(), nullptr);
    ASSERT_NE(navigator->hub(), nullptr);
    EXPECT_EQ(visibleWindows(), QStringList { QStringLiteral("seisekitime1") });
    auto *again = qobject_cast<HubScreen *>(navigator->hub());
    EXPECT_TRUE(again->refreshDone());
    EXPECT_TRUE(again->passwordPanel()->isHidden());
    EXPECT_TRUE(again->passwordPanel()->passwordBox()->text().isEmpty());
    EXPECT_TRUE(again->criteria(1)->text().startsWith(QStringLiteral("目標=605秒")));

    navigator.reset();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(fakes.fatal.called());
}

TEST(TeacherLoop, TheClassListImportOfThePanelOpensItsFileDialogThroughTheNavigator)
{
    TestInstall install;
    install.writeDefaults();
    auto state = std::make_unique<SharedState>();
    FakePlatform fakes;
    ASSERT_TRUE(LoadPathsAndSettings(*state, fakes.platform, install.programFolder()));
    fillLevelTable(*state);
    state->PupilNumber = 9;
    state->PupilName = QStringLiteral("山口先生");
    state->SeasonColour = Rgb { 192, 255, 192 };
    state->GradeFilter = QStringLiteral("全学年");
    auto navigator = std::make_unique<AppNavigator>(*state, fakes.platform);
    navigator->showHub();
    auto *hub = qobject_cast<HubScreen *>(navigator->hub());
    ASSERT_NE(hub, nullptr);
    hub->findChild<QPushButton *>(QStringLiteral("Command8"))->click();
    QTest::keyClicks(hub->passwordPanel()->passwordBox(), QStringLiteral("1234"));

    QString dialogTitle;
    QTimer::singleShot(50, [&dialogTitle] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            dialogTitle = modal->windowTitle();
            modal->close();
        }
    });
    hub->passwordPanel()->findChild<QPushButton *>(QStringLiteral("RosterImport"))->click();
    EXPECT_EQ(dialogTitle, QStringLiteral("名簿のCSVファイルを選ぶ"));
    EXPECT_EQ(navigator->hub(), hub);
    EXPECT_TRUE(hub->passwordPanel()->isVisible());

    navigator.reset();
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(fakes.fatal.called());
}

} // namespace
