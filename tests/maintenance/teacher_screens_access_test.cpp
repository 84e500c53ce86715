// SPDX-License-Identifier: MIT
// The teachers' screens as a screen reader finds them: walking the
// accessibility tree down from the window, every value on screen (labels,
// list rows, grid cells, input boxes) must be there with a name or text to
// read; and every button must have a key, shown in its caption or told in
// its description.
#include "hub/hub_screen.h"
#include "hub/password_panel.h"
#include "maintenance/criteria_editor_window.h"
#include "maintenance/data_editor_window.h"
#include "platform/button_keys.h"
#include "results/result_record.h"
#include "results/results_file.h"
#include "startup/startup_loader.h"
#include "state/level_table.h"
#include "state/shared_state.h"
#include "support/data_root.h"
#include "support/fake_navigator.h"
#include "support/fakes.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QShortcut>
#include <QTest>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <set>

namespace {

struct Reading {
    QString name;
    QString value;
};

// Everything reachable from the window, as a screen reader walks it.
struct AccessibilityTree {
    std::map<QObject *, Reading> widgets;
    std::set<QString> texts; // names and values of every node, cells and rows included

    explicit AccessibilityTree(QWidget *window) { walk(QAccessible::queryAccessibleInterface(window), 0); }

    void walk(QAccessibleInterface *face, int depth)
    {
        if (!face || depth > 40)
            return;
        const Reading reading { face->text(QAccessible::Name), face->text(QAccessible::Value) };
        if (QObject *object = face->object())
            widgets.emplace(object, reading);
        texts.insert(reading.name);
        texts.insert(reading.value);
        for (int i = 0; i < face->childCount(); ++i)
            walk(face->child(i), depth + 1);
    }
};

// Checks every value shown inside `scope` (a window or a panel of one).
void expectEveryValueReadable(QWidget *window, QWidget *scope)
{
    const AccessibilityTree tree(window);
    int checked = 0;
    for (QLabel *label : scope->findChildren<QLabel *>()) {
        if (!label->isVisibleTo(window) || label->text().isEmpty())
            continue;
        ++checked;
        const auto found = tree.widgets.find(label);
        ASSERT_NE(found, tree.widgets.end()) << label->objectName().toStdString() << " is not in the tree";
        EXPECT_TRUE(found->second.name == label->text() || found->second.value == label->text())
            << label->objectName().toStdString() << " shows \"" << label->text().toStdString() << "\" but reads \""
            << found->second.name.toStdString() << "\"";
    }
    for (QLineEdit *box : scope->findChildren<QLineEdit *>()) {
        if (!box->isVisibleTo(window) || qobject_cast<QComboBox *>(box->parentWidget()))
            continue;
        ++checked;
        const auto found = tree.widgets.find(box);
        ASSERT_NE(found, tree.widgets.end()) << box->objectName().toStdString() << " is not in the tree";
        EXPECT_FALSE(found->second.name.isEmpty()) << box->objectName().toStdString() << " has no name";
        if (box->echoMode() == QLineEdit::Normal) {
            EXPECT_EQ(found->second.value, box->text()) << box->objectName().toStdString();
        }
    }
    for (QComboBox *combo : scope->findChildren<QComboBox *>()) {
        if (!combo->isVisibleTo(window))
            continue;
        ++checked;
        const auto found = tree.widgets.find(combo);
        ASSERT_NE(found, tree.widgets.end()) << combo->objectName().toStdString() << " is not in the tree";
        EXPECT_FALSE(found->second.name.isEmpty()) << combo->objectName().toStdString() << " has no name";
        EXPECT_EQ(found->second.value, combo->currentText()) << combo->objectName().toStdString();
    }
    for (QAbstractItemView *view : scope->findChildren<QAbstractItemView *>()) {
        if (!view->isVisibleTo(window) || qobject_cast<QComboBox *>(view->parentWidget()))
            continue;
        const auto found = tree.widgets.find(view);
        ASSERT_NE(found, tree.widgets.end()) << view->objectName().toStdString() << " is not in the tree";
        EXPECT_FALSE(found->second.name.isEmpty()) << view->objectName().toStdString() << " has no name";
        const QAbstractItemModel *model = view->model();
        for (int r = 0; r < model->rowCount(view->rootIndex()); ++r) {
            for (int c = 0; c < model->columnCount(view->rootIndex()); ++c) {
                const QString text = model->index(r, c, view->rootIndex()).data().toString();
                if (text.isEmpty())
                    continue;
                ++checked;
                EXPECT_TRUE(tree.texts.count(text)) << view->objectName().toStdString() << " row " << r << " column "
                                                    << c << " \"" << text.toStdString() << "\" cannot be read";
            }
        }
    }
    for (QAbstractButton *button : scope->findChildren<QAbstractButton *>()) {
        if (!button->isVisibleTo(window))
            continue;
        ++checked;
        const auto found = tree.widgets.find(button);
        ASSERT_NE(found, tree.widgets.end()) << button->objectName().toStdString() << " is not in the tree";
        EXPECT_FALSE(found->second.name.isEmpty()) << button->objectName().toStdString();
    }
    EXPECT_GT(checked, 3);
}

// A key in the caption (a mnemonic), or a shortcut of the button's own
// that its description tells.
void expectEveryButtonHasAKey(QWidget *window, QWidget *scope)
{
    for (QAbstractButton *button : scope->findChildren<QAbstractButton *>()) {
        if (!button->isVisibleTo(window) || qobject_cast<QComboBox *>(button->parentWidget()))
            continue;
        if (!QKeySequence::mnemonic(button->text()).isEmpty())
            continue;
        const auto shortcuts = button->findChildren<QShortcut *>(Qt::FindDirectChildrenOnly);
        ASSERT_FALSE(shortcuts.isEmpty())
            << button->objectName().toStdString() << " \"" << button->text().toStdString() << "\" has no key";
        const QString key = shortcuts.front()->key().toString(QKeySequence::NativeText);
        EXPECT_TRUE(button->accessibleDescription().contains(key))
            << button->objectName().toStdString() << " does not tell its key " << key.toStdString();
    }
}

struct TeacherScreen : ::testing::Test {
    TestInstall install;
    FakePlatform fakes;
    FakeNavigator navigator;
    std::unique_ptr<SharedState> state = std::make_unique<SharedState>();

