// SPDX-License-Identifier: MIT
// A teacher who works with the keyboard alone: from the hub through the
// password panel into each tool, a change saved, and back to the hub, with
// nothing but key presses sent to whatever has the focus.
#include "app/app_navigator.h"
#include "hub/hub_screen.h"
#include "hub/password_panel.h"
#include "maintenance/criteria_editor_window.h"
#include "results/result_record.h"
#include "results/results_file.h"
#include "startup/startup_loader.h"
#include "state/level_table.h"
#include "state/shared_state.h"
#include "support/data_root.h"
#include "support/fakes.h"
#include "support/message_boxes.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

struct TeacherKeys : ::testing::Test {
    TestInstall install;
    FakePlatform fakes;
    std::unique_ptr<SharedState> state = std::make_unique<SharedState>();
    std::unique_ptr<AppNavigator> navigator;

    void SetUp() override
    {
        install.writeDefaults();
        install.writeRoster(QStringLiteral("3,2012,0,0,\"石井 はると\",0,\"\",\"\"\n"
                                           "12,2013,0,0,\"青木 さくら\",0,\"\",\"\"\n"
                                           "30,1975,0,0,\"山口先生\",0,\"\",\"\"\n"));
        ASSERT_TRUE(LoadPathsAndSettings(*state, fakes.platform, install.programFolder()));
        fillLevelTable(*state);
        state->PupilNumber = 30;
        state->PupilName = QStringLiteral("山口先生");
        state->SeasonColour = Rgb { 192, 255, 192 };
        state->GradeFilter = QStringLiteral("全学年");
        navigator = std::make_unique<AppNavigator>(*state, fakes.platform);
    }

    void TearDown() override
    {
        navigator.reset();
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        EXPECT_FALSE(fakes.fatal.called());
    }

    // The window the navigator just showed, once the one it replaced is
    // gone and it has the keyboard.
    QWidget *settle(QWidget *window)
    {
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (window) {
            window->activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(window));
        }
        return window;
    }

    // A button's Alt key from its caption presses it a moment later (Qt
    // shows the press), so the test waits for what it does.
    static bool waitFor(const std::function<bool()> &done) { return QTest::qWaitFor(done, 2000); }

    QWidget *focused() const { return QApplication::focusWidget(); }
    QString focusedName() const { return focused() ? focused()->objectName() : QStringLiteral("(none)"); }

    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        ASSERT_NE(focused(), nullptr);
        QTest::keyClick(focused(), key, modifiers);
    }
    void type(const QString &text)
    {
        ASSERT_NE(focused(), nullptr);
        QTest::keyClicks(focused(), text);
    }
    // Tab until the named control has the focus; false when a whole round
    // of the window's controls never reaches it.
    bool tabTo(const QString &name, Qt::Key key = Qt::Key_Tab)
    {
        for (int i = 0; i < 200; ++i) {
            if (focusedName() == name)
                return true;
            press(key);
        }
        return false;
    }

    // The hub as a teacher sees it, the password panel opened from it and
    // the password typed, all by keys.
    void passwordFromHub()
    {
        if (!navigator->hub())
            navigator->showHub();
        settle(navigator->hub());
        ASSERT_TRUE(tabTo(QStringLiteral("Command8"))) << "データ処理 is out of the keyboard's reach";
        press(Qt::Key_Space);
        auto *hub = qobject_cast<HubScreen *>(navigator->hub());
        ASSERT_NE(hub, nullptr);
        ASSERT_TRUE(hub->passwordPanel()->isVisible());
        ASSERT_EQ(focused(), hub->passwordPanel()->passwordBox());
        type(QStringLiteral("1234"));
    }

    ResultRecord readRecord(qint64 number) const
    {
        QFile f(resultsFilePath(*state));
        EXPECT_TRUE(f.open(QIODevice::ReadOnly));
        f.seek((number - 1) * kRecordLength);
        const QByteArray bytes = f.read(kRecordLength);
        EXPECT_EQ(bytes.size(), kRecordLength);
        return decodeRecord(bytes.constData());
    }
};

TEST_F(TeacherKeys, CriteriaEditorReachedChangedSavedAndLeftWithKeysAlone)
{
    passwordFromHub();
    press(Qt::Key_G, Qt::AltModifier); // 合格タイムデータ変更
    auto *editor = qobject_cast<CriteriaEditorWindow *>(settle(navigator->criteriaEditor()));
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(navigator->hub(), nullptr);
    QLineEdit *box = editor->widgets().editBox;
    ASSERT_EQ(focused(), box);
    EXPECT_EQ(box->accessibleName(), QStringLiteral("レベル1 目標Time"));

    press(Qt::Key_Down);
    press(Qt::Key_Right); // level 2, 最低Time
    EXPECT_EQ(box->accessibleName(), QStringLiteral("レベル2 最低Time"));
    const QString before = editor->cellText(2, 2);
    type(QStringLiteral("0"));
    EXPECT_EQ(editor->cellText(2, 2), before + QStringLiteral("0"));

    // Tab leaves the box for the options and buttons, and comes back.
    press(Qt::Key_Tab);
    EXPECT_NE(focused(), box);
    ASSERT_TRUE(tabTo(QStringLiteral("Command3"))); // 更新記録
    press(Qt::Key_Tab);
    press(Qt::Key_Tab);
    press(Qt::Key_Tab);
    EXPECT_EQ(focused(), box) << focusedName().toStdString();
    press(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(focusedName(), QStringLiteral("Command4"));
    press(Qt::Key_Tab);
    EXPECT_EQ(focused(), box);

    ASSERT_TRUE(tabTo(QStringLiteral("Command3"), Qt::Key_Backtab));
    press(Qt::Key_Return);
    EXPECT_FALSE(editor->changed());
    EXPECT_EQ(state->PassLineTime[2], (before + QStringLiteral("0")).toInt());
    EXPECT_EQ(focused(), box) << "after saving, typing goes on in the box";

    press(Qt::Key_B, Qt::AltModifier); // 戻る
    ASSERT_TRUE(waitFor([this] { return navigator->hub() != nullptr; }));
    settle(navigator->hub());
    EXPECT_EQ(navigator->criteriaEditor(), nullptr);
    ASSERT_NE(navigator->hub(), nullptr);
    EXPECT_TRUE(navigator->hub()->isVisible());
}

TEST_F(TeacherKeys, DataEditorRunOpenedItsTimeChangedSavedAndLeftWithKeysAlone)
{
    for (int seconds : { 41, 52, 63 }) {
        ResultRecord r;
        r.date = 46000;
        r.pupilNumber = 12;
        r.level = 1;
        r.seconds = seconds;
        ASSERT_EQ(appendResultRecord(resultsFilePath(*state), r, fakes.clock), 0);
    }
    passwordFromHub();
    ASSERT_TRUE(tabTo(QStringLiteral("Command10_0"))); // データ変更
    press(Qt::Key_Return);
    QWidget *editor = settle(navigator->dataEditor());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(navigator->hub(), nullptr);
    ASSERT_EQ(focusedName(), QStringLiteral("List1"));

    press(Qt::Key_Home); // the first run
    press(Qt::Key_Down); // the second
    press(Qt::Key_Return); // opens it
    auto *timeBox = editor->findChild<QLineEdit *>(QStringLiteral("Text1_1"));
    ASSERT_TRUE(timeBox->isVisible());
    EXPECT_EQ(timeBox->text(), QStringLiteral("52"));
    ASSERT_TRUE(tabTo(QStringLiteral("Text1_1")));
    press(Qt::Key_A, Qt::ControlModifier);
    type(QStringLiteral("47"));
    // Enter in the box beside two buttons presses neither.
    press(Qt::Key_Return);
    EXPECT_EQ(readRecord(2).seconds, 52);

    press(Qt::Key_S, Qt::AltModifier); // 変更して記録
    EXPECT_TRUE(waitFor([this] { return readRecord(2).seconds == 47; }));
    EXPECT_EQ(readRecord(1).seconds, 41);
    EXPECT_EQ(readRecord(3).seconds, 63);

    // Tab goes round the window and comes back to the list.
    ASSERT_TRUE(tabTo(QStringLiteral("Command4")));
    press(Qt::Key_Tab);
    EXPECT_EQ(focusedName(), QStringLiteral("List1"));
    press(Qt::Key_Tab, Qt::ShiftModifier);
    EXPECT_EQ(focusedName(), QStringLiteral("Command4"));
    press(Qt::Key_Return); // 戻る
    settle(navigator->hub());
    EXPECT_EQ(navigator->dataEditor(), nullptr);
    ASSERT_NE(navigator->hub(), nullptr);
    EXPECT_TRUE(navigator->hub()->isVisible());
}

TEST_F(TeacherKeys, PasswordPanelOpensEachToolByItsKey)
{
    passwordFromHub();
    auto *hub = qobject_cast<HubScreen *>(navigator->hub());
    // Enter in the box: four buttons can be pressed, so it presses none.
    press(Qt::Key_Return);
    EXPECT_EQ(navigator->hub(), hub);
    EXPECT_TRUE(hub->passwordPanel()->isVisible());
    EXPECT_EQ(navigator->dataEditor(), nullptr);
    EXPECT_EQ(navigator->criteriaEditor(), nullptr);

    press(Qt::Key_D, Qt::AltModifier); // データ変更
    ASSERT_NE(settle(navigator->dataEditor()), nullptr);
    press(Qt::Key_B, Qt::AltModifier); // the editor's 戻る
    ASSERT_TRUE(waitFor([this] { return navigator->hub() != nullptr; }));
    settle(navigator->hub());
    ASSERT_EQ(navigator->dataEditor(), nullptr);

    passwordFromHub();
    press(Qt::Key_G, Qt::AltModifier); // 合格タイムデータ変更
    ASSERT_NE(settle(navigator->criteriaEditor()), nullptr);
    press(Qt::Key_B, Qt::AltModifier);
    ASSERT_TRUE(waitFor([this] { return navigator->hub() != nullptr; }));
    settle(navigator->hub());
    ASSERT_EQ(navigator->criteriaEditor(), nullptr);

    passwordFromHub();
    hub = qobject_cast<HubScreen *>(navigator->hub());
    QString dialogTitle;
    QTimer::singleShot(50, [&dialogTitle] {
        if (QWidget *modal = QApplication::activeModalWidget()) {
            dialogTitle = modal->windowTitle();
            modal->close();
        }
    });
    press(Qt::Key_M, Qt::AltModifier); // 名簿の読み込み
    EXPECT_EQ(dialogTitle, QStringLiteral("名簿のCSVファイルを選ぶ"));
    ASSERT_TRUE(hub->passwordPanel()->isVisible());
    hub->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(hub));
    press(Qt::Key_B, Qt::AltModifier); // the panel's 戻る
    EXPECT_TRUE(hub->passwordPanel()->isHidden());
    EXPECT_EQ(hub->passwordPanel()->passwordBox()->text(), QStringLiteral("1234"));
}

TEST_F(TeacherKeys, AWrongPasswordIsToldAndTheKeysStayInThePanel)
{
    passwordFromHub();
    press(Qt::Key_Backspace);
    MessageBoxAnswerer boxes;
    press(Qt::Key_D, Qt::AltModifier);
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_EQ(boxes.texts[0], QStringLiteral("パスワードを入力して下さい"));
    EXPECT_EQ(navigator->dataEditor(), nullptr);
    ASSERT_NE(navigator->hub(), nullptr);
    auto *hub = qobject_cast<HubScreen *>(navigator->hub());
    EXPECT_EQ(hub->focusWidget(), hub->passwordPanel()->passwordBox());
}

} // namespace
