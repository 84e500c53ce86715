// SPDX-License-Identifier: MIT
// The count computation runs on every screen change, so it is measured
// against its floor: reading the same bytes and clearing the eight tables
// it rebuilds. And one append under the whole-file lock, per append, with
// and without its flush to the disk.
#include "platform/clock.h"
#include "platform/file_calls.h"
#include "results/counts.h"
#include "results/results_file.h"
#include "results/results_loader.h"
#include "state/shared_state.h"
#include "support/fakes.h"

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <chrono>
#include <fcntl.h>
#include <map>
#include <memory>
#include <random>
#include <unistd.h>

namespace {

constexpr int kRecords = 25000;
constexpr int kPupils = 5000;

struct BenchData {
    QTemporaryDir dir;
    std::unique_ptr<SharedState> state = std::make_unique<SharedState>();
    FakePlatform fakes;

    BenchData()
    {
        state->ProgramDataFolder = dir.path() + QStringLiteral("/");
        for (size_t l = 1; l <= 4; ++l) {
            state->TargetTime[l] = 60;
            state->ClearPoints[l] = 100;
            state->ClearCount[l] = 5;
            state->PointMultiplier[l] = 1.5f;
            state->OverPracticeCount[l] = ItemValue::fromNumber(20);
            state->OverPracticePoints[l] = ItemValue::fromNumber(300);
            state->JudgePeriodDays[l] = ItemValue::fromNumber(7);
            state->OverPracticePeriodDays[l] = ItemValue::fromNumber(1);
        }
        // Every pupil number in use, runs over the last two months, some
        // time-ups and some slow runs, as a busy school's file looks.
        std::mt19937 rng(7);
        const double today = oledate::fromDate(fakes.clock.today());
        QByteArray bytes;
        bytes.reserve(kRecords * kRecordLength);
        for (int i = 0; i < kRecords; ++i) {
            ResultRecord r;
            r.date = today - double(rng() % 60);
            r.timeOfDay = 0.4;
            r.pupilNumber = std::int16_t(1 + i % kPupils);
            r.level = std::int16_t(1 + rng() % 4);
            r.seconds = (rng() % 20 == 0) ? kTimeUpSeconds : std::int32_t(20 + rng() % 1500);
            bytes += encodeRecord(r);
        }
        QFile f(resultsFilePath(*state));
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size())
            std::abort();
    }
};

BenchData &data()
{
    static BenchData d;
    return d;
}

void BM_CountComputation(benchmark::State &s)
{
    BenchData &d = data();
    for (auto _ : s) {
        if (!回数求(*d.state, d.fakes.platform))
            s.SkipWithError("count failed");
        benchmark::DoNotOptimize(d.state->TotalPoints.data());
    }
    s.counters["loaded"] = d.state->LoadedRecordCount;
}
BENCHMARK(BM_CountComputation)->Unit(benchmark::kMicrosecond);

// The two halves of the count on their own: loading, and counting what
// was loaded.
void BM_LoadOnly(benchmark::State &s)
{
    BenchData &d = data();
    for (auto _ : s)
        if (!成績ランダムファイル表示(*d.state, d.fakes.platform))
            s.SkipWithError("load failed");
}
BENCHMARK(BM_LoadOnly)->Unit(benchmark::kMicrosecond);

void BM_CountLoadedOnly(benchmark::State &s)
{
    BenchData &d = data();
    if (!成績ランダムファイル表示(*d.state, d.fakes.platform))
        s.SkipWithError("load failed");
    const double now = d.fakes.clock.nowOle();
    for (auto _ : s) {
        countLoadedRecords(*d.state, now);
        benchmark::DoNotOptimize(d.state->TotalPoints.data());
    }
}
BENCHMARK(BM_CountLoadedOnly)->Unit(benchmark::kMicrosecond);

// Reading the loader's window (the newest 20000 records) in one read and
// clearing the eight count tables: what no count can do without.
void BM_CountFloor(benchmark::State &s)
{
    BenchData &d = data();
    SharedState &st = *d.state;
    const QByteArray path = QFile::encodeName(resultsFilePath(st));
    std::vector<char> window;
    for (auto _ : s) {
        const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
        const off_t size = ::lseek(fd, 0, SEEK_END);
        const qint64 n = size / kRecordLength;
        const qint64 first = loaderFirstRecord(n) - 1;
        window.resize(size_t(n - first) * kRecordLength);
        if (::pread(fd, window.data(), window.size(), off_t(first * kRecordLength)) != ssize_t(window.size()))
            s.SkipWithError("short read");
        ::close(fd);
        clearCounts(st);
        benchmark::DoNotOptimize(window.data());
        benchmark::DoNotOptimize(st.TotalPoints.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_CountFloor)->Unit(benchmark::kMicrosecond);

// One append: open, lock, find the end, write, flush, unlock, close. Each
// append is timed on its own for the median and the 99th percentile.
void timeAppends(benchmark::State &s)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/成績累積データ.dat");
    SystemClock clock;
    ResultRecord record;
    record.date = 46365;
    record.pupilNumber = 1;
    record.level = 1;
    std::vector<double> micros;
    micros.reserve(size_t(s.max_iterations));
    for (auto _ : s) {
        ++record.seconds; // every run its own record, as in a classroom
        const auto start = std::chrono::steady_clock::now();
        if (appendResultRecord(path, record, clock) != 0)
            s.SkipWithError("append failed");
        const auto end = std::chrono::steady_clock::now();
        micros.push_back(std::chrono::duration<double, std::micro>(end - start).count());
    }
    std::sort(micros.begin(), micros.end());
    if (!micros.empty()) {
        s.counters["median_us"] = micros[micros.size() / 2];
        s.counters["p99_us"] = micros[std::min(micros.size() - 1, micros.size() * 99 / 100)];
    }
}

void BM_AppendUnderLock(benchmark::State &s)
{
    timeAppends(s);
}
BENCHMARK(BM_AppendUnderLock)->Iterations(2000)->Unit(benchmark::kMicrosecond);

// The same append with the flush left out, to see what the flush costs.
void BM_AppendUnderLockUnflushed(benchmark::State &s)
{
    FileCalls calls = systemFileCalls();
    calls.fdatasync = [](int) { return 0; };
    const FileCalls previous = replaceFileCalls(calls);
    timeAppends(s);
    replaceFileCalls(previous);
}
BENCHMARK(BM_AppendUnderLockUnflushed)->Iterations(2000)->Unit(benchmark::kMicrosecond);

// Prints the ratio of the count to its floor after the usual report.
} // namespace
