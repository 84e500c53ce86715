// SPDX-License-Identifier: MIT
// The teachers' class overview on a full school (5000 listed pupils, 25000
// records): opening it (the window, the count computation over the results
// file, the rows of one level and the first picture of the table) against
// its floor, reading the same results file's bytes and nothing more.
#include "hub/class_overview_model.h"
#include "hub/class_overview_window.h"
#include "results/results_file.h"
#include "roster/roster_file.h"
#include "school.h"
#include "state/level_table.h"

#include <QFile>
#include <benchmark/benchmark.h>

namespace {

using bench_school::School;

void loadClass(School &school)
{
    SharedState &state = *school.state;
    if (!LoadRoster(
            state, school.fakes.clock.today(), [](const RosterRecord &, int, const ListGrade &) {}, nullptr))
        qFatal("the roster did not load");
    fillLevelTable(state);
    state.SeasonColour = Rgb { 192, 255, 192 };
}

void BM_ClassOverviewOpen(benchmark::State &bench)
{
    School school;
    loadClass(school);
    int rows = 0;
    for (auto _ : bench) {
        ClassOverviewWindow window(*school.state, school.fakes.platform, 1, QStringLiteral("全学年"));
        window.show();
        if (!window.onShown())
            bench.SkipWithError("the results file could not be read");
        // The first picture a teacher sees, painted.
        benchmark::DoNotOptimize(window.grab());
        rows = window.model()->rowCount();
    }
    bench.counters["rows"] = rows;
}
BENCHMARK(BM_ClassOverviewOpen)->Unit(benchmark::kMillisecond);

void BM_ClassOverviewReadFloor(benchmark::State &bench)
{
    School school;
    const QString path = resultsFilePath(*school.state);
    qint64 bytes = 0;
    for (auto _ : bench) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            bench.SkipWithError("the results file could not be opened");
        const QByteArray all = file.readAll();
        bytes = all.size();
        benchmark::DoNotOptimize(all.constData());
    }
    bench.counters["bytes"] = double(bytes);
}
BENCHMARK(BM_ClassOverviewReadFloor)->Unit(benchmark::kMillisecond);

// Sorting 5000 rows by another column, which a teacher does again and again.
void BM_ClassOverviewSort(benchmark::State &bench)
{
    School school;
    loadClass(school);
    ClassOverviewWindow window(*school.state, school.fakes.platform, 1, QStringLiteral("全学年"));
    window.show();
    window.onShown();
    bool descending = false;
    for (auto _ : bench) {
        window.sortBy(int(OverviewColumn::Points), descending);
        descending = !descending;
    }
}
BENCHMARK(BM_ClassOverviewSort)->Unit(benchmark::kMillisecond);

} // namespace
