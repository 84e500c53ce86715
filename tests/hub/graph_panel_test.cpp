// SPDX-License-Identifier: MIT
#include "hub/graph_panel.h"
#include "hub/graph_pixels.h"
#include "hub/hub_screen.h"
#include "platform/clock.h"
#include "results/results_file.h"
#include "results/results_support.h"
#include "roster/roster_file.h"
#include "startup/startup_loader.h"
#include "state/level_table.h"
#include "state/shared_state.h"
#include "support/data_root.h"
#include "support/fake_navigator.h"
#include "support/fakes.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QDirIterator>
#include <QListWidget>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using graphtest::greenSegments;

bool isRed(const QColor &c)
{
    return c.red() > 200 && c.green() < 60 && c.blue() < 60;
}

// The hub of a school with a few runs, opened on the one-pupil view.
struct GraphWay : ::testing::Test {
    std::unique_ptr<SharedState> state = std::make_unique<SharedState>();
    FakePlatform fakes;
    FakeNavigator navigator;
    TestInstall install;
    std::unique_ptr<HubScreen> hub;

    void SetUp() override
    {
        install.writeDefaults();
        install.writeRoster(QStringLiteral("1,2017,0,0,\"大野 ひな\",0,\"\",\"\"\n"
                                           "2,2012,0,0,\"加藤 りく\",0,\"\",\"\"\n"
                                           "9,1980,0,0,\"★山口\",0,\"\",\"\"\n"));
        ASSERT_TRUE(LoadPathsAndSettings(*state, fakes.platform, install.programFolder()));
        fillLevelTable(*state);
        state->SeasonColour = Rgb { 192, 255, 192 };
        state->GradeFilter = QStringLiteral("全学年");
        // The roster tables as name selection leaves them.
        ASSERT_TRUE(LoadRoster(*state, fakes.clock.today(), {}, nullptr));
        ASSERT_EQ(state->ListedPupilCount, 3);

        addRun(1, 1, 50, 2);
        addRun(1, 1, 40, 1);
        addRun(1, 2, 70);
        addRun(1, 4, 33);
        addRun(2, 1, 20);
        addRun(2, 4, 25);
    }

    void signIn(int number)
    {
        state->PupilNumber = std::int16_t(number);
        state->PupilName = state->RosterName[number];
        state->SignInTime = 9 * 3600;
    }

    void addRun(int pupil, int level, int seconds, int daysAgo = 0)
    {
        ResultRecord r;
        r.date = oledate::fromDate(fakes.clock.today().addDays(-daysAgo));
        r.timeOfDay = oledate::timeFraction(QTime(9, 30));
        r.pupilNumber = std::int16_t(pupil);
        r.level = std::int16_t(level);
        r.seconds = seconds;
        ASSERT_EQ(appendResultRecord(resultsFilePath(*state), r, fakes.clock), 0);
    }

    // The hub on the one-pupil view, "グラフ" pressed.
    GraphPanel *openGraphs(int pupil)
    {
        signIn(pupil);
        hub = std::make_unique<HubScreen>(*state, fakes.platform, navigator);
        hub->show();
        hub->onShown();
        hub->findChild<QRadioButton *>(QStringLiteral("Option2_2"))->setChecked(true);
        auto *graphButton = button(QStringLiteral("Command17"));
        EXPECT_TRUE(graphButton->isVisible());
        QTest::mouseClick(graphButton, Qt::LeftButton);
        return hub->graphPanel();
    }

    QPushButton *button(const QString &name) const { return hub->findChild<QPushButton *>(name); }
    QListWidget *list(const QString &name) const { return hub->findChild<QListWidget *>(name); }

    void clickRow(QListWidget *box, int row, Qt::KeyboardModifiers modifiers = {})
    {
        const QRect rect = box->visualItemRect(box->item(row));
        QTest::mouseClick(box->viewport(), Qt::LeftButton, modifiers, rect.center());
    }

    std::vector<int> selectedRows(QListWidget *box) const
    {
        std::vector<int> rows;
        for (int row = 0; row < box->count(); ++row) {
            if (box->item(row)->isSelected())
                rows.push_back(row);
        }
        return rows;
    }

