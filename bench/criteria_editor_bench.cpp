// SPDX-License-Identifier: MIT
// The criteria editor's histograms on a school's whole history: a results
// file of 1,000,000 records. One key press in the edit box (histograms
// brought up to date and both lists refilled, through the real window), the
// first read of the file, and the floor: reading the same bytes alone.
#include "maintenance/criteria_editor_window.h"
#include "maintenance/time_histograms.h"
#include "results/result_record.h"
#include "results/results_file.h"
#include "startup/startup_loader.h"
#include "state/shared_state.h"
#include "support/data_root.h"
#include "support/fake_navigator.h"
#include "support/fakes.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <memory>
#include <random>
#include <unistd.h>

namespace {

constexpr int kHistoryRecords = 1000000;

// One installation for all three benchmarks: writing the file takes longer
// than any of them.
struct History {
    TestInstall install;
    FakePlatform fakes;
    FakeNavigator navigator;
    std::unique_ptr<SharedState> state = std::make_unique<SharedState>();
    QString path;

    History()
    {
        install.writeDefaults();
        std::mt19937 random(2026);
        QByteArray bytes;
        bytes.reserve(qsizetype(kHistoryRecords) * kRecordLength);
        for (int n = 0; n < kHistoryRecords; ++n) {
            ResultRecord r;
            r.date = 45000 + n / 300;
            r.pupilNumber = std::int16_t(1 + random() % 5000);
            r.level = std::int16_t(1 + random() % 4);
            r.seconds = random() % 20 == 0 ? kTimeUpSeconds : int(30 + random() % 300);
            bytes += encodeRecord(r);
        }
        path = install.programDataFolder() + QStringLiteral("成績累積データ.dat");
        install.writeBytes(path, bytes);
        if (!LoadPathsAndSettings(*state, fakes.platform, install.programFolder()))
            qFatal("the installation did not load");
    }
};

History &history()
{
    static History h;
    return h;
}

void BM_HistogramFirstRead(benchmark::State &bench)
{
    History &h = history();
    for (auto _ : bench) {
        TimeHistograms histograms;
        QString error;
        if (!histograms.update(h.path, &error))
            bench.SkipWithError(qPrintable(error));
        benchmark::DoNotOptimize(histograms.lists(2));
    }
    bench.counters["records"] = kHistoryRecords;
}
BENCHMARK(BM_HistogramFirstRead)->Unit(benchmark::kMillisecond);

// The same bytes read in the same chunks, nothing looked at.
void BM_HistogramReadFloor(benchmark::State &bench)
{
    History &h = history();
    std::vector<char> buffer(size_t(65536) * kRecordLength);
    for (auto _ : bench) {
        const int fd = ::open(QFile::encodeName(h.path).constData(), O_RDONLY | O_CLOEXEC);
        off_t offset = 0;
        ssize_t n;
        while ((n = ::pread(fd, buffer.data(), buffer.size(), offset)) > 0)
            offset += n;
        ::close(fd);
        benchmark::DoNotOptimize(buffer.data());
        if (offset != off_t(kHistoryRecords) * kRecordLength)
            bench.SkipWithError("short read");
    }
}
BENCHMARK(BM_HistogramReadFloor)->Unit(benchmark::kMillisecond);

// Down and Up in turn in the edit box of the real window, after its first
// read: each press moves to another level, brings the histograms up to date,
// refills both lists and lets the window repaint.
void BM_EditorKeyPress(benchmark::State &bench)
{
    History &h = history();
    CriteriaEditorWindow editor(*h.state, h.fakes.platform, h.navigator);
    editor.show();
    editor.onShown();
    QLineEdit *box = editor.widgets().editBox;
    bool down = true;
    for (auto _ : bench) {
        QKeyEvent press(QEvent::KeyPress, down ? Qt::Key_Down : Qt::Key_Up, Qt::NoModifier);
        QApplication::sendEvent(box, &press);
        // The lists laid out and painted again, as the teacher sees them.
        QApplication::processEvents();
        down = !down;
    }
    if (editor.histograms().fullReads() != 1)
        bench.SkipWithError("the file was read again from the start");
    bench.counters["list_lines"] = editor.widgets().allRunsList->count() + editor.widgets().bestTimesList->count();
}
BENCHMARK(BM_EditorKeyPress)->Unit(benchmark::kMillisecond);

} // namespace
