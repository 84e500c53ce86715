// SPDX-License-Identifier: MIT
// The teachers' way into the editors: "データ処理" on the hub, the password
// panel, and the hub's start keys while it shows.
#include "hub/hub_screen.h"
#include "hub/password_panel.h"
#include "platform/item_value.h"
#include "startup/startup_loader.h"
#include "state/level_table.h"
#include "state/shared_state.h"
#include "support/data_root.h"
#include "support/fake_navigator.h"
#include "support/fakes.h"
#include "support/message_boxes.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

struct Panel : ::testing::Test {
    std::unique_ptr<SharedState> state = std::make_unique<SharedState>();
    FakePlatform fakes;
    FakeNavigator navigator;
    TestInstall install;
    std::unique_ptr<HubScreen> hub;

    void SetUp() override
    {
        install.writeDefaults(); // password 1234
        ASSERT_TRUE(LoadPathsAndSettings(*state, fakes.platform, install.programFolder()));
        fillLevelTable(*state);
        state->SeasonColour = Rgb { 192, 255, 192 };
        state->GradeFilter = QStringLiteral("全学年");
        state->PupilNumber = 9;
        state->SchoolYear = 2026;
        state->SignInTime = 9 * 3600;
    }
    void open(const QString &name)
    {
        state->PupilName = name.leftJustified(20, QLatin1Char(' '));
        hub = std::make_unique<HubScreen>(*state, fakes.platform, navigator);
        hub->show();
        hub->onShown();
    }
    QPushButton *dataButton() const { return hub->findChild<QPushButton *>(QStringLiteral("Command8")); }
    PasswordPanel *panel() const { return hub->passwordPanel(); }
    QLineEdit *passwordBox() const { return panel()->passwordBox(); }
    QPushButton *panelButton(const char *name) const
    {
        return panel()->findChild<QPushButton *>(QString::fromLatin1(name));
    }
    void openPanelAndType(const QString &text)
    {
        dataButton()->click();
        passwordBox()->setFocus();
        QTest::keyClicks(passwordBox(), text);
    }
};

class TeacherName : public Panel, public ::testing::WithParamInterface<std::pair<const char16_t *, bool>> { };

TEST_P(TeacherName, DecidesWhoSeesTheDataButton)
{
    open(QString::fromUtf16(GetParam().first));
    EXPECT_EQ(dataButton()->isVisible(), GetParam().second);
    EXPECT_FALSE(panel()->isVisible());
}

INSTANTIATE_TEST_SUITE_P(Names, TeacherName,
    ::testing::Values(std::pair { u"大野 ひな", false }, std::pair { u"先生", true }, std::pair { u"山口先生", true },
        std::pair { u"★山口", true }, std::pair { u"山口 せんせい", false }));

TEST_F(Panel, OpensInFrontAtItsPlaceWithTheTypedTextMasked)
{
    open(QStringLiteral("山口先生"));
    dataButton()->click();
    ASSERT_TRUE(panel()->isVisible());
    EXPECT_EQ(panel()->geometry(), QRect(324, 240, 403, 263));
    EXPECT_EQ(panel()->palette().color(QPalette::Window), QColor(0, 192, 0));
    EXPECT_EQ(panel()->findChild<QLabel *>(QStringLiteral("Label28"))->text(), QStringLiteral("データ変更パスワード"));
    EXPECT_EQ(panelButton("Command10_0")->text(), QStringLiteral("データ変更"));
    EXPECT_EQ(panelButton("Command10_1")->text(), QStringLiteral("合格タイムデータ変更"));
    EXPECT_EQ(panelButton("Command12")->text(), QStringLiteral("戻る"));
    EXPECT_TRUE(passwordBox()->hasFocus() || !QApplication::focusWidget());
    QTest::keyClicks(passwordBox(), QStringLiteral("12ab"));
    EXPECT_EQ(passwordBox()->text(), QStringLiteral("12ab"));
    EXPECT_EQ(passwordBox()->displayText(), QStringLiteral("****"));
    // Raised above every other control of the hub.
    QWidget *top = hub->childAt(panel()->geometry().topLeft() + QPoint(3, 3));
    EXPECT_TRUE(top == panel() || panel()->isAncestorOf(top));
    // Every caption fits its button.
    for (QPushButton *button : panel()->findChildren<QPushButton *>()) {
        for (const QString &line : button->text().split(QLatin1Char('\n')))
            EXPECT_LE(button->fontMetrics().horizontalAdvance(line), button->width() - 6) << line.toStdString();
    }
    if (const QString out = qEnvironmentVariable("RUKAMINA_SCREENSHOT_DIR"); !out.isEmpty())
        hub->grab().save(out + QStringLiteral("/password_panel.png"));
}

class WrongPassword : public Panel, public ::testing::WithParamInterface<const char16_t *> { };

TEST_P(WrongPassword, IsAnsweredByTheMessageAndThePanelStaysWithItsText)
{
    open(QStringLiteral("★山口"));
    dataButton()->click();
    passwordBox()->setText(QString::fromUtf16(GetParam()));
    MessageBoxAnswerer boxes;
    panelButton("Command10_1")->click();
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_EQ(boxes.texts[0], QStringLiteral("パスワードを入力して下さい"));
    EXPECT_TRUE(navigator.calls.filter(QStringLiteral("Editor")).isEmpty());
    EXPECT_FALSE(navigator.calls.contains(QStringLiteral("closeHub")));
    EXPECT_TRUE(panel()->isVisible());
    EXPECT_EQ(passwordBox()->text(), QString::fromUtf16(GetParam()));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, WrongPassword, ::testing::Values(u"", u"１２３４", u"123", u"12345", u" 1234", u"1234 "));

