// SPDX-License-Identifier: MIT
#include "maintenance/check_report_window.h"
#include "maintenance/results_data_tools.h"
#include "results/result_record.h"
#include "startup/startup_loader.h"
#include "state/shared_state.h"
#include "support/data_root.h"
#include "support/fakes.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <set>

namespace {

ResultRecord record(double date, int pupil, int level, int seconds, const char *code = "12345")
{
    ResultRecord r;
    r.date = date;
    r.timeOfDay = 0.5;
    r.pupilNumber = std::int16_t(pupil);
    r.level = std::int16_t(level);
    r.seconds = seconds;
    std::copy(code, code + 5, r.schoolCode.begin());
    return r;
}

struct ToolsEnv {
    TestInstall install;
    FakePlatform fakes;
    std::unique_ptr<SharedState> state = std::make_unique<SharedState>();

    ToolsEnv()
    {
        install.writeDefaults();
        install.writeRoster(QStringLiteral("1,2016,0,0,\"青木\",0,\"\",\"\"\n2,2016,0,0,\"石井\",0,\"\",\"\"\n"));
    }
    void load() { ASSERT_TRUE(LoadPathsAndSettings(*state, fakes.platform, install.programFolder())); }
    QString resultsPath() const { return install.programDataFolder() + QStringLiteral("成績累積データ.dat"); }
    double today() const { return oledate::fromDate(fakes.clock.today()); }
    void write(const std::vector<ResultRecord> &records, const QByteArray &tail = {}) const
    {
        QByteArray bytes;
        for (const ResultRecord &r : records)
            bytes += encodeRecord(r);
        install.writeBytes(resultsPath(), bytes + tail);
    }
    // One record with each kind of finding, and a torn tail.
    void writeEveryFinding() const
    {
        const double d = today();
        write({ record(d, 1, 1, 40), record(d, 1, 77, 40), record(d, 6001, 1, 40), record(d, 2, 0, 40),
                  record(d + 400, 1, 2, 40), record(d + 400, 1, 2, 50), record(36000, 2, 1, 40),
                  record(std::nan(""), 1, 1, 40), record(d, 9, 1, 40), record(d, 9, 2, 40), record(d, 1, 1, -3),
                  record(d, 1, 1, 100000), record(d, 2, 3, 40, "54321"), record(d, 2, 3, 40) },
            QByteArray(5, '\0'));
    }
};

// Runs `step` on the modal window that opens next, once it is shown.
void onNextModal(std::function<void(QWidget *)> step)
{
    QTimer::singleShot(0, [step] {
        QWidget *modal = nullptr;
        if (QTest::qWaitFor([&] { return (modal = QApplication::activeModalWidget()) != nullptr; }, 5000))
            step(modal);
    });
}

void pressButton(QWidget *box, QMessageBox::StandardButton which)
{
    auto *message = qobject_cast<QMessageBox *>(box);
    ASSERT_NE(message, nullptr) << box->metaObject()->className();
    message->button(which)->click();
}

TEST(CheckReportWindowTest, ListsEveryFindingFromTheTopWithTheSummaryBelow)
{
    ToolsEnv env;
    env.writeEveryFinding();
    env.load();
    const CheckReport report = checkResultsFile(*env.state, env.fakes.clock.now());
    ASSERT_EQ(report.exitStatus(), 1);
    std::set<CheckKind> kinds;
    for (const CheckFinding &f : report.findings)
        kinds.insert(f.kind);
    EXPECT_EQ(kinds.size(), size_t(int(CheckKind::RosterUnreadable))); // every kind but the roster's

    CheckReportWindow window(report);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QListWidget *list = window.reportList();
    ASSERT_EQ(list->count(), int(report.findings.size()));
    for (int i = 0; i < list->count(); ++i)
        EXPECT_EQ(list->item(i)->text(), report.findingLine(report.findings[size_t(i)]));
    EXPECT_EQ(list->currentRow(), 0);
    EXPECT_EQ(list->verticalScrollBar()->value(), 0);
    EXPECT_EQ(QApplication::focusWidget(), list);
    EXPECT_EQ(list->accessibleName(), QStringLiteral("点検結果一覧"));
    EXPECT_EQ(window.summaryLabel()->text(), report.summaryLine());
    EXPECT_EQ(window.summaryLabel()->accessibleName(), report.summaryLine());
    window.grab().save(QStringLiteral("/tmp/rukamina_check_report.png"));

    // Escape closes it, as any dialog.
    QTest::keyClick(list, Qt::Key_Escape);
    EXPECT_FALSE(window.isVisible());
}

TEST(CheckReportWindowTest, AVeryLongReportIsCutAndSaysWhereTheRestIs)
{
    CheckReport report;
    report.status = CheckReport::Status::Findings;
    report.records = 2 * CheckReportWindow::kMaxListedFindings;
    for (int i = 1; i <= CheckReportWindow::kMaxListedFindings + 5; ++i)
        report.findings.push_back(CheckFinding { CheckKind::LevelZero, 2 * i, 2 * i, 0, {} });
    CheckReportWindow window(report);
    QListWidget *list = window.reportList();
    ASSERT_EQ(list->count(), CheckReportWindow::kMaxListedFindings + 1);
    EXPECT_TRUE(list->item(list->count() - 1)->text().startsWith(QStringLiteral("ほか 5 行は省略しました")));
}

TEST(ResultsDataToolsTest, CheckShowsTheReportUntilClosed)
{
    ToolsEnv env;
    env.write({ record(env.today(), 1, 1, 40), record(env.today(), 5, 1, 40) });
    env.load();
    bool shown = false;
    onNextModal([&](QWidget *modal) {
        auto *window = qobject_cast<CheckReportWindow *>(modal);
        ASSERT_NE(window, nullptr);
        shown = window->reportList()->item(0)->text() == QStringLiteral("記録 2：生徒番号 5 は名簿にありません。");
        window->findChild<QPushButton *>(QStringLiteral("CloseButton"))->click();
    });
    const CheckReport report = checkResultsInteractive(nullptr, *env.state, env.fakes.platform);
    EXPECT_TRUE(shown);
    EXPECT_EQ(report.exitStatus(), 1);
}

TEST(ResultsDataToolsTest, ExportAsksForAFolderAndBeforeReplacingFiles)
{
    ToolsEnv env;
    env.write({ record(env.today(), 1, 1, 40), record(env.today(), 2, 1, 45) });
    env.load();
    const QString folder = env.install.suiteFolder() + QStringLiteral("出力");
    QDir().mkpath(folder);
    auto chooseFolder = [&](QWidget *modal) {
        auto *dialog = qobject_cast<QFileDialog *>(modal);
        ASSERT_NE(dialog, nullptr);
        dialog->setDirectory(folder);
        dialog->selectFile(folder);
        // The file dialog's own accept, through the dialog's public one.
        static_cast<QDialog *>(dialog)->accept();
    };

    QString message;
    onNextModal([&](QWidget *modal) {
        chooseFolder(modal);
        onNextModal([&](QWidget *box) {
            message = qobject_cast<QMessageBox *>(box)->text();
            pressButton(box, QMessageBox::Ok);
        });
    });
    std::optional<CsvExportResult> result = exportCsvInteractive(nullptr, *env.state, env.fakes.platform);
    ASSERT_TRUE(result.has_value());
    ASSERT_TRUE(result->ok) << result->problem.toStdString();
    EXPECT_EQ(result->runsPath, folder + QStringLiteral("/runs.csv"));
    EXPECT_TRUE(message.contains(QStringLiteral("runs.csv に 2 件"))) << message.toStdString();

    // A second export into the same folder asks first; "No" keeps the files.
    QFile runs(result->runsPath);
    ASSERT_TRUE(runs.open(QIODevice::ReadOnly));
    const QByteArray before = runs.readAll();
    runs.close();
    env.write({ record(env.today(), 1, 1, 40) });
    QString question;
    onNextModal([&](QWidget *modal) {
        chooseFolder(modal);
        onNextModal([&](QWidget *box) {
            question = qobject_cast<QMessageBox *>(box)->text();
            pressButton(box, QMessageBox::No);
        });
    });
    result = exportCsvInteractive(nullptr, *env.state, env.fakes.platform);
    EXPECT_FALSE(result.has_value());
    EXPECT_TRUE(question.contains(QStringLiteral("runs.csv、pupils.csv"))) << question.toStdString();
    ASSERT_TRUE(runs.open(QIODevice::ReadOnly));
    EXPECT_EQ(runs.readAll(), before);

    // Cancelling the folder dialog writes nothing.
    onNextModal([](QWidget *modal) { qobject_cast<QDialog *>(modal)->reject(); });
    EXPECT_FALSE(exportCsvInteractive(nullptr, *env.state, env.fakes.platform).has_value());
}

} // namespace
