// SPDX-License-Identifier: MIT
#include "results/results_loader.h"
#include "platform/clock.h"
#include "platform/fatal_error.h"
#include "platform/platform.h"
#include "results/counts.h"
#include "results/record_text.h"
#include "results/results_file.h"
#include "state/shared_state.h"

#include <cmath>

namespace {

constexpr int kTopTimePupils = 1000;

QString decimal(qint64 n)
{
    return QString::number(n);
}

// The loader's diagnostic: what it was doing, the error, and the loaded
// values at the slot of the record number being read.
QString loaderMessage(const SharedState &state, int marker, int error, qint64 recordNumber)
{
    const bool inSlots = recordNumber >= 1 && recordNumber < kLoadedRecordSlots;
    const size_t i = inSlots ? size_t(recordNumber) : 0;
    const double date = inSlots ? state.RecDate[i] : 0;
    const int pupil = inSlots ? state.RecPupil[i] : 0;
    const int level = inSlots ? state.RecLevel[i] : 0;
    const qint64 seconds = inSlots ? state.RecTime[i] : 0;
    const QString timeOfDay = std::isfinite(date) ? timeOfDayText(date) : QString();
    return QStringLiteral("成績ランダムファイル表示") + decimal(marker) + decimal(error) + fileErrorDescription(error)
        + decimal(error) + QStringLiteral("/date") + runDateText(date) + QStringLiteral("/i=") + decimal(recordNumber)
        + QStringLiteral("/time=") + timeOfDay + QStringLiteral("/name=") + QStringLiteral("/Bangou=") + decimal(pupil)
        + QStringLiteral("/level=") + decimal(level) + QStringLiteral("/time=") + decimal(seconds)
        + QStringLiteral("line") + decimal(marker);
}

} // namespace

qint64 loaderFirstRecord(qint64 total)
{
    return total > kRecordWindow ? total - kRecordWindow + 1 : 1;
}

void loadRecordWindow(SharedState &state, const char *bytes, qint64 recordCount)
{
    std::int32_t *best = state.BestTime.data();
    auto isAccepted = [&](const StoredRecord &record) {
        return !isDamagedRecord(record) && !(record.date() < 0) && record.pupilNumber() != 0 && record.level() >= 1;
    };
    // The counts take the newest 10001 valid records of the window. Taking
    // the first ones met (the oldest) froze every count, the name list and
    // pupils.csv as soon as a school had stored that many runs: today's
    // runs were never among them.
    qint64 firstKept = 0;
    int newer = 0;
    for (qint64 r = recordCount - 1; r >= 0; --r) {
        if (isAccepted(StoredRecord(bytes + r * kRecordLength)) && ++newer == kCountedRecordCap) {
            firstKept = r;
            break;
        }
    }
    // Best-time cells of consecutive records lie far apart; asking for them
    // a few records ahead hides most of the wait for memory.
    constexpr qint64 kAhead = 12;
    auto prefetchCell = [&](qint64 r) {
        const StoredRecord record(bytes + r * kRecordLength);
        if (!isDamagedRecord(record))
            __builtin_prefetch(best + LevelPupilTable<std::int32_t>::index(record.level(), record.pupilNumber()), 1);
    };
    for (qint64 r = 0; r < std::min(recordCount, kAhead); ++r)
        prefetchCell(r);
    int accepted = 0;
    // Best times cover the whole window, the records before the kept ones
    // included.
    for (qint64 r = 0; r < recordCount; ++r) {
        if (r + kAhead < recordCount)
            prefetchCell(r + kAhead);
        const StoredRecord record(bytes + r * kRecordLength);
        if (isDamagedRecord(record))
            continue;
        const std::int16_t level = record.level();
        const std::int16_t pupil = record.pupilNumber();
        const std::int32_t seconds = record.seconds();
        // Even a record that is not accepted lowers the best time of its
        // cell.
        std::int32_t &cell = best[LevelPupilTable<std::int32_t>::index(level, pupil)];
        if (seconds < cell)
            cell = seconds;
        if (r < firstKept || !isAccepted(record))
            continue;
        const size_t slot = size_t(++accepted);
        state.RecDate[slot] = record.date();
        state.RecPupil[slot] = pupil;
        state.RecLevel[slot] = level;
        state.RecTime[slot] = seconds;
    }
    state.LoadedRecordCount = std::int16_t(accepted);

    for (int level = 1; level <= kMaxLevel; ++level) {
        std::int32_t top = kNoBestTime;
        const std::int32_t *row = best + LevelPupilTable<std::int32_t>::index(level, 0);
        for (int pupil = 1; pupil <= kTopTimePupils; ++pupil)
            top = std::min(top, row[pupil]);
        state.TopTime[size_t(level)] = top;
    }
}

bool 成績ランダムファイル記録(SharedState &state, Platform &platform)
{
    const QDateTime now = platform.clock.now();
    ResultRecord record;
    record.date = oledate::fromDate(now.date());
    // The time of day the format carries comes from a clock of one-second
    // resolution: whole seconds, so no reader can round a run into the next
    // minute or past midnight.
    record.timeOfDay
        = oledate::timeFraction(QTime::fromMSecsSinceStartOfDay(now.time().msecsSinceStartOfDay() / 1000 * 1000));
    record.pupilNumber = state.PupilNumber;
    record.level = state.CurrentLevel;
    record.seconds = state.RecordedTime;
    record.schoolCode = schoolCodeField(state.SchoolCode);

    const int error = appendResultRecord(resultsFilePath(state), record, platform.clock, nullptr, platform.notice);
    if (error != 0) {
        platform.fatal.fatal(
            state.ProgramName, QStringLiteral("成績ランダムファイル記録") + fileErrorDescription(error));
        return false;
    }
    return true;
}

bool 成績ランダムファイル表示(SharedState &state, Platform &platform)
{
    int marker = 3;
    qint64 recordNumber = 0;
    int error = 0;
    auto report = [&](FileWait::End end) {
        if (end == FileWait::End::NotFoundExhausted)
            platform.fatal.fatal(state.ProgramName,
                QStringLiteral("ファイルがありません") + decimal(marker) + fileErrorDescription(error)
                    + decimal(error));
        else
            platform.fatal.fatal(state.ProgramName, loaderMessage(state, marker, error, recordNumber));
        return false;
    };

    const QString path = resultsFilePath(state);
    ResultsFile file;
    FileWait wait(platform.clock, platform.notice, path);
    wait.waitingWhileNotFound();
    FileWait::End end = wait.repeat(&error, [&] {
        int e = 0;
        OpenResultsFile(path, ResultsAccess::Read, file, &e);
        return e;
    });
    if (end != FileWait::End::Done)
        return report(end);
    state.BestTime.fill(kNoBestTime);

    marker = 4;
    qint64 total = 0;
    end = wait.repeat(&error, [&] {
        int e = 0;
        total = file.recordCount(&e);
        return e;
    });
    if (end != FileWait::End::Done)
        return report(end);

    marker = 5;
    const qint64 first = loaderFirstRecord(total);
    recordNumber = first;
    // The whole window in one read: the loader runs on every screen change.
    thread_local std::vector<char> window;
    qint64 got = 0;
    end = wait.repeat(&error, [&] {
        int e = 0;
        got = file.readRecords(first, total - first + 1, window, &e);
        return e;
    });
    if (end != FileWait::End::Done)
        return report(end);
    file.close();

    loadRecordWindow(state, window.data(), got);
    return true;
}

bool Seisekikiroku(SharedState &state, Platform &platform, int level)
{
    const int pupil = state.PupilNumber;
    if (level < 0 || level > kMaxLevel || pupil < 0 || pupil > kMaxPupil) {
        // The run cannot be placed in the tables; nothing is stored.
        platform.fatal.fatal(state.ProgramName,
            QStringLiteral("Seisekikiroku") + QStringLiteral("インデックスが有効範囲にありません") + decimal(9));
        return false;
    }
    state.LevelClearedBefore = LevelClearedEver(state, level, pupil) ? 1 : 0;
    if (state.RecordedTime < state.BestTime(level, pupil)) {
        state.NewOwnRecord = 1;
        state.BestTime(level, pupil) = state.RecordedTime;
    }
    if (!成績ランダムファイル記録(state, platform))
        return false;
    if (state.RecordedTime < state.TopTime[size_t(level)]) {
        state.TopTime[size_t(level)] = state.RecordedTime;
        state.NewTopRecord = 1;
    }
    return true;
}