    // The point of the k-th of n runs of a strip on the panel's surface.
    QColor pointColour(GraphPanel *panel, double stripTopShare, int k, int n, int seconds, int timeMax) const
    {
        const QImage &image = panel->surfaceImage();
        const double w2 = image.width() / 2.0;
        const double h2 = image.height() / 2.0;
        const double x = w2 * (0.2 + 0.7 * k / n);
        const double y = stripTopShare * image.height() + 0.65 * h2 * (0.8 - 0.7 * seconds / double(timeMax));
        return image.pixelColor(int(std::lround(x)), int(std::lround(y)));
    }
};

TEST_F(GraphWay, FromTheHubThroughLevelsAndAnotherPupilAndBack)
{
    GraphPanel *panel = openGraphs(1);
    ASSERT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->graphPupil(), 1);
    QListWidget *levels = list(QStringLiteral("List3"));
    QListWidget *pupils = list(QStringLiteral("List2"));
    EXPECT_EQ(levels->count(), 4);
    EXPECT_EQ(selectedRows(levels), (std::vector<int> { 0, 1, 2 }));
    EXPECT_FALSE(pupils->isVisible());
    EXPECT_TRUE(button(QStringLiteral("Command25"))->isVisible());
    EXPECT_FALSE(button(QStringLiteral("Command24_1"))->isVisible()) << "printing is for teachers";
    // Level 1 at the top: 50 s then 40 s, both new bests, axis top 60 s.
    EXPECT_TRUE(isRed(pointColour(panel, 0.05, 1, 2, 50, 60)));
    EXPECT_TRUE(isRed(pointColour(panel, 0.05, 2, 2, 40, 60)));
    EXPECT_EQ(panel->standing(1).timeRank, QStringLiteral("2"));

    // A fourth level clears the surface: level 4 alone, at the top.
    clickRow(levels, 3);
    EXPECT_EQ(selectedRows(levels), (std::vector<int> { 0, 1, 2, 3 }));
    EXPECT_TRUE(isRed(pointColour(panel, 0.05, 1, 1, 33, 40)));
    EXPECT_EQ(pointColour(panel, 0.05, 1, 2, 50, 60), QColor(Qt::white));
    clickRow(levels, 3);
    EXPECT_TRUE(isRed(pointColour(panel, 0.05, 1, 2, 50, 60)));

    // Another pupil: the list comes up, a click shows that pupil's graphs
    // with that pupil's own rank.
    QTest::mouseClick(button(QStringLiteral("Command25")), Qt::LeftButton);
    EXPECT_TRUE(pupils->isVisible());
    EXPECT_FALSE(button(QStringLiteral("Command25"))->isVisible());
    ASSERT_EQ(pupils->count(), 3);
    EXPECT_EQ(pupils->item(1)->text(), QStringLiteral("中２ /  加藤 りく/2"));
    clickRow(pupils, 1);
    EXPECT_EQ(panel->graphPupil(), 2);
    EXPECT_TRUE(isRed(pointColour(panel, 0.05, 1, 1, 20, 30)));
    EXPECT_EQ(pointColour(panel, 0.05, 1, 2, 50, 60), QColor(Qt::white));
    EXPECT_EQ(panel->standing(1).timeRank, QStringLiteral("1"));

    // "戻る" by Enter hides the panel; a change of view type hides it too.
    button(QStringLiteral("Command18"))->setFocus();
    QTest::keyClick(button(QStringLiteral("Command18")), Qt::Key_Return);
    EXPECT_FALSE(panel->isVisible());
    QTest::mouseClick(button(QStringLiteral("Command17")), Qt::LeftButton);
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(panel->graphPupil(), 1) << "グラフ starts again from the signed-in pupil";
    hub->findChild<QRadioButton *>(QStringLiteral("Option2_0"))->setChecked(true);
    EXPECT_FALSE(panel->isVisible());
    EXPECT_FALSE(button(QStringLiteral("Command17"))->isVisible());
}

TEST_F(GraphWay, DigitsOverThePanelStartNoRunAndEscLeavesIt)
{
    GraphPanel *panel = openGraphs(1);
    QListWidget *levels = list(QStringLiteral("List3"));
    ASSERT_TRUE(levels->hasFocus());
    QTest::keyClick(levels, Qt::Key_2);
    EXPECT_FALSE(navigator.calls.contains(QStringLiteral("openDrill")));
    EXPECT_TRUE(panel->isVisible());
    QTest::keyClick(levels, Qt::Key_Escape);
    EXPECT_FALSE(panel->isVisible());
    QTest::keyClick(hub.get(), Qt::Key_2);
    EXPECT_TRUE(navigator.calls.contains(QStringLiteral("openDrill"))) << "with the panel gone the keys start levels";
}

