// SPDX-License-Identifier: MIT
// The results-data editor as the running program shows it: opened in place
// of the hub, and "戻る" back to a fresh hub with the editor gone.
#include "app/app_navigator.h"
#include "maintenance/data_editor_window.h"
#include "maintenance/results_list_model.h"
#include "roster/roster_file.h"
#include "startup/level_table.h"
#include "startup/shared_state.h"
#include "startup/startup_loader.h"
#include "support/data_root.h"
#include "support/fakes.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

TEST(DataEditorNavigation, OpensInPlaceOfTheHubAndBackShowsTheHubAgain)
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
    state->SeasonColour = QColor(192, 255, 192);
    state->GradeFilter = QStringLiteral("全学年");
    {
        AppNavigator navigator(*state, fakes.platform);
        navigator.showHub();
        ASSERT_NE(navigator.hub(), nullptr);

        // What the password panel does after the right password.
        navigator.showDataEditor();
        navigator.closeHub();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        auto *editor = qobject_cast<FrmData *>(navigator.dataEditor());
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