    void SetUp() override
    {
        QAccessible::setActive(true);
        install.writeDefaults();
        install.writeRoster(QStringLiteral("12,2013,0,0,\"青木 さくら\",0,\"\",\"\"\n"
                                           "30,1975,0,0,\"山口先生\",0,\"\",\"\"\n"));
        ASSERT_TRUE(LoadPathsAndSettings(*state, fakes.platform, install.programFolder()));
        fillLevelTable(*state);
        for (int seconds : { 41, 52, 130 }) {
            ResultRecord r;
            r.date = 46000;
            r.pupilNumber = 12;
            r.level = 2;
            r.seconds = seconds;
            ASSERT_EQ(appendResultRecord(resultsFilePath(*state), r, fakes.clock), 0);
        }
    }
    void TearDown() override { EXPECT_FALSE(fakes.fatal.called()); }
};

TEST_F(TeacherScreen, CriteriaEditorShowsNothingAScreenReaderCannotRead)
{
    CriteriaEditorWindow editor(*state, fakes.platform, navigator);
    editor.show();
    editor.onShown();
    QLineEdit *box = editor.widgets().editBox;
    QTest::keyClick(box, Qt::Key_Down);
    QTest::keyClick(box, Qt::Key_Right);
    expectEveryValueReadable(&editor, &editor);
    expectEveryButtonHasAKey(&editor, &editor);

    // The box is named for its cell and reads the cell's value.
    const AccessibilityTree tree(&editor);
    ASSERT_TRUE(tree.widgets.count(box));
    EXPECT_EQ(tree.widgets.at(box).name, QStringLiteral("レベル2 最低Time"));
    EXPECT_EQ(tree.widgets.at(box).value, editor.cellText(2, 2));
    EXPECT_FALSE(box->text().isEmpty());
}

TEST_F(TeacherScreen, DataEditorShowsNothingAScreenReaderCannotRead)
{
    DataEditorWindow editor(*state, fakes.platform, navigator);
    editor.show();
    editor.onShown();
    editor.openRun(1);
    expectEveryValueReadable(&editor, &editor);
    expectEveryButtonHasAKey(&editor, &editor);
}

TEST_F(TeacherScreen, PasswordPanelShowsNothingAScreenReaderCannotRead)
{
    state->PupilName = QStringLiteral("山口先生");
    state->SeasonColour = Rgb { 192, 255, 192 };
    state->GradeFilter = QStringLiteral("全学年");
    HubScreen hub(*state, fakes.platform, navigator);
    hub.show();
    hub.onShown();
    hub.openPasswordPanel();
    QTest::keyClicks(hub.passwordPanel()->passwordBox(), QStringLiteral("12"));
    expectEveryValueReadable(&hub, hub.passwordPanel());
    expectEveryButtonHasAKey(&hub, hub.passwordPanel());
}

// Enter in an input box beside several buttons.
struct EnterCase {
    std::vector<bool> enabled;
    int pressed; // index of the button pressed, -1 for none
};

class EnterInABox : public ::testing::TestWithParam<EnterCase> { };

TEST_P(EnterInABox, PressesTheOnlyButtonThatCanBePressed)
{
    const EnterCase &c = GetParam();
    QWidget panel;
    QList<QAbstractButton *> buttons;
    std::vector<int> clicks(c.enabled.size(), 0);
    for (size_t i = 0; i < c.enabled.size(); ++i) {
        auto *button = new QPushButton(QStringLiteral("b%1").arg(i), &panel);
        button->setEnabled(c.enabled[i]);
        QObject::connect(button, &QPushButton::clicked, [&clicks, i] { ++clicks[i]; });
        buttons << button;
    }
    auto *hidden = new QPushButton(QStringLiteral("hidden"), &panel);
    hidden->hide();
    buttons << hidden;
    panel.show();
    EXPECT_EQ(pressOnlyEnabledButton(buttons), c.pressed >= 0);
    for (size_t i = 0; i < clicks.size(); ++i)
        EXPECT_EQ(clicks[i], int(i) == c.pressed ? 1 : 0) << "button " << i;
}

INSTANTIATE_TEST_SUITE_P(Buttons, EnterInABox,
    ::testing::Values(EnterCase { { true, true, true, true }, -1 }, EnterCase { { false, true, false }, 1 },
        EnterCase { { true }, 0 }, EnterCase { { false, false }, -1 }, EnterCase { { false, true, true }, -1 }));

} // namespace
