// SPDX-License-Identifier: MIT
#include "setup/data_files.h"
#include "setup/first_run.h"
#include "setup/first_run_dialog.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

struct FirstRunDialogTest : ::testing::Test {
    QTemporaryDir dir;
    QString config() const { return dir.path() + "/config/rukamina/"; }
    QString data() const { return dir.path() + "/学校データ"; }
    FirstRunDialog dialog { QStringLiteral("prog"), QString(), config() };

    FirstRunDialogTest()
    {
        dialog.show();
        dialog.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
    }

    // Types into a box the way a teacher would: focus by click, then keys.
    static void type(QLineEdit *box, const QString &text)
    {
        box->setFocus();
        box->selectAll();
        // Japanese arrives from the input method as text, not as key codes.
        QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, text, Qt::NoModifier);
    }

    void fillIn(const QString &password, const QString &again)
    {
        type(dialog.folderBox(), data());
        type(dialog.schoolNameBox(), QStringLiteral("みなみ小学校"));
        type(dialog.schoolCodeBox(), QStringLiteral("12345"));
        dialog.startMonthBox()->setFocus();
        dialog.startMonthBox()->selectAll();
        QTest::keyClicks(dialog.startMonthBox(), QStringLiteral("9"));
        type(dialog.passwordBox(), password);
        type(dialog.passwordAgainBox(), again);
    }
};

TEST_F(FirstRunDialogTest, EnterOnTheFilledInFormCreatesTheFolderAndThePathFile)
{
    fillIn("4321", "4321");
    QTest::keyClick(dialog.passwordAgainBox(), Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted) << dialog.problemText().toStdString();
    EXPECT_EQ(dialog.writtenPathFile(), config() + "パスデータ.txt");

    QFile path(config() + "パスデータ.txt");
    ASSERT_TRUE(path.open(QIODevice::ReadOnly));
    EXPECT_EQ(path.readAll(), datafiles::itemFileBytes(datafiles::pathFileText(data() + "/")));
    QFile settings(data() + "/共通データ.txt");
    ASSERT_TRUE(settings.open(QIODevice::ReadOnly));
    EXPECT_EQ(settings.readAll(),
        datafiles::itemFileBytes(
            datafiles::settingsText({ 9, QStringLiteral("12345"), QStringLiteral("みなみ小学校"), 0, "4321" })));
    EXPECT_TRUE(QFile::exists(data() + "/prog/成績累積データ.dat"));
}

TEST_F(FirstRunDialogTest, DifferentPasswordsWriteNothing)
{
    fillIn("4321", "4322");
    QTest::mouseClick(dialog.createButton(), Qt::LeftButton);
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(dialog.problemText().contains(QStringLiteral("パスワードが同じではありません")));
    EXPECT_FALSE(QDir(data()).exists());
    EXPECT_FALSE(QDir(config()).exists());
}

TEST_F(FirstRunDialogTest, DecliningToReplaceAnEarlierFolderWritesNothing)
{
    QString error;
    ASSERT_TRUE(datafiles::writeFileAtomically(data() + "/共通データ.txt", "earlier", &error));
    QStringList asked;
    dialog.confirmReplace = [&asked](const QString &, const QStringList &files) {
        asked = files;
        return false;
    };
    fillIn("1", "1");
    QTest::mouseClick(dialog.createButton(), Qt::LeftButton);
    EXPECT_EQ(asked, QStringList { "共通データ.txt" });
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(QFile::exists(data() + "/新名簿.txt"));
    EXPECT_FALSE(QFile::exists(config() + "パスデータ.txt"));
}

TEST_F(FirstRunDialogTest, AnExistingFolderNeedsOnlyThePathFile)
{
    // A folder made earlier on another PC.
    firstrun::NewDataFolder entry;
    entry.folder = data();
    entry.settings.schoolName = QStringLiteral("北校");
    entry.settings.password = "1";
    QString error;
    ASSERT_TRUE(firstrun::createDataFolder(entry, "prog", QString(), false, QDateTime::currentDateTime(), &error));
    const QStringList before = QDir(data()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

    // From the first option to the second by the arrow key.
    dialog.newFolderOption()->setFocus();
    QTest::keyClick(dialog.newFolderOption(), Qt::Key_Down);
    ASSERT_TRUE(dialog.existingFolderOption()->isChecked());
    EXPECT_FALSE(dialog.schoolNameBox()->isEnabled());
    type(dialog.folderBox(), data());
    QTest::keyClick(dialog.folderBox(), Qt::Key_Return);
    EXPECT_EQ(dialog.result(), QDialog::Accepted) << dialog.problemText().toStdString();
    EXPECT_TRUE(QFile::exists(config() + "パスデータ.txt"));
    EXPECT_EQ(QDir(data()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
}

TEST_F(FirstRunDialogTest, AFolderThatIsNotADataFolderIsRefused)
{
    dialog.existingFolderOption()->setChecked(true);
    QDir().mkpath(data());
    type(dialog.folderBox(), data());
    QTest::mouseClick(dialog.createButton(), Qt::LeftButton);
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(dialog.problemText().contains(QStringLiteral("共通データ.txt"))) << dialog.problemText().toStdString();
    EXPECT_FALSE(QFile::exists(config() + "パスデータ.txt"));
}

} // namespace
