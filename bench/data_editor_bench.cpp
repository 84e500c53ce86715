// SPDX-License-Identifier: MIT
// The results-data editor on a results file of a million runs (44 MB):
// opening the editor until its list is painted, one deletion and one change
// (each with the list refill the teacher then waits for), the undo of a
// deletion, each beside the
// floor of moving the same bytes in the same run: reading the file, copying
// it to a file beside and flushing that, and rewriting one record in place
// with a flush.
#include "maintenance/data_editor_window.h"
#include "maintenance/results_list_model.h"
#include "platform/clock.h"
#include "results/results_edit.h"
#include "results/results_file.h"
#include "results/results_journal.h"
#include "state/shared_state.h"
#include "support/data_root.h"
#include "support/fake_navigator.h"
#include "support/fakes.h"

#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <memory>
#include <random>
#include <unistd.h>
#include <vector>

namespace {

constexpr qint64 kRuns = 1000000;
constexpr int kPupils = 5000;

struct BigSchool {
    TestInstall install;
    FakePlatform fakes;
    FakeNavigator navigator;
    std::unique_ptr<SharedState> state = std::make_unique<SharedState>();

    BigSchool()
    {
        state->DataRootFolder = install.dataRoot();
        state->ProgramDataFolder = install.programDataFolder();
        state->ProgramName = QStringLiteral("ルカミナ");
        state->SchoolCode = QStringLiteral("12345");
        state->SchoolName = QStringLiteral("ルカ塾");
        state->SchoolYearStartMonth = 4;
        std::mt19937 random(2026);
        QString roster;
        for (int p = 1; p <= kPupils; ++p)
            roster += QStringLiteral("%1,%2,0,0,\"生徒%3\",%4,\"\",\"\"\n")
                          .arg(p)
                          .arg(2008 + int(random() % 16))
                          .arg(p)
                          .arg(p % 50 == 0 ? 1 : 0);
        install.writeRoster(roster);

        QByteArray bytes;
        bytes.reserve(kRuns * kRecordLength);
        const double today = oledate::fromDate(fakes.clock.today());
        for (qint64 n = 0; n < kRuns; ++n) {
            ResultRecord r;
            r.date = today - double((kRuns - n) / 300);
            r.timeOfDay = double(random() % 86400) / 86400;
            r.pupilNumber = std::int16_t(1 + random() % kPupils);
            r.level = std::int16_t(1 + random() % 35);
            r.seconds = random() % 20 == 0 ? kTimeUpSeconds : int(30 + random() % 600);
            r.schoolCode = { '1', '2', '3', '4', '5' };
            bytes += encodeRecord(r);
        }
        install.writeBytes(path(), bytes);
    }
    QString path() const { return resultsFilePath(*state); }
};

BigSchool &school()
{
    static BigSchool s;
    return s;
}

QByteArray recordOf(const QString &path, qint64 recordNumber)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly) || !f.seek((recordNumber - 1) * kRecordLength))
        return {};
    return f.read(kRecordLength);
}

// The editor shown with its list painted, as the teacher first sees it.
void BM_EditorOpen(benchmark::State &bench)
{
    BigSchool &s = school();
    for (auto _ : bench) {
        DataEditorWindow editor(*s.state, s.fakes.platform, s.navigator);
        editor.show();
        editor.onShown();
        QCoreApplication::processEvents();
        editor.findChild<QListView *>(QStringLiteral("List1"))->viewport()->repaint();
        if (editor.listModel().rowCount() != kRuns)
            bench.SkipWithError("not every run listed");
    }
}
BENCHMARK(BM_EditorOpen)->Unit(benchmark::kMillisecond);

// Floor of opening: reading the same 44 MB.
void BM_EditorOpenFloor(benchmark::State &bench)
{
    BigSchool &s = school();
    std::vector<char> buffer;
    for (auto _ : bench) {
        ResultsFile file;
        int error = 0;
        OpenResultsFile(s.path(), ResultsAccess::Read, file, &error);
        if (file.readRecords(1, file.recordCount(&error), buffer, &error) < kRuns - 100)
            bench.SkipWithError("short read");
        benchmark::DoNotOptimize(buffer.data());
    }
}
BENCHMARK(BM_EditorOpenFloor)->Unit(benchmark::kMillisecond);

// One deletion in the middle of the file, then the list refilled.
void BM_EditorDeletion(benchmark::State &bench)
{
    BigSchool &s = school();
    ResultsListModel model;
    auto roster = std::make_shared<EditorRoster>();
    const SchoolOfRecord own(s.state->SchoolCode, s.state->SchoolName);
    for (auto _ : bench) {
        const QByteArray opened = recordOf(s.path(), kRuns / 2);
        if (deleteResultRecord(s.path(), kRuns / 2, opened, s.fakes.clock).outcome != RecordEditOutcome::Done)
            bench.SkipWithError("deletion failed");
        int error = 0;
        model.load(s.path(), roster, own, &error);
    }
}
BENCHMARK(BM_EditorDeletion)->Unit(benchmark::kMillisecond);

// The deletion alone, without the refill.
void BM_DeletionFileStep(benchmark::State &bench)
{
    BigSchool &s = school();
    for (auto _ : bench) {
        const QByteArray opened = recordOf(s.path(), kRuns / 2);
        if (deleteResultRecord(s.path(), kRuns / 2, opened, s.fakes.clock).outcome != RecordEditOutcome::Done)
            bench.SkipWithError("deletion failed");
    }
}
BENCHMARK(BM_DeletionFileStep)->Unit(benchmark::kMillisecond);

// Undoing a deletion in the middle of the file: the journal read, the run's
// place found again by its neighbours, the file rewritten with it. The
// deletion it undoes is not timed.
void BM_UndoDeletionFileStep(benchmark::State &bench)
{
    BigSchool &s = school();
    const QString journal = resultsJournalPath(s.path());
    for (auto _ : bench) {
        bench.PauseTiming();
        const QByteArray opened = recordOf(s.path(), kRuns / 2);
        if (deleteResultRecord(s.path(), kRuns / 2, opened, s.fakes.clock).outcome != RecordEditOutcome::Done)
            bench.SkipWithError("deletion failed");
        const qint64 entry = qint64(readJournal(journal).entries.size());
        bench.ResumeTiming();
        if (undoJournalEntry(s.path(), entry, s.fakes.clock).outcome != RecordEditOutcome::Done)
            bench.SkipWithError("undo failed");
    }
}
BENCHMARK(BM_UndoDeletionFileStep)->Unit(benchmark::kMillisecond);

// Floor of a deletion: the same bytes copied to a file beside and flushed.
void BM_DeletionFloor(benchmark::State &bench)
{
    BigSchool &s = school();
    const QByteArray from = QFile::encodeName(s.path());
    const QByteArray to = QFile::encodeName(s.path() + QStringLiteral(".copy"));
    std::vector<char> buffer(size_t(4) << 20);
    for (auto _ : bench) {
        const int in = ::open(from.constData(), O_RDONLY);
        const int out = ::open(to.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
        ssize_t n;
        while ((n = ::read(in, buffer.data(), buffer.size())) > 0)
            if (::write(out, buffer.data(), size_t(n)) != n)
                bench.SkipWithError("write failed");
        ::fsync(out);
        ::close(out);
        ::close(in);
    }
    ::unlink(to.constData());
}
BENCHMARK(BM_DeletionFloor)->Unit(benchmark::kMillisecond);

// One change (pupil and time) under the lock, flushed.
void BM_ChangeFileStep(benchmark::State &bench)
{
    BigSchool &s = school();
    std::int32_t seconds = 100;
    for (auto _ : bench) {
        const QByteArray opened = recordOf(s.path(), kRuns / 3);
        const QByteArray changed = withPupilAndTime(opened, 17, ++seconds);
        if (changeResultRecord(s.path(), kRuns / 3, opened, changed, s.fakes.clock).outcome != RecordEditOutcome::Done)
            bench.SkipWithError("change failed");
    }
}
BENCHMARK(BM_ChangeFileStep)->Unit(benchmark::kMicrosecond);

// The change as the teacher makes it: "変更して記録" on an opened run. With
// `painted`, until the list shows it again (the window's pending repaints
// done and the list painted); otherwise until the handler returns (file
// step, list refill, line selected again). `appendFirst`: another PC has
// appended a run since the list was read, as in a busy room.
void changeOpenedRun(benchmark::State &bench, bool painted, bool appendFirst)
{
    BigSchool &s = school();
    DataEditorWindow editor(*s.state, s.fakes.platform, s.navigator);
    editor.show();
    editor.onShown();
    QCoreApplication::processEvents();
    auto *list = editor.findChild<QListView *>(QStringLiteral("List1"));
    auto *time = editor.findChild<QLineEdit *>(QStringLiteral("Text1_1"));
    const int row = editor.listModel().rowAtOrAfter(kRuns / 3);
    std::int32_t seconds = 100;
    ResultRecord appended;
    appended.date = oledate::fromDate(s.fakes.clock.today());
    appended.pupilNumber = 1;
    appended.level = 1;
    appended.seconds = 60;
    qint64 bytesRead = 0;
    for (auto _ : bench) {
        bench.PauseTiming();
        editor.openRun(row);
        seconds = seconds % 600 + 1;
        time->setText(QString::number(seconds));
        if (appendFirst && appendResultRecord(s.path(), appended, s.fakes.clock) != 0)
            bench.SkipWithError("append failed");
        QCoreApplication::processEvents();
        bench.ResumeTiming();
        editor.changeRun();
        if (!painted)
            bench.PauseTiming();
        QCoreApplication::processEvents();
        list->viewport()->repaint();
        if (!painted)
            bench.ResumeTiming();
        bytesRead += editor.listModel().bytesReadByLastRefill();
    }
    if (!editor.listModel().index(row).data().toString().contains(QStringLiteral("%1秒").arg(seconds)))
        bench.SkipWithError("the list does not show the change");
    // Bytes the refill read per change: 0 when the change was patched in.
    bench.counters["read_bytes"] = benchmark::Counter(double(bytesRead), benchmark::Counter::kAvgIterations);
}

void BM_EditorChange(benchmark::State &bench)
{
    changeOpenedRun(bench, false, false);
}
BENCHMARK(BM_EditorChange)->Unit(benchmark::kMillisecond);

void BM_EditorChangePainted(benchmark::State &bench)
{
    changeOpenedRun(bench, true, false);
}
BENCHMARK(BM_EditorChangePainted)->Unit(benchmark::kMillisecond);

// The refill cannot tell appends from another teacher's change in place,
// and reads the whole file again.
void BM_EditorChangeAfterAppend(benchmark::State &bench)
{
    changeOpenedRun(bench, false, true);
}
BENCHMARK(BM_EditorChangeAfterAppend)->Unit(benchmark::kMillisecond);

// Floor of a change: the 44 bytes read and written back in place, flushed.
void BM_ChangeFloor(benchmark::State &bench)
{
    BigSchool &s = school();
    const int fd = ::open(QFile::encodeName(s.path()).constData(), O_RDWR);
    char record[kRecordLength];
    const off_t at = off_t(kRuns / 3 - 1) * kRecordLength;
    for (auto _ : bench) {
        if (::pread(fd, record, sizeof record, at) != kRecordLength
            || ::pwrite(fd, record, sizeof record, at) != kRecordLength)
            bench.SkipWithError("short read or write");
        ::fdatasync(fd);
    }
    ::close(fd);
}
BENCHMARK(BM_ChangeFloor)->Unit(benchmark::kMicrosecond);

} // namespace
