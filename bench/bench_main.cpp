// SPDX-License-Identifier: MIT
// One runner for every benchmark: a QApplication (offscreen unless a display
// is asked for) so that screen benchmarks can build real widgets, and a
// reporter that also prints the figures compared in pairs: the count
// computation and the histograms' first read against their floors.
#include "platform/layout.h"

#include <QApplication>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <map>
#include <string>
#include <utility>

namespace {

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run> &runs) override
    {
        for (const Run &run : runs)
            if (run.run_type == Run::RT_Iteration || run.aggregate_name == "median")
                perIteration[run.run_name.function_name] = run.GetAdjustedRealTime();
        ConsoleReporter::ReportRuns(runs);
    }
    void Finalize() override
    {
        ConsoleReporter::Finalize();
        const auto count = perIteration.find("BM_CountComputation");
        const auto floor = perIteration.find("BM_CountFloor");
        if (count != perIteration.end() && floor != perIteration.end() && floor->second > 0)
            std::printf("count / floor = %.2f (%.1f us / %.1f us)\n", count->second / floor->second, count->second,
                floor->second);
        const auto first = perIteration.find("BM_HistogramFirstRead");
        const auto bytes = perIteration.find("BM_HistogramReadFloor");
        if (first != perIteration.end() && bytes != perIteration.end() && bytes->second > 0)
            std::printf("histograms first read / floor = %.2f (%.1f ms / %.1f ms)\n", first->second / bytes->second,
                first->second, bytes->second);
        // The results-data editor's steps, and opening the class overview,
        // against moving the same bytes.
        const std::pair<const char *, const char *> editorPairs[]
            = { { "BM_EditorOpen", "BM_EditorOpenFloor" }, { "BM_DeletionFileStep", "BM_DeletionFloor" },
                  { "BM_ChangeFileStep", "BM_ChangeFloor" }, { "BM_ClassOverviewOpen", "BM_ClassOverviewReadFloor" } };
        for (const auto &[step, stepFloor] : editorPairs) {
            const auto a = perIteration.find(step);
            const auto b = perIteration.find(stepFloor);
            if (a != perIteration.end() && b != perIteration.end() && b->second > 0)
                std::printf("%s / %s = %.2f\n", step, stepFloor, a->second / b->second);
        }
    }
    std::map<std::string, double> perIteration;
};

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    registerFontSubstitutes();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
