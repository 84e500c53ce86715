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
#include "startup/shared_state.h"
#include "startup/startup_loader.h"
#include "support/fake_navigator.h"
#include "support/fakes.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>
#include <random>

namespace {

constexpr int kPupils = 5000;
constexpr int kRecords = 25000;

void writeItemFile(const QString &path, const QString &text)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(path));
    QString crlf = text;
    crlf.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    file.write(cp932::encode(crlf));
}

// A school installation in a temporary folder, loaded the way start-up
// loads it.
struct School {
    QTemporaryDir dir;
    FakePlatform fakes;
    FakeNavigator navigator;
    std::unique_ptr<SharedState> state = std::make_unique<SharedState>();

    School()
    {
        const QString suite = dir.path() + QStringLiteral("/suite/");
        const QString data = dir.path() + QStringLiteral("/data/");
        QDir().mkpath(suite + QStringLiteral("prog"));
        writeItemFile(suite + QStringLiteral("パスデータ.txt"),
                      QStringLiteral("\"%1\"\n0\n0\n0\n0\n0\n0\n0\n0\n0\n").arg(data));
        writeItemFile(data + QStringLiteral("共通データ.txt"),
                      QStringLiteral("4\n\"12345テスト学習塾\"\n0\n0\n0\n1234\n0\n0\n0\n0\n"));
        writeItemFile(data + QStringLiteral("prog/タイム回数データ.txt"),
                      QStringLiteral("目標Time,最低Time,ｸﾘｱﾎﾟｲﾝﾄ,ｸﾘｱ回数,ﾎﾟｲﾝﾄ倍率,禁回,禁点,判期間,禁期間,,,\n"
                                     "60,120,100,5,1,20,300,7,1,0,0,0\n80,150,100,5,1,20,300,7,1,0,0,0\n"
                                     "100,180,100,5,1.5,20,300,7,1,0,0,0\n120,200,100,5,2,20,300,7,1,0,0,0\n"));
        writeItemFile(data + QStringLiteral("音フォルダ/新音ファイル.txt"), QStringLiteral("間違い音2\nW\n*\n"));

        std::mt19937 random(2026);
        const QString family[] = {QStringLiteral("青木"), QStringLiteral("石井"), QStringLiteral("上田"),
                                  QStringLiteral("江藤"), QStringLiteral("大野"), QStringLiteral("加藤")};
        QString roster;
        for (int p = 1; p <= kPupils; ++p)
            roster += QStringLiteral("%1,%2,0,0,\"%3%4\",0,\"\",\"\"\n")
                          .arg(p)
                          .arg(2026 - 6 - int(random() % 16) + 3)
                          .arg(family[random() % 6])
                          .arg(p);
        writeItemFile(data + QStringLiteral("新名簿.txt"), roster);

        const QDate today = fakes.clock.today();
        QByteArray results;
        for (int n = 0; n < kRecords; ++n) {
            ResultRecord r;
            r.date = oledate::fromDate(today.addDays(-int((kRecords - n) / 20)));
            r.pupilNumber = std::int16_t(1 + random() % kPupils);
            r.level = std::int16_t(1 + random() % 4);
            r.seconds = random() % 20 == 0 ? 99999 : int(30 + random() % 300);
            results += encodeRecord(r);
        }
        QFile file(data + QStringLiteral("prog/成績累積データ.dat"));
        if (!file.open(QIODevice::WriteOnly) || file.write(results) != results.size())
            qFatal("cannot write the results file");
        file.close();

        if (!LoadPathsAndSettings(*state, fakes.platform, suite + QStringLiteral("prog")))
            qFatal("the school did not load");
    }
};

void BM_名簿表示(benchmark::State &bench)
{
    School school;
    NameSelectionScreen screen(*school.state, school.fakes.platform, school.navigator);
    if (!screen.Form_Load())
        bench.SkipWithError("the list could not be built");
    screen.Form_Activate();
    for (auto _ : bench) {
        if (!screen.名簿表示())
            bench.SkipWithError("the list could not be built");
    }
    bench.counters["listed"] = school.state->ListedPupilCount;
}
BENCHMARK(BM_名簿表示)->Unit(benchmark::kMillisecond);

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
        const bool loaded = LoadRoster(
            state, school.fakes.clock.today(),
            [&](const RosterRecord &record, int, const ListGrade &grade) {
                list.add(record.birthYear, DisplayText(1, grade, record.name, PupilStatsOf(state, record.pupilNumber)),
                         record.pupilNumber);
            },
            nullptr);
        if (!loaded)
            bench.SkipWithError("the roster did not load");
        list.sort();
        benchmark::DoNotOptimize(list.filtered(kAllGrades, state.SchoolYear));
    }
}
BENCHMARK(BM_RosterAndLines)->Unit(benchmark::kMillisecond);

} // namespace