TEST_F(GraphWay, AnUnreadableResultsFileIsSaidOnTheSurface)
{
    signIn(1);
    hub = std::make_unique<HubScreen>(*state, fakes.platform, navigator);
    hub->show();
    hub->onShown();
    hub->findChild<QRadioButton *>(QStringLiteral("Option2_2"))->setChecked(true);
    // The file turns into a folder after the hub has read it.
    const QString path = resultsFilePath(*state);
    ASSERT_TRUE(QFile::remove(path));
    ASSERT_TRUE(QDir().mkpath(path));
    QTest::mouseClick(button(QStringLiteral("Command17")), Qt::LeftButton);
    GraphPanel *panel = hub->graphPanel();
    ASSERT_TRUE(panel->isVisible());
    const QImage &image = panel->surfaceImage();
    int dark = 0;
    for (int y = 20; y < 60; ++y) {
        for (int x = 20; x < 400; ++x)
            dark += image.pixelColor(x, y).lightness() < 100 ? 1 : 0;
    }
    EXPECT_GT(dark, 50) << "the message is written where the graphs would be";
    EXPECT_EQ(pointColour(panel, 0.05, 1, 2, 50, 60), QColor(Qt::white));
}

// A results file the account may not open is waited for, a second at a
// time with the notice naming it, as every other reader waits; the graphs
// are drawn once the permission is back. Permissions do not bind root, so
// the scene is played in a child process under an unprivileged user.
TEST_F(GraphWay, ARefusedResultsFileIsWaitedForWithTheNoticeAndDrawnOncePermitted)
{
    enum Scene : int { Passed = 0, NoAccount = 10, NotRefused, NoWait, NoNotice, NoticeLeft, NotDrawn, Fatal };
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // The installation becomes the unprivileged account's, then the
        // process does.
        const QString root = QDir::cleanPath(install.suiteFolder() + QStringLiteral(".."));
        QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
        bool owned = ::chown(QFile::encodeName(root).constData(), 65534, 65534) == 0;
        while (it.hasNext())
            owned = ::lchown(QFile::encodeName(it.next()).constData(), 65534, 65534) == 0 && owned;
        if (!owned || (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)))
            _exit(NoAccount);

        results_test::HookClock clock;
        Platform platform { clock, fakes.fatal, fakes.sound, fakes.launcher, &fakes.notice };
        signIn(1);
        HubScreen screen(*state, platform, navigator);
        screen.show();
        screen.onShown();
        screen.findChild<QRadioButton *>(QStringLiteral("Option2_2"))->setChecked(true);
        const QByteArray path = QFile::encodeName(resultsFilePath(*state));
        ::chmod(path.constData(), 0);
        if (::access(path.constData(), R_OK) == 0)
            _exit(NotRefused);
        const int before = int(clock.waits.size());
        clock.onWait = [&](int waits) {
            if (waits == before + 3)
                ::chmod(path.constData(), 0644);
        };
        QTest::mouseClick(screen.findChild<QPushButton *>(QStringLiteral("Command17")), Qt::LeftButton);
        if (clock.waits.size() != size_t(before) + 3)
            _exit(NoWait);
        if (!std::all_of(clock.waits.begin() + before, clock.waits.end(), [](int ms) { return ms == 1000; }))
            _exit(NoWait);
        if (fakes.notice.shown.isEmpty() || !fakes.notice.shown.front().contains(resultsFilePath(*state))
            || !fakes.notice.shown.front().contains(QStringLiteral("先生を呼びなさい")))
            _exit(NoNotice);
        if (fakes.notice.showing)
            _exit(NoticeLeft);
        if (fakes.fatal.called())
            _exit(Fatal);
        // Level 1 at the top: 50 s two days ago, a new best, in red.
        _exit(isRed(pointColour(screen.graphPanel(), 0.05, 1, 2, 50, 60)) ? Passed : NotDrawn);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), Passed);
}

// The text of each page of a PDF, blanks removed (pdftotext spaces
// Japanese text as it likes).
QStringList pdfPages(const QString &path)
{
    QProcess process;
    process.start(
        QStringLiteral("pdftotext"), { QStringLiteral("-enc"), QStringLiteral("UTF-8"), path, QStringLiteral("-") });
    if (!process.waitForFinished(60000) || process.exitCode() != 0) {
        ADD_FAILURE() << "pdftotext (poppler-utils) did not run: " << process.errorString().toStdString();
        return {};
    }
    QStringList pages = QString::fromUtf8(process.readAllStandardOutput()).split(QLatin1Char('\f'));
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    for (QString &page : pages)
        page.remove(QRegularExpression(QStringLiteral("\\s")));
    return pages;
}

TEST_F(GraphWay, ATeacherPrintsFourLevelsOfTwoPupilsOnFourPages)
{
    QTemporaryDir out;
    const QString pdf = out.filePath(QStringLiteral("graphs.pdf"));
    GraphPanel *panel = openGraphs(9);
    int dialogs = 0;
    panel->setPrinterChooser([&](QPrinter &printer, QWidget *) {
        ++dialogs;
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    });
    ASSERT_TRUE(button(QStringLiteral("Command24_1"))->isVisible());
    clickRow(list(QStringLiteral("List3")), 3);
    QTest::mouseClick(button(QStringLiteral("Command25")), Qt::LeftButton);
    QListWidget *pupils = list(QStringLiteral("List2"));
    clickRow(pupils, 0);
    clickRow(pupils, 1, Qt::ControlModifier);
    ASSERT_EQ(selectedRows(pupils), (std::vector<int> { 0, 1 }));
    QTest::mouseClick(button(QStringLiteral("Command24_1")), Qt::LeftButton);
    EXPECT_EQ(dialogs, 1) << "one dialog, one document";

    const QStringList pages = pdfPages(pdf);
    ASSERT_EQ(pages.size(), 4);
    const QString title[5] = { {}, QStringLiteral("レベル1ルカミナ"), QStringLiteral("レベル２ルカミナ"),
        QStringLiteral("レベル３ルカミナ"), QStringLiteral("レベル４ルカミナ") };
    const QString names[2] = { QStringLiteral("大野ひな"), QStringLiteral("加藤りく") };
    for (int pupil = 0; pupil < 2; ++pupil) {
        const QString &first = pages[2 * pupil];
        const QString &second = pages[2 * pupil + 1];
        EXPECT_TRUE(first.contains(names[pupil])) << first.toStdString();
        EXPECT_TRUE(second.contains(names[pupil])) << second.toStdString();
        EXPECT_FALSE(first.contains(names[1 - pupil]));
        for (int level = 1; level <= 3; ++level) {
            EXPECT_TRUE(first.contains(title[level])) << level;
            EXPECT_FALSE(second.contains(title[level])) << level;
        }
        EXPECT_TRUE(second.contains(title[4]));
        EXPECT_FALSE(first.contains(title[4]));
    }
    // The figures are printed too: pupil 2 has the best time at level 1.
    EXPECT_TRUE(pages[2].contains(QStringLiteral("順位1位"))) << pages[2].toStdString();
}

TEST_F(GraphWay, PrintingRightAfterGraphPrintsThePupilShown)
{
    QTemporaryDir out;
    const QString pdf = out.filePath(QStringLiteral("one.pdf"));
    GraphPanel *panel = openGraphs(9);
    panel->setPrinterChooser([&](QPrinter &printer, QWidget *) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    });
    QTest::mouseClick(button(QStringLiteral("Command24_1")), Qt::LeftButton);
    const QStringList pages = pdfPages(pdf);
    ASSERT_EQ(pages.size(), 1);
    EXPECT_TRUE(pages[0].contains(QStringLiteral("★山口")));
}

TEST_F(GraphWay, ACancelledPrintDialogPrintsNothing)
{
    QTemporaryDir out;
    GraphPanel *panel = openGraphs(9);
    panel->setPrinterChooser([&](QPrinter &printer, QWidget *) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(out.filePath(QStringLiteral("no.pdf")));
        return false;
    });
    QTest::mouseClick(button(QStringLiteral("Command24_1")), Qt::LeftButton);
    EXPECT_FALSE(QFile::exists(out.filePath(QStringLiteral("no.pdf"))));
}

TEST_F(GraphWay, TwoPupilsOfOneNameAreToldApartOnPaper)
{
    install.writeRoster(QStringLiteral("1,2017,0,0,\"大野 ひな\",0,\"\",\"\"\n"
                                       "3,2015,0,0,\"大野 ひな\",0,\"\",\"\"\n"
                                       "9,1980,0,0,\"★山口\",0,\"\",\"\"\n"));
    ASSERT_TRUE(LoadRoster(*state, fakes.clock.today(), {}, nullptr));
    addRun(3, 1, 45);
    QTemporaryDir out;
    const QString pdf = out.filePath(QStringLiteral("same-name.pdf"));
    GraphPanel *panel = openGraphs(9);
    panel->setPrinterChooser([&](QPrinter &printer, QWidget *) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    });
    QTest::mouseClick(button(QStringLiteral("Command25")), Qt::LeftButton);
    QListWidget *pupils = list(QStringLiteral("List2"));
    clickRow(pupils, 0);
    clickRow(pupils, 1, Qt::ControlModifier);
    QTest::mouseClick(button(QStringLiteral("Command24_1")), Qt::LeftButton);

    const QStringList pages = pdfPages(pdf);
    ASSERT_EQ(pages.size(), 2);
    ASSERT_FALSE(state->SchoolName.isEmpty());
    const QString school = QString(state->SchoolName).remove(QRegularExpression(QStringLiteral("\\s")));
    const int numbers[2] = { 1, 3 };
    for (int i = 0; i < 2; ++i) {
        const QString &page = pages[i];
        const QString grade = QString(state->RosterGradeLabel[numbers[i]]).remove(QLatin1Char(' '));
        ASSERT_FALSE(grade.isEmpty());
        EXPECT_TRUE(page.contains(QStringLiteral("大野ひな"))) << page.toStdString();
        EXPECT_TRUE(page.contains(grade)) << page.toStdString();
        EXPECT_TRUE(page.contains(QStringLiteral("番号%1").arg(numbers[i]))) << page.toStdString();
        EXPECT_TRUE(page.contains(school)) << page.toStdString();
        EXPECT_FALSE(page.contains(QStringLiteral("番号%1").arg(numbers[1 - i])));
        EXPECT_TRUE(page.contains(QStringLiteral("印刷日2026/12/09"))) << page.toStdString();
        // Levels 1 and 2 have their targets (60 s, 80 s) on their axes.
        EXPECT_TRUE(page.contains(QStringLiteral("目標60秒"))) << page.toStdString();
    }
    EXPECT_TRUE(pages[0].contains(QStringLiteral("目標80秒"))) << "pupil 1 has a run at level 2";
    EXPECT_NE(state->RosterGradeLabel[1], state->RosterGradeLabel[3]);
}

TEST_F(GraphWay, TheTargetIsDashedOnTheSurfaceWhereItLiesOnTheAxis)
{
    GraphPanel *panel = openGraphs(1);
    const QImage &image = panel->surfaceImage();
    const double h = image.height();
    // Level 1: runs of 50 s and 40 s, an axis to 60 s and a target of 60 s,
    // at the top of the axis.
    const int target = int(std::lround(0.05 * h + 0.65 * h / 2 * (0.8 - 0.7)));
    int most = 0;
    for (int y = target - 2; y <= target + 2; ++y)
        most = std::max(most, greenSegments(image, y));
    EXPECT_GE(most, 15) << "a dashed line at row " << target;
    // Level 4 alone: one run of 33 s, an axis to 40 s, a target of 120 s
    // above it: no line.
    clickRow(list(QStringLiteral("List3")), 3);
    for (int y = 0; y < image.height(); ++y)
        ASSERT_EQ(greenSegments(panel->surfaceImage(), y), 0) << y;
}

TEST_F(GraphWay, TheLevelListShowsNumbersAndAScreenReaderHearsTheNames)
{
    openGraphs(1);
    QListWidget *levels = list(QStringLiteral("List3"));
    ASSERT_EQ(levels->count(), 4);
    QAccessibleInterface *reader = QAccessible::queryAccessibleInterface(levels);
    ASSERT_TRUE(reader && reader->tableInterface());
    for (int row = 0; row < 4; ++row) {
        EXPECT_EQ(levels->item(row)->text(), QString::number(row + 1));
        QAccessibleInterface *cell = reader->tableInterface()->cellAt(row, 0);
        ASSERT_TRUE(cell) << row;
        EXPECT_EQ(cell->text(QAccessible::Name), QString::number(row + 1));
        EXPECT_EQ(cell->text(QAccessible::Description), state->LevelName[size_t(row + 1)]);
    }
}

