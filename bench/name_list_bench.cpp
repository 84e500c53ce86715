// SPDX-License-Identifier: MIT
// The name list on a full school: 5000 listed pupils and a results file of
// 25000 records. Measures the whole rebuild the screen runs on every option
// or filter change (counts, roster, lines, sorting, filling the list box)
// and the count computation alone, to show its share.
#include "platform/clock.h"
#include "platform/cp932.h"
#include "results/counts.h"
#include "results/result_record.h"
#include "roster/name_selection_screen.h"
#include "roster/roster_file.h"
#include "school.h"
#include "startup/startup_loader.h"
#include "state/shared_state.h"
#include "support/fake_navigator.h"
#include "support/fakes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>
#include <random>

namespace {

using bench_school::School;

void nameListRebuild(benchmark::State &bench, bool readings)
{
    School school(readings);
    NameSelectionScreen screen(*school.state, school.fakes.platform, school.navigator);
    if (!screen.open())
        bench.SkipWithError("the list could not be built");
    screen.onShown();
    for (auto _ : bench) {
        if (!screen.名簿表示())
            bench.SkipWithError("the list could not be built");
    }
    bench.counters["listed"] = school.state->ListedPupilCount;
}

void BM_名簿表示(benchmark::State &bench)
{
    nameListRebuild(bench, false);
}
BENCHMARK(BM_名簿表示)->Unit(benchmark::kMillisecond);

// Every pupil with a reading, which the order then compares.
void BM_名簿表示_ふりがな(benchmark::State &bench)
{
    nameListRebuild(bench, true);
}
BENCHMARK(BM_名簿表示_ふりがな)->Unit(benchmark::kMillisecond);

void BM_回数求(benchmark::State &bench)
{
    School school;
    for (auto _ : bench) {
        if (!回数求(*school.state, school.fakes.platform))
            bench.SkipWithError("the counts could not be built");
    }
    bench.counters["loaded"] = school.state->LoadedRecordCount;
}
BENCHMARK(BM_回数求)->Unit(benchmark::kMillisecond);

// The roster and the lines without counts and widgets.
void BM_RosterAndLines(benchmark::State &bench)
{
    School school;
    SharedState &state = *school.state;
    NameList list;
    for (auto _ : bench) {
        list.clear();
        NameOrderKeys keys;
        const bool loaded = LoadRoster(
            state, school.fakes.clock.today(),
            [&](const RosterRecord &record, int, const ListGrade &grade) {
                list.add(record.birthYear, DisplayText(1, grade, record.name, PupilStatsOf(state, record.pupilNumber)),
                    record.pupilNumber, keys.key(record.name, record.spareText1));
            },
            nullptr);
        if (!loaded)
            bench.SkipWithError("the roster did not load");
        list.sort();
        benchmark::DoNotOptimize(list.filtered(kAllGrades, state.SchoolYear));
    }
}
BENCHMARK(BM_RosterAndLines)->Unit(benchmark::kMillisecond);

// The order keys alone, for every listed pupil: the share of the rebuild
// the name order costs.
void BM_NameOrderKeys(benchmark::State &bench)
{
    School school(bench.range(0) != 0);
    std::vector<std::pair<QString, QString>> names;
    LoadRoster(
        *school.state, school.fakes.clock.today(),
        [&](const RosterRecord &record, int, const ListGrade &) { names.emplace_back(record.name, record.spareText1); },
        nullptr);
    for (auto _ : bench) {
        NameOrderKeys keys;
        for (const auto &[name, spare] : names)
            benchmark::DoNotOptimize(keys.key(name, spare));
    }
}
BENCHMARK(BM_NameOrderKeys)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace
