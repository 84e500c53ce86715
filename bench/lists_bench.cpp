// SPDX-License-Identifier: MIT
// The hub's lists on a full school: 5000 listed pupils, a results file of
// 25000 records over ten years, four levels. Measures the rankings the hub
// refresh builds for every level and the all-runs list of "今までの全成績"
// (the logic; moving rows into the list boxes is the screen's part).
#include "hub/listings.h"
#include "hub/rankings.h"
#include "platform/clock.h"
#include "results/result_record.h"
#include "state/shared_state.h"

#include <QByteArray>
#include <algorithm>
#include <benchmark/benchmark.h>
#include <memory>
#include <random>

namespace {

const QDate kToday(2026, 12, 9);
constexpr int kPupils = 5000;
constexpr int kRecords = 25000;

struct School {
    std::unique_ptr<SharedState> state = std::make_unique<SharedState>();
    std::vector<ResultRecord> records;
    QByteArray file;

    School()
    {
        std::mt19937 random(2026);
        SharedState &s = *state;
        s.LevelCount = 4;
        s.SchoolYear = 2026;
        for (int level = 1; level <= 4; ++level) {
            s.TargetTime[size_t(level)] = 60 + 30 * level;
            s.PassLineTime[size_t(level)] = 90 + 30 * level;
            s.LevelName[size_t(level)] = QStringLiteral("レベル%1").arg(level);
        }
        s.BestTime.fill(kNoBestTime);
        for (int p = 1; p <= kPupils; ++p) {
            s.RosterName[p] = QStringLiteral("生徒%1").arg(p).leftJustified(20, QLatin1Char(' '));
            s.RosterBirthYear[p] = std::int16_t(2026 - 6 - 1 - int(random() % 9));
            s.ListedPupils[++s.ListedPupilCount] = std::int16_t(p);
        }
        s.PupilNumber = 1234;
        // Appended run by run, so the file is in date order.
        std::vector<int> daysBack;
        for (int n = 0; n < kRecords; ++n)
            daysBack.push_back(int(random() % 3650));
        std::sort(daysBack.rbegin(), daysBack.rend());
        for (int n = 0; n < kRecords; ++n) {
            ResultRecord r;
            r.date = oledate::fromDate(kToday.addDays(-daysBack[size_t(n)]));
            r.timeOfDay = double(random() % 86400) / 86400.0;
            r.pupilNumber = std::int16_t(1 + random() % kPupils);
            r.level = std::int16_t(1 + random() % 4);
            r.seconds = random() % 20 == 0 ? kTimeUpSeconds : int(30 + random() % 300);
            records.push_back(r);
            file += encodeRecord(r);
            std::int32_t &best = s.BestTime(r.level, r.pupilNumber);
            best = std::min(best, r.seconds);
            s.TotalPoints(r.level, r.pupilNumber) += int(random() % 12);
            if (r.date == oledate::fromDate(kToday))
                s.TodayPoints(r.level, r.pupilNumber) += int(random() % 12);
        }
    }
};

School &school()
{
    static School s;
    return s;
}

void BM_RankingsOfEveryLevel(benchmark::State &bench)
{
    School &s = school();
    const auto order = RankingOrder(bench.range(0));
    for (auto _ : bench) {
        RankingListing listing = buildRankings(*s.state, order, QStringLiteral("全学年"));
        benchmark::DoNotOptimize(listing);
    }
}
BENCHMARK(BM_RankingsOfEveryLevel)
    ->Arg(int(RankingOrder::TotalPoints))
    ->Arg(int(RankingOrder::BestTime))
    ->Arg(int(RankingOrder::TodayPoints))
    ->Unit(benchmark::kMillisecond);

void BM_AllRunsListTenYears(benchmark::State &bench)
{
    School &s = school();
    const ListRequest request { kToday, QStringLiteral("全学年"), ListView(bench.range(0)), 5 };
    for (auto _ : bench) {
        RunListing listing = buildPeriodList(*s.state, s.records, 1, request);
        benchmark::DoNotOptimize(listing);
    }
}
BENCHMARK(BM_AllRunsListTenYears)->Arg(int(ListView::Time))->Arg(int(ListView::Points))->Unit(benchmark::kMillisecond);

// The same list with the window decoded from the file's bytes first, as the
// screen reads it.
void BM_AllRunsListFromFileBytes(benchmark::State &bench)
{
    School &s = school();
    const ListRequest request { kToday, QStringLiteral("全学年"), ListView::Time, 5 };
    for (auto _ : bench) {
        const int count = int(s.file.size() / kRecordLength);
        const int first = firstRecordToRead(RunList::Period, count);
        std::vector<ResultRecord> window;
        window.reserve(size_t(count - first + 1));
        for (int n = first; n <= count; ++n)
            window.push_back(decodeRecord(s.file.constData() + qsizetype(n - 1) * kRecordLength));
        RunListing listing = buildPeriodList(*s.state, window, first, request);
        benchmark::DoNotOptimize(listing);
    }
}
BENCHMARK(BM_AllRunsListFromFileBytes)->Unit(benchmark::kMillisecond);

} // namespace