// What a screen reader finds on the surface: the strips shown, each named
// for its level, with its summary as description.
QStringList stripsRead(QWidget *surface)
{
    QStringList strips;
    QAccessibleInterface *reader = QAccessible::queryAccessibleInterface(surface);
    if (!reader)
        return strips;
    for (int i = 0; i < reader->childCount(); ++i) {
        QAccessibleInterface *strip = reader->child(i);
        if (strip && !strip->state().invisible)
            strips << strip->text(QAccessible::Name) + QLatin1Char('|') + strip->text(QAccessible::Description);
    }
    return strips;
}

TEST_F(GraphWay, EachStripOnTheSurfaceIsSummarisedForAScreenReader)
{
    openGraphs(1);
    QWidget *surface = hub->findChild<QWidget *>(QStringLiteral("Picture12"));
    ASSERT_TRUE(surface);
    QStringList strips = stripsRead(surface);
    ASSERT_EQ(strips.size(), 3) << strips.join(QLatin1Char('\n')).toStdString();
    const auto has = [](const QString &strip, std::initializer_list<const char *> parts) {
        for (const char *part : parts) {
            if (!strip.contains(QString::fromUtf8(part)))
                return ::testing::AssertionFailure() << "no " << part << " in " << strip.toStdString();
        }
        return ::testing::AssertionSuccess();
    };
    EXPECT_TRUE(has(strips[0],
        { "グラフ レベル1 ルカミナ|", "回数 2回", "最高 40秒", "最後 40秒", "目標 60秒", "速くなっています" }));
    EXPECT_TRUE(has(strips[1], { "レベル２", "回数 1回", "最高 70秒", "目標 80秒", "まだ分かりません" }));
    EXPECT_TRUE(has(strips[2], { "レベル３", "回数 0回", "グラフに記録なし", "目標 100秒" }));

    // A fourth level clears the surface: one strip is left to read.
    clickRow(list(QStringLiteral("List3")), 3);
    strips = stripsRead(surface);
    ASSERT_EQ(strips.size(), 1);
    EXPECT_TRUE(has(strips[0], { "レベル４", "最高 33秒", "目標 120秒" }));
    // Another pupil's graphs say that pupil's runs.
    QTest::mouseClick(button(QStringLiteral("Command25")), Qt::LeftButton);
    clickRow(list(QStringLiteral("List2")), 1);
    strips = stripsRead(surface);
    ASSERT_EQ(strips.size(), 1);
    EXPECT_TRUE(has(strips[0], { "レベル４", "最高 25秒" }));
}

// The panel's widgets are built in the order Tab follows: a pupil or a
// teacher reaches every control from the keyboard, the pupil list taking the
// place of "他の人のデータを見る" once it is pressed.
struct GraphTabOrder : GraphWay, ::testing::WithParamInterface<int> { };

QStringList tabWalk(QWidget *start, int steps)
{
    QStringList names;
    QWidget *focused = start;
    for (int i = 0; i < steps && focused; ++i) {
        names << focused->objectName();
        QTest::keyClick(focused, Qt::Key_Tab);
        focused = QApplication::focusWidget();
    }
    return names;
}

TEST_P(GraphTabOrder, LevelsShowPrintOtherPupilsBack)
{
    const bool teacher = GetParam() == 9;
    openGraphs(GetParam());
    QListWidget *levels = list(QStringLiteral("List3"));
    ASSERT_TRUE(levels->hasFocus());
    QStringList expected { QStringLiteral("List3"), QStringLiteral("Command24_0") };
    if (teacher)
        expected << QStringLiteral("Command24_1");
    expected << QStringLiteral("Command25") << QStringLiteral("Command18");
    EXPECT_EQ(tabWalk(levels, int(expected.size())), expected);

    QTest::mouseClick(button(QStringLiteral("Command25")), Qt::LeftButton);
    levels->setFocus();
    expected.replace(expected.indexOf(QStringLiteral("Command25")), QStringLiteral("List2"));
    EXPECT_EQ(tabWalk(levels, int(expected.size())), expected);
}

INSTANTIATE_TEST_SUITE_P(PupilAndTeacher, GraphTabOrder, ::testing::Values(1, 9));

} // namespace
