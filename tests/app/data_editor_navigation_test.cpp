// SPDX-License-Identifier: MIT
// The results-data editor as the running program shows it: opened from the
// hub's password panel in place of the hub, and "戻る" back to a fresh hub
// with the editor gone.
#include "app/app_navigator.h"
#include "hub/hub_screen.h"
#include "hub/password_panel.h"
#include "maintenance/data_editor_window.h"
#include "maintenance/results_list_model.h"
#include "roster/roster_file.h"
#include "startup/startup_loader.h"
#include "state/level_table.h"
#include "state/shared_state.h"
#include "support/data_root.h"
#include "support/fakes.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

TEST(DataEditorNavigation, PasswordOpensItInPlaceOfTheHubAndBackShowsTheHubAgain)
{
    TestInstall install;
    install.writeDefaults();
    install.writeRoster(QStringLiteral("1,2017,0,0,\"大野 ひな\",0,\"\",\"\"\n"
                                       "3,1980,0,0,\"★山口\",0,\"\",\"\"\n"));
    ResultRecord run;
    run.date = 46365;
    run.pupilNumber = 1;
    run.level = 1;
    run.seconds = 80;
    install.writeBytes(install.programDataFolder() + QStringLiteral("成績累積データ.dat"), encodeRecord(run));

    auto state = std::make_unique<SharedState>();
    FakePlatform fakes;
    ASSERT_TRUE(LoadPathsAndSettings(*state, fakes.platform, install.programFolder()));
    ASSERT_TRUE(LoadRoster(*state, fakes.clock.today(), {}, nullptr));
    fillLevelTable(*state);
    state->PupilNumber = 3;
    state->PupilName = state->RosterName[3];
    state->SeasonColour = Rgb { 192, 255, 192 };
    state->GradeFilter = QStringLiteral("全学年");
    {
        AppNavigator navigator(*state, fakes.platform);
        navigator.showHub();
        ASSERT_NE(navigator.hub(), nullptr);

        // The teacher's way in: "データ処理", the password, "データ変更".
        auto *hub = qobject_cast<HubScreen *>(navigator.hub());
        ASSERT_NE(hub, nullptr);
        QTest::mouseClick(hub->findChild<QPushButton *>(QStringLiteral("Command8")), Qt::LeftButton);
        ASSERT_TRUE(hub->passwordPanel()->isVisible());
        QTest::keyClicks(hub->passwordPanel()->passwordBox(), QStringLiteral("1234"));
        QTest::mouseClick(
            hub->passwordPanel()->findChild<QPushButton *>(QStringLiteral("Command10_0")), Qt::LeftButton);
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        auto *editor = qobject_cast<DataEditorWindow *>(navigator.dataEditor());
        ASSERT_NE(editor, nullptr);
        EXPECT_TRUE(editor->isVisible());
        EXPECT_EQ(navigator.hub(), nullptr);
        EXPECT_EQ(editor->listModel().rowCount(), 1);

        QTest::mouseClick(editor->findChild<QPushButton *>(QStringLiteral("Command4")), Qt::LeftButton);
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_EQ(navigator.dataEditor(), nullptr);
        ASSERT_NE(navigator.hub(), nullptr);
        EXPECT_TRUE(navigator.hub()->isVisible());
    }
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace
