// SPDX-License-Identifier: MIT
// The class overview as a teacher meets it: opened from the password
// panel, sorted from the header or the keyboard, printed to paper (a PDF
// read back with pdftotext), read by a screen reader, and left with Esc.
#include "app/app_navigator.h"
#include "hub/class_overview_model.h"
#include "hub/class_overview_print.h"
#include "hub/class_overview_window.h"
#include "hub/hub_screen.h"
#include "hub/password_panel.h"
#include "results/result_record.h"
#include "roster/roster_file.h"
#include "startup/startup_loader.h"
#include "state/level_table.h"
#include "state/shared_state.h"
#include "support/data_root.h"
#include "support/fake_navigator.h"
#include "support/fakes.h"
#include "support/message_boxes.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace {

const QString kFamilies[] = { QStringLiteral("青木"), QStringLiteral("石井"), QStringLiteral("上田"),
    QStringLiteral("江藤"), QStringLiteral("大野") };

QString pupilName(int p)
{
    return kFamilies[p % 5] + QStringLiteral("%1").arg(p, 3, 10, QLatin1Char('0'));
}

// A class of third-years and a few first-years of junior high, with runs
// at level 2 spread over the last three weeks.
struct Overview : ::testing::Test {
    static constexpr int kPupils = 70;
    std::unique_ptr<SharedState> state = std::make_unique<SharedState>();
    FakePlatform fakes;
    TestInstall install;
    QTemporaryDir out;

    void SetUp() override
    {
        install.writeDefaults(); // password 1234
        QString roster;
        for (int p = 1; p <= kPupils; ++p)
            roster += QStringLiteral("%1,%2,0,0,\"%3\",0,\"\",\"\"\n")
                          .arg(p)
                          .arg(p % 10 == 0 ? 2012 : 2017)
                          .arg(pupilName(p));
        roster += QStringLiteral("90,1980,0,0,\"山口先生\",0,\"\",\"\"\n");
        install.writeRoster(roster);
        QByteArray results;
        const QDate today = fakes.clock.today();
        for (int p = 1; p <= kPupils; ++p) {
            for (int n = 0; n < p % 4; ++n) {
                ResultRecord r;
                r.date = oledate::fromDate(today.addDays(-((p * 3 + n) % 21)));
                r.pupilNumber = std::int16_t(p);
                r.level = 2;
                r.seconds = 40 + (p * 7 + n * 13) % 90;
                results += encodeRecord(r);
            }
        }
        install.writeBytes(install.programDataFolder() + QStringLiteral("成績累積データ.dat"), results);
        ASSERT_TRUE(LoadPathsAndSettings(*state, fakes.platform, install.programFolder()));
        ASSERT_TRUE(LoadRoster(
            *state, fakes.clock.today(), [](const RosterRecord &, int, const ListGrade &) {}, nullptr));
        fillLevelTable(*state);
        state->SeasonColour = Rgb { 192, 255, 192 };
        state->GradeFilter = QStringLiteral("全学年");
        state->PupilNumber = 90;
        state->PupilName = state->RosterName[90];
        state->SignInTime = 9 * 3600;
    }

    // A window as the navigator makes it: it deletes itself when left.
    QPointer<ClassOverviewWindow> openWindow(int level, const QString &filter)
    {
        auto *window = new ClassOverviewWindow(*state, fakes.platform, level, filter);
        window->show();
        EXPECT_TRUE(window->onShown());
        return window;
    }

    QString pdfPath(const QString &name) const { return out.filePath(name); }
    ClassOverviewWindow::PrinterChooser pdfChooser(const QString &path)
    {
        return [path](QPrinter &printer, QWidget *) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(path);
            return true;
        };
    }
};

QString runTool(const QString &tool, const QStringList &arguments)
{
    QProcess process;
    process.start(tool, arguments);
    if (!process.waitForFinished(60000) || process.exitCode() != 0)
        return {};
    return QString::fromUtf8(process.readAllStandardOutput());
}

void closeAndFlush(QPointer<ClassOverviewWindow> &window)
{
    if (window)
        window->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(Overview, OpensAtTheHubsLevelAndFilterAndReadsTheFileAgain)
{
    state->CurrentLevel = 2;
    auto window = openWindow(2, QStringLiteral("小３"));
    EXPECT_EQ(window->level(), 2);
    EXPECT_EQ(window->findChild<QComboBox *>(QStringLiteral("OverviewLevel"))->currentIndex(), 1);
    EXPECT_EQ(window->gradeFilter(), QStringLiteral("小３"));
    // Every tenth pupil is in junior high; the teacher is no third-year.
    EXPECT_EQ(window->model()->rowCount(), kPupils - kPupils / 10);
    // Pupil 3 ran three times at level 2, all read from the file.
    int row = 0;
    while (window->model()->rowAt(row).pupil != 3)
        ++row;
    EXPECT_EQ(window->model()->text(row, OverviewColumn::Runs), QStringLiteral("3"));
    EXPECT_EQ(window->model()->text(row, OverviewColumn::Name), pupilName(3));
    const QString summary = window->findChild<QLabel *>(QStringLiteral("OverviewSummary"))->text();
    EXPECT_TRUE(summary.contains(QStringLiteral("%1人").arg(kPupils - kPupils / 10))) << summary.toStdString();

    // Another level and filter from the choosers.
    window->chooseLevel(1);
    EXPECT_EQ(window->model()->text(row, OverviewColumn::Runs), QStringLiteral("0"));
    window->chooseGradeFilter(QStringLiteral("中学生全体"));
    EXPECT_EQ(window->model()->rowCount(), kPupils / 10);
    if (const QString dir = qEnvironmentVariable("RUKAMINA_SCREENSHOT_DIR"); !dir.isEmpty()) {
        window->chooseLevel(2);
        window->chooseGradeFilter(QStringLiteral("全学年"));
        window->sortBy(int(OverviewColumn::LastRun), false);
        window->grab().save(dir + QStringLiteral("/class_overview.png"));
    }
    closeAndFlush(window);
}

TEST_F(Overview, AHandTypedFilterOfTheHubIsKeptAndListsNobody)
{
    auto window = openWindow(1, QStringLiteral("四年生"));
    EXPECT_EQ(window->gradeFilter(), QStringLiteral("四年生"));
    EXPECT_EQ(window->model()->rowCount(), 0);
    closeAndFlush(window);
}

TEST_F(Overview, HeaderClicksSortAndTheChoosersFollow)
{
    auto window = openWindow(2, QStringLiteral("全学年"));
    QHeaderView *header = window->table()->horizontalHeader();
    const int column = int(OverviewColumn::Runs);
    const QPoint at(header->sectionViewportPosition(column) + 10, header->height() / 2);
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    EXPECT_EQ(window->model()->sortColumn(), column);
    const Qt::SortOrder first = window->model()->sortOrder();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    EXPECT_NE(window->model()->sortOrder(), first);
    const bool descending = window->model()->sortOrder() == Qt::DescendingOrder;
    EXPECT_EQ(window->findChild<QComboBox *>(QStringLiteral("OverviewSort"))->currentIndex(), column + 1);
    EXPECT_EQ(window->findChild<QCheckBox *>(QStringLiteral("OverviewDescending"))->isChecked(), descending);
    for (int r = 1; r < window->model()->rowCount(); ++r) {
        const int a = window->model()->rowAt(r - 1).runs;
        const int b = window->model()->rowAt(r).runs;
        EXPECT_TRUE(descending ? a >= b : a <= b) << r;
    }
    closeAndFlush(window);
}

TEST_F(Overview, SortingKeepsTheCurrentCellOnTheSamePupil)
{
    auto window = openWindow(2, QStringLiteral("全学年"));
    QTableView *table = window->table();
    table->setCurrentIndex(window->model()->index(5, int(OverviewColumn::Name)));
    const int pupil = window->model()->rowAt(5).pupil;
    window->sortBy(int(OverviewColumn::Points), true);
    EXPECT_EQ(window->model()->rowAt(table->currentIndex().row()).pupil, pupil);
    EXPECT_EQ(table->currentIndex().column(), int(OverviewColumn::Name));
    closeAndFlush(window);
}

TEST_F(Overview, PrintsEveryPupilOnLandscapeA4PagesEachWithHeaderAndColumnHeads)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    auto window = openWindow(2, QStringLiteral("全学年"));
    const QString pdf = pdfPath(QStringLiteral("overview.pdf"));
    window->setPrinterChooser(pdfChooser(pdf));
    window->sortBy(int(OverviewColumn::Number), false);
    window->print();

    QPrinter sizing(QPrinter::HighResolution);
    sizing.setOutputFormat(QPrinter::PdfFormat);
    prepareOverviewPrinter(sizing, state->ProgramName);
    const int perPage = overviewRowsPerPage(sizing);
    const int rows = window->model()->rowCount();
    const int pages = (rows + perPage - 1) / perPage;
    ASSERT_GE(pages, 2) << "the class should need more than one page";

    const QString info = runTool(QStringLiteral("pdfinfo"), { pdf });
    EXPECT_TRUE(info.contains(QStringLiteral("Pages:           %1\n").arg(pages))) << info.toStdString();
    // Landscape: wider than high.
    EXPECT_TRUE(info.contains(QStringLiteral("842 x 595 pts (A4)"))) << info.toStdString();

    const QString text = runTool(QStringLiteral("pdftotext"), { QStringLiteral("-layout"), pdf, QStringLiteral("-") });
    ASSERT_FALSE(text.isEmpty());
    const QStringList pageTexts = text.split(QChar(0x0C), Qt::SkipEmptyParts);
    ASSERT_GE(pageTexts.size(), pages);
    for (int page = 1; page <= pages; ++page) {
        const QString &t = pageTexts[page - 1];
        EXPECT_TRUE(t.contains(QStringLiteral("学習状況"))) << page;
        EXPECT_TRUE(t.contains(QStringLiteral("%1 / %2 ページ").arg(page).arg(pages))) << page;
        EXPECT_TRUE(t.contains(state->SchoolName)) << page;
        EXPECT_TRUE(t.contains(QStringLiteral("レベル2"))) << page;
        EXPECT_TRUE(t.contains(QStringLiteral("学年：全学年"))) << page;
        EXPECT_TRUE(t.contains(QStringLiteral("印刷日：2026年12月9日"))) << page;
        EXPECT_TRUE(t.contains(QStringLiteral("7日以上休み"))) << page;
        EXPECT_TRUE(t.contains(QStringLiteral("ポイント"))) << page;
        // The rows of this page, in the order shown.
        for (int r = (page - 1) * perPage; r < std::min(rows, page * perPage); ++r)
            EXPECT_TRUE(t.contains(window->model()->rowAt(r).name)) << page << " " << r;
    }
    if (const QString dir = qEnvironmentVariable("RUKAMINA_SCREENSHOT_DIR"); !dir.isEmpty())
        QFile::copy(pdf, dir + QStringLiteral("/class_overview.pdf"));
    closeAndFlush(window);
}

TEST_F(Overview, AnEmptyListPrintsItsHeaderAndSaysSo)
{
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    auto window = openWindow(2, QStringLiteral("中３"));
    ASSERT_EQ(window->model()->rowCount(), 0);
    const QString pdf = pdfPath(QStringLiteral("empty.pdf"));
    window->setPrinterChooser(pdfChooser(pdf));
    window->print();
    const QString text = runTool(QStringLiteral("pdftotext"), { QStringLiteral("-layout"), pdf, QStringLiteral("-") });
    EXPECT_TRUE(text.contains(QStringLiteral("1 / 1 ページ"))) << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("学年：中３")));
    EXPECT_TRUE(text.contains(QStringLiteral("表示する人がいません")));
    closeAndFlush(window);
}

TEST_F(Overview, APrintThatCannotStartSaysWhereAndTheWindowStays)
{
    auto window = openWindow(2, QStringLiteral("全学年"));
    window->setPrinterChooser(pdfChooser(out.filePath(QStringLiteral("no/such/folder/x.pdf"))));
    MessageBoxAnswerer boxes;
    window->print();
    ASSERT_EQ(boxes.texts.size(), 1);
    EXPECT_TRUE(boxes.texts[0].contains(QStringLiteral("no/such/folder/x.pdf"))) << boxes.texts[0].toStdString();
    EXPECT_TRUE(window->isVisible());
    closeAndFlush(window);
}

