// SPDX-License-Identifier: MIT
#include "hub/listings.h"
#include "hub/grade_marks.h"
#include "platform/blank_trim.h"
#include "platform/clock.h"
#include "platform/number_text.h"
#include "results/points.h"
#include "results/record_text.h"
#include "state/shared_state.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kOnePupilDays = 3650;

constexpr Rgb kTargetColour { 0, 192, 0 }; // &H0000C000
constexpr Rgb kPassLineColour { 192, 255, 192 }; // &H00C0FFC0
constexpr Rgb kSlowColour { 192, 192, 192 }; // &H00C0C0C0

// Records come in date order, so consecutive runs mostly share a day: keep
// the last day's text instead of formatting it again for each row.
class MonthDayTexts {
public:
    const QString &text(double date)
    {
        if (!valid_ || date != date_) {
            date_ = date;
            valid_ = true;
            text_ = monthDayText(date);
        }
        return text_;
    }

private:
    double date_ = 0;
    bool valid_ = false;
    QString text_;
};

// The hub's lists mark, name and filter the same few pupils over and over
// (20000 records, a few hundred pupils): work each pupil out once per build.
class PupilMarks {
public:
    PupilMarks(const SharedState &state, const QString &gradeFilter)
        : state_(state)
        , gradeFilter_(gradeFilter)
        , known_(kPupilSlots, 0)
        , passes_(kPupilSlots, 0)
        , names_(kPupilSlots)
        , markers_(kPupilSlots)
    {
    }

    bool passes(int pupil) { return entry(pupil), passes_[size_t(pupil)] != 0; }
    const QString &name(int pupil) { return entry(pupil), names_[size_t(pupil)]; }
    const QString &marker(int pupil) { return entry(pupil), markers_[size_t(pupil)]; }

private:
    void entry(int pupil)
    {
        const size_t i = size_t(pupil);
        if (known_[i])
            return;
        known_[i] = 1;
        const int grade = hubPupilGrade(state_, pupil);
        passes_[i] = PassesGradeFilter(gradeFilter_, grade) ? 1 : 0;
        names_[i] = listPupilName(state_.RosterName[pupil]);
        markers_[i] = pupil == state_.PupilNumber ? QStringLiteral("●") : GradeSymbol(grade);
    }

    const SharedState &state_;
    const QString &gradeFilter_;
    std::vector<char> known_;
    std::vector<char> passes_;
    std::vector<QString> names_;
    std::vector<QString> markers_;
};

// "Marker Name Marker", the middle of every run row.
void appendNamed(QString &row, PupilMarks &marks, int pupil)
{
    row += marks.marker(pupil);
    row += marks.name(pupil);
    row += marks.marker(pupil);
}

QString failedRunStart()
{
    return QStringLiteral("　　× ");
}

struct Frame {
    RunList list;
    QString title;
    int hubOrderOption;
    bool colours;
    bool showsPeriodSelector;
};

// The frame the three builders share: window of the file, pupil and level
// checks, rows in record order, colours from the newest successful run.
// `wanted` filters a record further, `rowFor` writes its row.
template <typename Wanted, typename RowFor>
RunListing buildRuns(const SharedState &state, std::span<const ResultRecord> records, int firstRecordNumber,
    const ListRequest &request, const RecordProgress &progress, const Frame &frame, Wanted wanted, RowFor rowFor)
{
    RunListing listing;
    listing.title = frame.title;
    listing.hubOrderOption = frame.hubOrderOption;
    listing.showsPeriodSelector = frame.showsPeriodSelector;
    const int levelCount = std::clamp(int(state.LevelCount), 0, kMaxLevel);
    listing.rows.resize(size_t(levelCount) + 1);
    listing.background.resize(size_t(levelCount) + 1);
    std::vector<std::optional<int>> lastSuccess(size_t(levelCount) + 1);

    const int recordCount = firstRecordNumber + int(records.size()) - 1;
    const int first = std::max(firstRecordToRead(frame.list, recordCount), firstRecordNumber);
    PupilMarks marks(state, request.gradeFilter);
    for (int number = first; number <= recordCount; ++number) {
        if (progress)
            progress(number);
        const ResultRecord &record = records[size_t(number - firstRecordNumber)];
        // A record of pupil 0 is no run (reading past the end yields one);
        // numbers and levels outside the tables come only from damaged files
        // and would have no name or no list.
        if (record.pupilNumber < 1 || record.pupilNumber > kMaxPupil)
            continue;
        if (record.level < 1 || record.level > levelCount)
            continue;
        if (!wanted(record) || !marks.passes(record.pupilNumber))
            continue;
        listing.rows[size_t(record.level)].append(rowFor(record, marks));
        if (record.seconds < kListedAsFailedSeconds)
            lastSuccess[size_t(record.level)] = record.seconds;
    }

    if (frame.colours && request.view == ListView::Time) {
        for (int level = 1; level <= levelCount; ++level) {
            if (const auto seconds = lastSuccess[size_t(level)])
                listing.background[size_t(level)]
                    = timeViewListColour(*seconds, state.TargetTime[size_t(level)], state.PassLineTime[size_t(level)]);
        }
    }
    return listing;
}

} // namespace

