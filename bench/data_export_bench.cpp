// SPDX-License-Identifier: MIT
// The teachers' CSV export and the results-file check on a results file of
// a million records (44 MB), against the floor of reading the same bytes
// from the start to the end in the same run.
#include "maintenance/csv_export.h"
#include "maintenance/results_check.h"
#include "results/result_record.h"
#include "startup/startup_loader.h"
#include "state/shared_state.h"
#include "support/data_root.h"
#include "support/fakes.h"

#include <QFile>
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <memory>
#include <random>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kRecords = 1000000;
constexpr int kPupils = 2000;

// A school of 2000 pupils whose file holds a million runs over ten years,
// with a few time-ups, another school's runs and pupils who have left.
struct BigFile {
    TestInstall install { QStringLiteral("rukamina") };
    FakePlatform fakes;
    std::unique_ptr<SharedState> state = std::make_unique<SharedState>();
    QString path;

    BigFile()
    {
        install.writeDefaults();
        QString roster;
        for (int p = 1; p <= kPupils; ++p)
            roster += QStringLiteral("%1,%2,0,0,\"生徒 %1\",0,\"\",\"\"\n").arg(p).arg(2010 + p % 12);
        install.writeRoster(roster);
        std::mt19937 random(1000000);
        const double today = oledate::fromDate(fakes.clock.today());
        QByteArray bytes;
        bytes.reserve(qsizetype(kRecords) * kRecordLength);
        for (int i = 0; i < kRecords; ++i) {
            ResultRecord r;
            r.date = today - double((kRecords - i) / 280);
            r.timeOfDay = double(random() % 86400) / 86400;
            r.pupilNumber = std::int16_t(1 + random() % (kPupils + 20));
            r.level = std::int16_t(1 + random() % 4);
            r.seconds = random() % 20 == 0 ? kTimeUpSeconds : int(20 + random() % 400);
            const char *code = random() % 50 == 0 ? "54321" : "12345";
            std::copy(code, code + 5, r.schoolCode.begin());
            bytes += encodeRecord(r);
        }
        path = install.programDataFolder() + QStringLiteral("成績累積データ.dat");
        install.writeBytes(path, bytes);
        if (!LoadPathsAndSettings(*state, fakes.platform, install.programFolder()))
            qFatal("the installation did not load");
    }
};

BigFile &bigFile()
{
    static BigFile f;
    return f;
}

// Reading every byte of the file in the chunks the export and the check
// read it in: what neither can do without.
void BM_ReadFloor(benchmark::State &s)
{
    const QByteArray name = QFile::encodeName(bigFile().path);
    std::vector<char> chunk(size_t(8192) * kRecordLength);
    for (auto _ : s) {
        const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
        qint64 total = 0;
        ssize_t n;
        while ((n = ::read(fd, chunk.data(), chunk.size())) > 0) {
            total += n;
            benchmark::DoNotOptimize(chunk.data());
        }
        ::close(fd);
        if (total != qint64(kRecords) * kRecordLength)
            s.SkipWithError("short read");
    }
}
BENCHMARK(BM_ReadFloor)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ExportCsv(benchmark::State &s)
{
    BigFile &f = bigFile();
    const QString folder = f.install.suiteFolder() + QStringLiteral("csv");
    CsvExportResult result;
    for (auto _ : s) {
        result = exportCsv(*f.state, f.fakes.clock.now(), folder);
        if (!result.ok)
            s.SkipWithError(result.problem.toStdString().c_str());
    }
    s.counters["rows"] = double(result.runRows);
    s.counters["runs_csv_MB"] = double(QFile(result.runsPath).size()) / 1e6;
}
BENCHMARK(BM_ExportCsv)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_CheckResults(benchmark::State &s)
{
    BigFile &f = bigFile();
    CheckReport report;
    for (auto _ : s) {
        report = checkResultsFile(*f.state, f.fakes.clock.now());
        benchmark::DoNotOptimize(report.findings.data());
    }
    s.counters["findings"] = double(report.findings.size());
}
BENCHMARK(BM_CheckResults)->Unit(benchmark::kMillisecond)->Iterations(5);

// The check's report as the command line prints it, for that many findings.
void BM_CheckReportLines(benchmark::State &s)
{
    BigFile &f = bigFile();
    const CheckReport report = checkResultsFile(*f.state, f.fakes.clock.now());
    for (auto _ : s) {
        const QStringList lines = report.lines();
        benchmark::DoNotOptimize(lines.data());
    }
}
BENCHMARK(BM_CheckReportLines)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace
