// SPDX-License-Identifier: MIT
// The hub on a full school (5000 listed pupils, 25000 records): the screen
// refresh a pupil waits for each time the hub is shown, which builds the
// level columns, runs the count computation and ranks every pupil at every
// level; and the all-runs list of "今までの全成績", widgets included.
#include "hub/hub_screen.h"
#include "results/counts.h"
#include "roster/roster_file.h"
#include "school.h"
#include "state/level_table.h"
#include <QListWidget>

#include <benchmark/benchmark.h>

namespace {

using bench_school::School;

// The school with a pupil signed in, as name selection leaves it.
void signIn(School &school)
{
    SharedState &state = *school.state;
    if (!LoadRoster(
            state, school.fakes.clock.today(), [](const RosterRecord &, int, const ListGrade &) {}, nullptr))
        qFatal("the roster did not load");
    fillLevelTable(state);
    state.PupilNumber = 1234;
    state.PupilName = state.RosterName[1234];
    state.SeasonColour = Rgb { 192, 255, 192 };
    state.GradeFilter = QStringLiteral("全学年");
}

void BM_HubRefresh(benchmark::State &bench)
{
    School school;
    signIn(school);
    for (auto _ : bench) {
        HubScreen hub(*school.state, school.fakes.platform, school.navigator);
        hub.onShown();
        if (!hub.refreshDone())
            bench.SkipWithError("the refresh did not finish");
    }
    bench.counters["listed"] = school.state->ListedPupilCount;
}
BENCHMARK(BM_HubRefresh)->Unit(benchmark::kMillisecond);

void BM_HubCountShare(benchmark::State &bench)
{
    School school;
    for (auto _ : bench) {
        if (!回数求(*school.state, school.fakes.platform))
            bench.SkipWithError("the counts could not be built");
    }
}
BENCHMARK(BM_HubCountShare)->Unit(benchmark::kMillisecond);

void BM_HubAllRunsList(benchmark::State &bench)
{
    School school;
    signIn(school);
    HubScreen hub(*school.state, school.fakes.platform, school.navigator);
    hub.onShown();
    hub.chooseView(0); // time view
    school.state->ResultPeriod = 5;
    for (auto _ : bench)
        hub.chooseOrdering(3);
    bench.counters["rows_level1"] = hub.resultsList(1)->count();
}
BENCHMARK(BM_HubAllRunsList)->Unit(benchmark::kMillisecond);

} // namespace