int firstRecordToRead(RunList list, int recordCount)
{
    const int window = list == RunList::Today ? kTodayRecordWindow : kRecordWindow;
    return std::max(1, recordCount - window + 1);
}

int listProgressMaximum(int recordCount)
{
    return int(numtext::roundHalfEven((double(recordCount) + 1) * 1.1));
}

int periodDays(int resultPeriod, const QDate &today)
{
    // Days since the last Sunday: the weekday counted from Sunday = 1, less 1.
    const int sinceSunday = today.dayOfWeek() % 7;
    switch (resultPeriod) {
    case 1:
        return sinceSunday;
    case 2:
        return sinceSunday + 7;
    case 3:
        return 30;
    case 4:
        return 365;
    case 5:
        return 3650;
    default:
        return 0;
    }
}

QString TimeText(int seconds)
{
    return numtext::lastChars(QStringLiteral("      ") + QString::number(seconds) + QStringLiteral("秒"), 5);
}

QString hourMinuteText(double timeOfDay)
{
    return numtext::lastChars(QStringLiteral("00") + timeOfDayText(timeOfDay), 8).left(5);
}

QString monthDayText(double date)
{
    return numtext::lastChars(runDateText(date), 5);
}

QString listPupilName(const QString &rosterName)
{
    return numtext::firstChars(trimBlanks(rosterName) + QStringLiteral("　　　　"), 5);
}

Rgb timeViewListColour(int seconds, int targetTime, int passLineTime)
{
    if (seconds <= targetTime)
        return kTargetColour;
    if (seconds <= passLineTime)
        return kPassLineColour;
    return kSlowColour;
}

RunListing buildTodayList(const SharedState &state, std::span<const ResultRecord> records, int firstRecordNumber,
    const ListRequest &request, const RecordProgress &progress)
{
    const double today = oledate::fromDate(request.today);
    const Frame frame { RunList::Today, QStringLiteral("本日の成績"), 2, true, false };
    return buildRuns(
        state, records, firstRecordNumber, request, progress, frame,
        [today](const ResultRecord &r) { return r.date == today; },
        [&state](const ResultRecord &r, PupilMarks &marks) {
            QString row;
            row.reserve(32);
            if (r.seconds < kListedAsFailedSeconds) {
                row += TimeText(r.seconds);
                row += QLatin1Char(' ');
                row += hourMinuteText(r.timeOfDay);
                appendNamed(row, marks, r.pupilNumber);
                row += QString::number(listRunPoints(r.seconds, state.TargetTime[size_t(r.level)]));
            } else {
                row += failedRunStart();
                row += hourMinuteText(r.timeOfDay);
                appendNamed(row, marks, r.pupilNumber);
            }
            return row;
        });
}

RunListing buildPeriodList(const SharedState &state, std::span<const ResultRecord> records, int firstRecordNumber,
    const ListRequest &request, const RecordProgress &progress)
{
    const double since = oledate::fromDate(request.today) - periodDays(request.resultPeriod, request.today);
    const Frame frame { RunList::Period, QString(), 3, true, true };
    const bool timeView = request.view == ListView::Time;
    MonthDayTexts days;
    return buildRuns(
        state, records, firstRecordNumber, request, progress, frame,
        [since](const ResultRecord &r) { return r.date > since; },
        [&state, &days, timeView](const ResultRecord &r, PupilMarks &marks) {
            QString row;
            row.reserve(32);
            if (r.seconds >= kListedAsFailedSeconds) {
                row += failedRunStart();
                row += days.text(r.date);
                appendNamed(row, marks, r.pupilNumber);
                return row;
            }
            const int points = listRunPoints(r.seconds, state.TargetTime[size_t(r.level)]);
            if (timeView) {
                row += TimeText(r.seconds);
                row += QLatin1Char(' ');
                row += days.text(r.date);
                appendNamed(row, marks, r.pupilNumber);
                row += QString::number(points);
            } else {
                row += numtext::lastChars(QStringLiteral("      ") + QString::number(points), 5);
                row += QLatin1Char(' ');
                row += days.text(r.date);
                appendNamed(row, marks, r.pupilNumber);
                row += QString::number(r.seconds);
                row += QStringLiteral("秒");
            }
            return row;
        });
}

RunListing buildOnePupilList(const SharedState &state, std::span<const ResultRecord> records, int firstRecordNumber,
    const ListRequest &request, const RecordProgress &progress)
{
    const double since = oledate::fromDate(request.today) - kOnePupilDays;
    const int pupil = state.PupilNumber;
    const Frame frame { RunList::OnePupil, QStringLiteral("個人別ﾀｲﾑ"), 3, false, false };
    return buildRuns(
        state, records, firstRecordNumber, request, progress, frame,
        [since, pupil](const ResultRecord &r) { return r.pupilNumber == pupil && r.date > since; },
        [](const ResultRecord &r, PupilMarks &) {
            QString row = runDateText(r.date);
            row += QLatin1Char(' ');
            row += numtext::lastChars(timeOfDayText(r.timeOfDay), 10);
            // A failed run keeps the time column's width, with the "×" the
            // other lists mark failed runs with.
            row += r.seconds < kListedAsFailedSeconds ? TimeText(r.seconds) : QStringLiteral("    ×");
            return row;
        });
}
