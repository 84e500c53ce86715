// SPDX-License-Identifier: MIT
// The graph panel on a full school (5000 listed pupils, 25000 records): a
// pupil with many runs presses "表示" with three levels chosen, which reads
// the results file, ranks every pupil twice per level and draws the three
// strips on the panel's surface. The pupil's runs are spread through the
// whole file, so the window of 20000 records holds most of them.
#include "hub/graph_panel.h"
#include "hub/hub_screen.h"
#include "results/results_file.h"
#include "roster/roster_file.h"
#include "school.h"
#include "state/level_table.h"

#include <QFile>
#include <benchmark/benchmark.h>

namespace {

using bench_school::School;

constexpr int kPupil = 1234;

// Every 60th record becomes one of the pupil's runs (about 400 in all);
// returns how many.
int giveThePupilManyRuns(School &school)
{
    int runs = 0;
    QFile file(resultsFilePath(*school.state));
    if (!file.open(QIODevice::ReadWrite))
        qFatal("the results file did not open");
    QByteArray bytes = file.readAll();
    for (qsizetype at = 0; at + kRecordLength <= bytes.size(); at += 60 * kRecordLength) {
        ResultRecord record = decodeRecord(bytes.constData() + at);
        record.pupilNumber = kPupil;
        record.level = std::int16_t(1 + (at / kRecordLength / 60) % 3);
        bytes.replace(at, kRecordLength, encodeRecord(record));
        ++runs;
    }
    file.seek(0);
    file.write(bytes);
    return runs;
}

void BM_GraphThreeStrips(benchmark::State &bench)
{
    School school;
    const int pupilRuns = giveThePupilManyRuns(school);
    SharedState &state = *school.state;
    if (!LoadRoster(
            state, school.fakes.clock.today(), [](const RosterRecord &, int, const ListGrade &) {}, nullptr))
        qFatal("the roster did not load");
    fillLevelTable(state);
    state.PupilNumber = kPupil;
    state.PupilName = state.RosterName[kPupil];
    state.SeasonColour = Rgb { 192, 255, 192 };
    state.GradeFilter = QStringLiteral("全学年");
    HubScreen hub(state, school.fakes.platform, school.navigator);
    hub.show();
    hub.onShown();
    GraphPanel *panel = hub.graphPanel();
    panel->openGraphs(); // levels 1..3 chosen, first drawing
    for (auto _ : bench)
        panel->drawChosenPupils(GraphOutput::Screen);
    bench.counters["records"] = double(resultRecordCount(resultsFilePath(state)));
    bench.counters["listed"] = state.ListedPupilCount;
    bench.counters["pupil_runs"] = pupilRuns;
}
BENCHMARK(BM_GraphThreeStrips)->Unit(benchmark::kMillisecond);

} // namespace