TEST_F(Panel, SettingReadAsTextIsComparedCaseForCase)
{
    EXPECT_TRUE(passwordAccepted(QStringLiteral("Abc"), ItemValue::fromText(QStringLiteral("Abc"))));
    EXPECT_FALSE(passwordAccepted(QStringLiteral("abc"), ItemValue::fromText(QStringLiteral("Abc"))));
    EXPECT_FALSE(passwordAccepted(QStringLiteral("Ａｂｃ"), ItemValue::fromText(QStringLiteral("Abc"))));
    EXPECT_TRUE(passwordAccepted(QString(), ItemValue::fromText(QString())));
    EXPECT_TRUE(passwordAccepted(QStringLiteral("1.5"), ItemValue::fromNumber(1.5)));
}

TEST_F(Panel, StartButtonsAndKeysDoNothingWhileThePanelShows)
{
    open(QStringLiteral("★山口"));
    ASSERT_TRUE(hub->startButton(1)->isEnabled());
    openPanelAndType(QStringLiteral("1"));
    hub->startButton(1)->click();
    hub->startLevel(2);
    hub->startLevelFromName(1);
    QTest::keyClick(passwordBox(), Qt::Key_2);
    QTest::keyClick(passwordBox(), Qt::Key_0); // "0" would leave the hub
    EXPECT_EQ(passwordBox()->text(), QStringLiteral("120"));
    EXPECT_TRUE(navigator.calls.filter(QStringLiteral("Drill")).isEmpty());
    EXPECT_FALSE(navigator.calls.contains(QStringLiteral("showNameSelection")));

    panelButton("Command12")->click();
    EXPECT_FALSE(panel()->isVisible());
    EXPECT_EQ(passwordBox()->text(), QStringLiteral("120"));
    hub->startButton(1)->click();
    EXPECT_TRUE(navigator.calls.contains(QStringLiteral("openDrill")));
}

TEST_F(Panel, EscapeClosesThePanelLikeBack)
{
    open(QStringLiteral("★山口"));
    openPanelAndType(QStringLiteral("12"));
    QTest::keyClick(passwordBox(), Qt::Key_Escape);
    EXPECT_FALSE(panel()->isVisible());
    dataButton()->click();
    EXPECT_EQ(passwordBox()->text(), QStringLiteral("12"));
}

TEST_F(Panel, RightPasswordOpensTheCriteriaEditorAndClosesTheHub)
{
    open(QStringLiteral("★山口"));
    openPanelAndType(QStringLiteral("1234"));
    MessageBoxAnswerer boxes;
    panelButton("Command10_1")->setFocus();
    QTest::keyClick(panelButton("Command10_1"), Qt::Key_Return);
    EXPECT_TRUE(boxes.texts.isEmpty());
    const QStringList wanted = { QStringLiteral("showCriteriaEditor"), QStringLiteral("closeHub") };
    EXPECT_EQ(navigator.calls.mid(navigator.calls.indexOf(QStringLiteral("showCriteriaEditor"))), wanted);
}

TEST_F(Panel, RightPasswordOpensTheDataEditorAndClosesTheHub)
{
    open(QStringLiteral("★山口"));
    openPanelAndType(QStringLiteral("1234"));
    MessageBoxAnswerer boxes;
    panelButton("Command10_0")->click();
    EXPECT_TRUE(boxes.texts.isEmpty());
    const QStringList wanted = { QStringLiteral("showDataEditor"), QStringLiteral("closeHub") };
    EXPECT_EQ(navigator.calls.mid(navigator.calls.indexOf(QStringLiteral("showDataEditor"))), wanted);
}

TEST_F(Panel, WrongPasswordOpensNeitherEditor)
{
    open(QStringLiteral("★山口"));
    openPanelAndType(QStringLiteral("4321"));
    MessageBoxAnswerer boxes;
    panelButton("Command10_0")->click();
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_FALSE(navigator.calls.contains(QStringLiteral("showDataEditor")));
    EXPECT_FALSE(navigator.calls.contains(QStringLiteral("closeHub")));
    EXPECT_TRUE(panel()->isVisible());
}

TEST_F(Panel, RosterImportIsAskedForOnlyAfterTheRightPassword)
{
    open(QStringLiteral("★山口"));
    openPanelAndType(QStringLiteral("12"));
    {
        MessageBoxAnswerer boxes;
        panelButton("RosterImport")->click();
        ASSERT_EQ(boxes.texts.size(), 1);
        EXPECT_EQ(boxes.texts[0], QStringLiteral("パスワードを入力して下さい"));
    }
    EXPECT_FALSE(navigator.calls.contains(QStringLiteral("importRoster")));
    QTest::keyClicks(passwordBox(), QStringLiteral("34"));
    panelButton("RosterImport")->click();
    EXPECT_EQ(navigator.calls.count(QStringLiteral("importRoster")), 1);
    EXPECT_TRUE(panel()->isVisible());
    EXPECT_FALSE(navigator.calls.contains(QStringLiteral("closeHub")));
}

} // namespace
