// SPDX-License-Identifier: MIT
// Seeded random input for the readers of shared files: a results file of
// any length and content, item files of any bytes. Nothing may crash, stop
// the program or change a file, and what is loaded must stay inside the
// tables. RESULTS_FUZZ_SEED and RESULTS_FUZZ_ROUNDS override the defaults
// to reproduce or extend a run.
#include "platform/cp932.h"
#include "platform/item_reader.h"
#include "platform/number_text.h"
#include "results/counts.h"
#include "results/criteria_file.h"
#include "results/results_file.h"
#include "results_support.h"

#include <QtEndian>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <random>

using namespace results_test;

namespace {

unsigned fuzzSeed()
{
    const QByteArray s = qgetenv("RESULTS_FUZZ_SEED");
    return s.isEmpty() ? 20261209u : s.toUInt();
}

int fuzzRounds(int fallback)
{
    const QByteArray s = qgetenv("RESULTS_FUZZ_ROUNDS");
    return s.isEmpty() ? fallback : s.toInt();
}

template <typename T> T pick(std::mt19937 &rng, std::initializer_list<T> values)
{
    std::uniform_int_distribution<size_t> d(0, values.size() - 1);
    return *(values.begin() + d(rng));
}

double oddDate(std::mt19937 &rng, double today)
{
    const double inf = std::numeric_limits<double>::infinity();
    switch (std::uniform_int_distribution<int>(0, 3)(rng)) {
    case 0:
        return pick<double>(rng,
            { std::nan(""), inf, -inf, -1, -0.0, 0, 1e308, -1e308, 4e-320, 2958466, -657435, today + 0.5,
                today - 0.5 });
    case 1: {
        std::uint64_t bits = (std::uint64_t(rng()) << 32) | rng();
        double d;
        std::memcpy(&d, &bits, 8);
        return d;
    }
    default:
        return today - std::uniform_int_distribution<int>(-3, 40)(rng);
    }
}

QByteArray randomResultsFile(std::mt19937 &rng, double today)
{
    QByteArray bytes;
    const int records = std::uniform_int_distribution<int>(0, 300)(rng);
    const bool pureNoise = std::uniform_int_distribution<int>(0, 4)(rng) == 0;
    for (int i = 0; i < records; ++i) {
        if (pureNoise) {
            for (int b = 0; b < kRecordLength; ++b)
                bytes.append(char(rng()));
            continue;
        }
        ResultRecord r;
        r.date = oddDate(rng, today);
        r.timeOfDay = oddDate(rng, 0);
        r.pupilNumber = pick<std::int16_t>(rng,
            { -32768, -1, 0, 1, 2, 1000, 1001, 5000, 5001, 32767,
                std::int16_t(std::uniform_int_distribution<int>(1, 30)(rng)) });
        r.level = pick<std::int16_t>(rng,
            { -32768, -1, 0, 1, 2, 3, 4, 35, 36, 32767, std::int16_t(std::uniform_int_distribution<int>(1, 5)(rng)) });
        r.seconds = pick<std::int32_t>(rng,
            { std::numeric_limits<std::int32_t>::min(), -1000, -1, 0, 1, 59, 60, 61, 999, 1000, 1234, 5999, 6000, 99997,
                99998, 99999, std::numeric_limits<std::int32_t>::max(),
                std::int32_t(std::uniform_int_distribution<int>(0, 700)(rng)) });
        bytes += encodeRecord(r);
    }
    const int tail = std::uniform_int_distribution<int>(0, 43)(rng);
    for (int b = 0; b < tail; ++b)
        bytes.append(char(rng()));
    return bytes;
}

void randomCriteria(std::mt19937 &rng, SharedState &state)
{
    for (size_t l = 1; l <= 35; ++l) {
        state.TargetTime[l] = pick<std::int32_t>(rng,
            { 0, 1, 60, -5, 100000, std::numeric_limits<std::int32_t>::max(),
                std::numeric_limits<std::int32_t>::min() });
        state.PointMultiplier[l] = pick<float>(rng, { 0.f, 1.f, 1.5f, -2.f, 1e30f, std::nanf("") });
        state.JudgePeriodDays[l] = ItemValue::fromNumber(pick<double>(rng, { 0, 1, 7, -3, 0.5, 1e308 }));
        state.OverPracticePeriodDays[l] = ItemValue::fromNumber(pick<double>(rng, { 0, 1, 2, 1e9 }));
    }
}

TEST(ResultsFuzz, AnyResultsFileLoadsWithoutCrashStopOrChange)
{
    std::mt19937 rng(fuzzSeed());
    ResultsEnv env;
    SharedState &state = *env.state;
    const int rounds = fuzzRounds(400);
    for (int round = 0; round < rounds; ++round) {
        SCOPED_TRACE(::testing::Message() << "seed " << fuzzSeed() << " round " << round);
        env.fakes.clock.set(QDateTime(QDate(2026, 12, 9).addDays(std::uniform_int_distribution<int>(-400, 400)(rng)),
            QTime(std::uniform_int_distribution<int>(0, 23)(rng), 59, 59)));
        randomCriteria(rng, state);
        const QByteArray bytes = randomResultsFile(rng, env.today());
        writeFile(env.resultsPath(), bytes);

        ASSERT_TRUE(回数求(state, env.fakes.platform));
        ASSERT_FALSE(env.fakes.fatal.called()) << env.fakes.fatal.messages.join(QStringLiteral("\n")).toStdString();
        ASSERT_EQ(readFile(env.resultsPath()), bytes);

        const int whole = int(bytes.size() / kRecordLength);
        ASSERT_GE(state.LoadedRecordCount, 0);
        ASSERT_LE(state.LoadedRecordCount, whole);
        int expectedValidRuns = 0;
        for (int i = 1; i <= state.LoadedRecordCount; ++i) {
            const size_t s = size_t(i);
            ASSERT_GE(state.RecLevel[s], 1);
            ASSERT_LE(state.RecLevel[s], 35);
            ASSERT_GE(state.RecPupil[s], 1);
            ASSERT_LE(state.RecPupil[s], 5000);
            ASSERT_FALSE(state.RecDate[s] < 0);
            if (state.RecTime[s] < 6000)
                ++expectedValidRuns;
        }
        // Every valid run lands in exactly one cell of the totals.
        long long totalRuns = 0;
        double todayRuns = 0;
        for (int l = 0; l <= 35; ++l)
            for (int p = 0; p <= 5000; ++p) {
                totalRuns += state.TotalRunCount(l, p);
                todayRuns += state.TodayRunCount(l, p);
                ASSERT_LE(state.PeriodRunCount(l, p), state.TotalRunCount(l, p));
            }
        ASSERT_EQ(totalRuns, expectedValidRuns);
        ASSERT_LE(todayRuns, double(expectedValidRuns));
        ASSERT_FALSE(std::isnan(todayRuns));
        for (int l = 1; l <= 35; ++l)
            ASSERT_LE(state.TopTime[size_t(l)], 99999);
    }
}

// Bytes that look like an item file: digits, separators, quotes, line ends,
// CP932 lead and trail bytes, half-width katakana, and some noise.
QByteArray randomItemBytes(std::mt19937 &rng)
{
    static const QByteArray common = QByteArray("0123456789.,,,\"\"  \t\r\n\r\n-+abc");
    const int n = std::uniform_int_distribution<int>(0, 400)(rng);
    QByteArray out;
    for (int i = 0; i < n; ++i) {
        switch (std::uniform_int_distribution<int>(0, 9)(rng)) {
        case 0:
            out.append(char(std::uniform_int_distribution<int>(0x81, 0x9F)(rng))); // lead byte
            out.append(char(std::uniform_int_distribution<int>(0x40, 0xFC)(rng)));
            break;
        case 1:
            out.append(char(std::uniform_int_distribution<int>(0xE0, 0xFC)(rng))); // lead byte, maybe no trail
            break;
        case 2:
            out.append(char(std::uniform_int_distribution<int>(0xA1, 0xDF)(rng))); // half-width katakana
            break;
        case 3:
            out.append(char(rng()));
            break;
        default:
            out.append(common[std::uniform_int_distribution<int>(0, int(common.size()) - 1)(rng)]);
        }
    }
    return out;
}

TEST(ItemReaderFuzz, AnyBytesGiveWellFormedItems)
{
    std::mt19937 rng(fuzzSeed() + 1);
    ResultsEnv env;
    const QString criteriaPath = env.state->ProgramDataFolder + QStringLiteral("タイム回数データ.txt");
    const int rounds = fuzzRounds(3000);
    for (int round = 0; round < rounds; ++round) {
        SCOPED_TRACE(::testing::Message() << "seed " << fuzzSeed() + 1 << " round " << round);
        const QByteArray bytes = randomItemBytes(rng);
        const QString text = cp932::decode(bytes);
        ItemReader reader = ItemReader::fromText(text);
        const int lines = int(text.count(QLatin1Char('\n')) + text.count(QLatin1Char('\r'))) + 1;
        int lastLine = 0;
        int handed = 0;
        while (!reader.atEnd()) {
            const ItemValue item = reader.next();
            ++handed;
            ASSERT_EQ(reader.consumed(), handed);
            ASSERT_GE(reader.lineOfLast(), std::max(lastLine, 1));
            ASSERT_LE(reader.lineOfLast(), lines);
            lastLine = reader.lineOfLast();
            ASSERT_FALSE(item.text.contains(QLatin1Char('\r')) || item.text.contains(QLatin1Char('\n')));
            if (item.numeric) {
                double value = 0;
                ASSERT_TRUE(numtext::parseWholeNumber(item.text, &value));
                ASSERT_EQ(value, item.number);
                ASSERT_TRUE(std::isfinite(item.number));
            }
        }
        ASSERT_EQ(handed, reader.total());
        ASSERT_TRUE(reader.next().text.isEmpty());

        // The criteria loader over the same bytes either loads or says why.
        if (round % 10 == 0) {
            writeFile(criteriaPath, bytes);
            const CriteriaLoadResult result = readCriteriaTable(*env.state, criteriaPath);
            ASSERT_TRUE(result.ok || !result.problem.isEmpty());
        }
    }
}

} // namespace