TEST_F(Overview, AScreenReaderReadsTheNamesAndEveryCell)
{
    auto window = openWindow(2, QStringLiteral("全学年"));
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(window->table());
    ASSERT_NE(face, nullptr);
    EXPECT_EQ(face->text(QAccessible::Name), QStringLiteral("学習状況の表"));
    QAccessibleTableInterface *table = face->tableInterface();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->rowCount(), window->model()->rowCount());
    EXPECT_EQ(table->columnCount(), int(OverviewColumn::Count));
    QAccessibleInterface *nameCell = table->cellAt(0, int(OverviewColumn::Name));
    ASSERT_NE(nameCell, nullptr);
    EXPECT_EQ(nameCell->text(QAccessible::Name), window->model()->rowAt(0).name);
    EXPECT_EQ(table->columnDescription(int(OverviewColumn::RecentRuns)), QStringLiteral("7日間の回数"));
    // A combo box is read by its current text and its label.
    auto *levelChoice = window->findChild<QComboBox *>(QStringLiteral("OverviewLevel"));
    EXPECT_EQ(levelChoice->accessibleName(), QStringLiteral("レベルの選択"));
    const auto labels = QAccessible::queryAccessibleInterface(levelChoice)->relations(QAccessible::Label);
    ASSERT_FALSE(labels.isEmpty());
    EXPECT_EQ(labels.first().first->text(QAccessible::Name), QStringLiteral("レベル(&L)").remove(QLatin1Char('&')));
    EXPECT_EQ(
        QAccessible::queryAccessibleInterface(window.data())->text(QAccessible::Name), QStringLiteral("学習状況"));
    closeAndFlush(window);
}

// The panel asks for the password and passes the hub's level and filter on.
struct OverviewFromPanel : Overview {
    FakeNavigator navigator;
    std::unique_ptr<HubScreen> hub;

    void openHub()
    {
        hub = std::make_unique<HubScreen>(*state, fakes.platform, navigator);
        hub->show();
        hub->onShown();
        hub->findChild<QPushButton *>(QStringLiteral("Command8"))->click();
    }
    QPushButton *overviewButton() const
    {
        return hub->passwordPanel()->findChild<QPushButton *>(QStringLiteral("ClassOverview"));
    }
};

TEST_F(OverviewFromPanel, WantsThePasswordAndPassesTheHubsLevelAndFilter)
{
    state->CurrentLevel = 3;
    openHub();
    EXPECT_EQ(overviewButton()->text(), QStringLiteral("学習状況(&O)"));
    EXPECT_TRUE(hub->passwordPanel()->rect().contains(overviewButton()->geometry()));
    {
        MessageBoxAnswerer boxes;
        hub->passwordPanel()->passwordBox()->setText(QStringLiteral("123"));
        overviewButton()->click();
        ASSERT_EQ(boxes.texts.size(), 1);
        EXPECT_EQ(boxes.texts[0], QStringLiteral("パスワードを入力して下さい"));
    }
    EXPECT_TRUE(navigator.calls.filter(QStringLiteral("showClassOverview")).isEmpty());
    auto *filter = hub->findChild<QComboBox *>(QStringLiteral("Combo1"));
    filter->setCurrentText(QStringLiteral("小３"));
    hub->passwordPanel()->passwordBox()->setText(QStringLiteral("1234"));
    overviewButton()->click();
    EXPECT_EQ(navigator.calls.filter(QStringLiteral("showClassOverview")),
        QStringList { QStringLiteral("showClassOverview 3 小３") });
    EXPECT_FALSE(navigator.calls.contains(QStringLiteral("closeHub")));
}

// The whole way with keys only, through the program's own navigator:
// "データ処理", the password, "学習状況", a sort, largest first, "印刷" to a
// PDF, Esc.
TEST_F(Overview, WorksFromTheKeyboardAloneFromThePanelToPaperAndBack)
{
    AppNavigator navigator(*state, fakes.platform);
    state->CurrentLevel = 2;
    HubScreen hub(*state, fakes.platform, navigator);
    hub.show();
    hub.onShown();
    QApplication::setActiveWindow(&hub);
    auto *dataButton = hub.findChild<QPushButton *>(QStringLiteral("Command8"));
    dataButton->setFocus();
    QTest::keyClick(dataButton, Qt::Key_Space);
    ASSERT_TRUE(hub.passwordPanel()->isVisible());
    QLineEdit *box = hub.passwordPanel()->passwordBox();
    EXPECT_TRUE(box->hasFocus());
    QTest::keyClicks(box, QStringLiteral("1234"));
    // Tab along the panel's buttons to "学習状況", Enter presses it.
    auto *overviewButton = hub.passwordPanel()->findChild<QPushButton *>(QStringLiteral("ClassOverview"));
    for (int i = 0; i < 8 && QApplication::focusWidget() != overviewButton; ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), overviewButton);
    QTest::keyClick(overviewButton, Qt::Key_Return);

    QPointer<ClassOverviewWindow> window = qobject_cast<ClassOverviewWindow *>(navigator.classOverview());
    ASSERT_TRUE(window);
    EXPECT_EQ(window->level(), 2);
    EXPECT_GT(window->model()->rowCount(), 0);
    const QString pdf = pdfPath(QStringLiteral("keys.pdf"));
    window->setPrinterChooser(pdfChooser(pdf));
    QApplication::setActiveWindow(window);
    ASSERT_EQ(QApplication::focusWidget(), window->table());

    // Back from the table to the sort chooser, down to "ポイント", then
    // the check box for largest first.
    QTest::keyClick(window->table(), Qt::Key_Backtab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    auto *sortChoice = window->findChild<QComboBox *>(QStringLiteral("OverviewSort"));
    ASSERT_EQ(QApplication::focusWidget(), sortChoice);
    for (int i = 0; i <= int(OverviewColumn::Points); ++i)
        QTest::keyClick(sortChoice, Qt::Key_Down);
    EXPECT_EQ(window->model()->sortColumn(), int(OverviewColumn::Points));
    EXPECT_EQ(window->model()->sortOrder(), Qt::AscendingOrder);
    QTest::keyClick(sortChoice, Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), window->findChild<QCheckBox *>(QStringLiteral("OverviewDescending")));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_EQ(window->model()->sortOrder(), Qt::DescendingOrder);
    for (int r = 1; r < window->model()->rowCount(); ++r)
        EXPECT_GE(window->model()->rowAt(r - 1).points, window->model()->rowAt(r).points) << r;

    // Tab reaches the table and leaves it for "印刷"; Enter prints.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_EQ(QApplication::focusWidget(), window->table());
    QTest::keyClick(window->table(), Qt::Key_Tab);
    auto *printButton = window->findChild<QPushButton *>(QStringLiteral("OverviewPrint"));
    ASSERT_EQ(QApplication::focusWidget(), printButton);
    QTest::keyClick(printButton, Qt::Key_Return);
    EXPECT_GT(QFileInfo(pdf).size(), 0);

    // Esc goes back to the panel.
    QTest::keyClick(printButton, Qt::Key_Escape);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(window);
    EXPECT_TRUE(hub.passwordPanel()->isVisible());
}

} // namespace
