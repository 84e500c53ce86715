// SPDX-License-Identifier: MIT
#include "maintenance/csv_export.h"
#include "platform/atomic_file.h"
#include "platform/blank_trim.h"
#include "platform/clock.h"
#include "platform/cp932.h"
#include "platform/shared_folder.h"
#include "results/counts.h"
#include "results/points.h"
#include "results/record_text.h"
#include "results/result_record.h"
#include "results/results_file.h"
#include "results/results_loader.h"
#include "results/results_scan.h"
#include "roster/roster_file.h"
#include "state/level_table.h"
#include "state/shared_state.h"

#include <QDir>
#include <charconv>
#include <cmath>
#include <cstring>
#include <memory>
#include <unordered_map>
#include <vector>

namespace {

const QByteArray kBom("\xEF\xBB\xBF");
const QByteArray kCrLf("\r\n");

// Output is handed to the file in pieces of about this size.
constexpr qsizetype kFlushBytes = 1 << 20;

void appendNumber(QByteArray &out, qint64 value)
{
    char buffer[24];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
    out.append(buffer, end - buffer);
}

QByteArray headerLine(const char16_t *const titles[], int count)
{
    QByteArray line;
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            line.append(',');
        appendCsvField(line, QString::fromUtf16(titles[i]).toUtf8());
    }
    return line + kCrLf;
}

const char16_t *const kRunsHeader[] = { u"記録番号", u"日付", u"時刻", u"生徒番号", u"名前", u"学年", u"レベル",
    u"レベル名", u"秒", u"時間切れ", u"ポイント", u"学校コード", u"学校名" };
const char16_t *const kPupilsHeader[] = { u"生徒番号", u"名前", u"学年", u"レベル", u"レベル名", u"回数（全）",
    u"回数（今日）", u"回数（判定期間）", u"ポイント（全）", u"ポイント（今日）", u"ポイント（判定期間）",
    u"ベストタイム（秒）", u"合格", u"やりすぎ禁止" };

// A file written beside its final name and renamed over it once complete
// (FileReplacement), so a failed export leaves an earlier file as it was.
class CsvFile {
public:
    explicit CsvFile(const QString &path)
        : file_(path)
    {
    }
    bool open() const { return file_.ok(); }
    void write(QByteArray &buffer, bool force = false)
    {
        if (!force && buffer.size() < kFlushBytes)
            return;
        file_.write(buffer);
        buffer.clear();
    }
    void cancel() { file_.abandon(); }
    bool commit()
    {
        if (!file_.commit())
            return false;
        note_ = file_.note();
        return true;
    }
    // The file and the cause, as the replacement reports them.
    QString errorString() const { return file_.error(); }
    QString note() const { return note_; }

private:
    FileReplacement file_;
    QString note_;
};

// "2026-12-09" of a stored day; empty when the value is no date at all.
QByteArray dateField(double date)
{
    return runDateText(date, QLatin1Char('-')).toLatin1();
}

// "09:05:12": the second the lists and the editor show, with two-digit
// hours for spreadsheets. A value that is no number at all stays empty.
void appendTimeField(QByteArray &out, double timeOfDay)
{
    if (std::isfinite(timeOfDay))
        out.append(timeOfDayText(timeOfDay, HourDigits::Two).toLatin1());
}

quint64 codeKey(const char *code)
{
    quint64 key = 0;
    std::memcpy(&key, code, 5);
    return key;
}

// Per-pupil texts, worked out once: "name,grade" as CSV fields.
std::vector<QByteArray> pupilFields(const SharedState &state)
{
    std::vector<QByteArray> fields(kPupilSlots);
    for (int p = 0; p <= kMaxPupil; ++p) {
        QByteArray &f = fields[size_t(p)];
        appendCsvField(f, trimBlanks(state.RosterName[p]).toUtf8());
        f.append(',');
        appendCsvField(f, state.RosterGradeLabel[p].toUtf8());
    }
    return fields;
}

} // namespace

void appendCsvField(QByteArray &line, QByteArrayView utf8)
{
    bool quote = false;
    for (const char c : utf8) {
        if (c == ',' || c == '"' || c == '\r' || c == '\n') {
            quote = true;
            break;
        }
    }
    if (!quote) {
        line.append(utf8);
        return;
    }
    line.append('"');
    for (const char c : utf8) {
        if (c == '"')
            line.append('"');
        line.append(c);
    }
    line.append('"');
}

QByteArray csvField(const QString &text)
{
    QByteArray out;
    appendCsvField(out, text.toUtf8());
    return out;
}

CsvExportResult exportCsv(const SharedState &state, const QDateTime &now, const QString &folder)
{
    CsvExportResult result;
    const QString dir = QDir::cleanPath(folder);
    QString folderProblem;
    if (!sharedfolder::makeFolders(dir, &folderProblem)) {
        result.problem = folderProblem; // the folder and the system's reason
        return result;
    }
    result.runsPath = dir + QLatin1Char('/') + QLatin1String(kCsvRunsFile);
    result.pupilsPath = dir + QLatin1Char('/') + QLatin1String(kCsvPupilsFile);

    // A working copy: the counts and roster tables of the running program
    // stay as its screens left them.
    auto work = std::make_unique<SharedState>(state);
    fillLevelTable(*work);
    work->RosterName.fill(QString());
    work->RosterGradeLabel.fill(QString());
    RosterFailure rosterFailure;
    if (!LoadRoster(*work, now.date(), {}, &rosterFailure))
        result.rosterProblem = rosterFailure.description;

    const std::vector<QByteArray> pupils = pupilFields(*work);
    std::array<QByteArray, kLevelSlots> levelFields;
    for (int l = 0; l <= kMaxLevel; ++l) {
        appendNumber(levelFields[size_t(l)], l);
        levelFields[size_t(l)].append(',');
        appendCsvField(levelFields[size_t(l)], work->LevelName[size_t(l)].toUtf8());
    }
    // The school column: the code as stored and the name of its school.
    const SchoolOfRecord school(work->SchoolCode, work->SchoolName);
    std::unordered_map<quint64, QByteArray> schoolFields;
    auto schoolField = [&](const char *code) -> const QByteArray & {
        const quint64 key = codeKey(code);
        auto it = schoolFields.find(key);
        if (it == schoolFields.end()) {
            QByteArray f = csvField(trimTrailingBlanks(cp932::decode(QByteArray(code, 5))));
            f.append(',');
            f.append(csvField(school.nameFor(code)));
            it = schoolFields.emplace(key, f).first;
        }
        return it->second;
    };

    // Puts a written file in place; its failure is the export's problem,
    // what could not be kept of the old file's attributes a note.
    auto finishFile = [&result](CsvFile &file) {
        if (!file.commit()) {
            result.problem = file.errorString();
            return false;
        }
        if (!file.note().isEmpty())
            result.notes << file.note();
        return true;
    };
    CsvFile runs(result.runsPath);
    if (!runs.open()) {
        result.problem = runs.errorString();
        return result;
    }
    QByteArray out;
    out.reserve(kFlushBytes + 4096);
    out = kBom + headerLine(kRunsHeader, int(std::size(kRunsHeader)));

    const QString resultsPath = resultsFilePath(*work);
    double lastDate = std::nan("");
    QByteArray lastDateField;
    // The records the program itself counts (the loader's window) are kept
    // on the way, so the counts describe the very records exported.
    std::vector<char> window;
    const auto keepWindow = [&](qint64 first, const char *bytes, qint64 count) {
        const qint64 from = std::max(first, result.countedFrom);
        if (from < first + count)
            window.insert(window.end(), bytes + (from - first) * kRecordLength, bytes + count * kRecordLength);
    };
    const auto opened = [&](const ResultsScan &s) {
        result.countedFrom = loaderFirstRecord(s.records);
        window.reserve(size_t(s.records - result.countedFrom + 1) * kRecordLength);
    };
    const auto exportRuns = [&](qint64 first, const char *bytes, qint64 count) {
        keepWindow(first, bytes, count);
        for (qint64 i = 0; i < count; ++i) {
            const StoredRecord record(bytes + i * kRecordLength);
            if (isDamagedRecord(record)) {
                ++result.damaged;
                continue;
            }
            const double date = record.date();
            const std::int16_t pupil = record.pupilNumber();
            const std::int16_t level = record.level();
            const std::int32_t seconds = record.seconds();
            if (level == 0) {
                ++result.notRuns;
                continue;
            }
            appendNumber(out, first + i);
            out.append(',');
            // Runs of one day follow each other, so the last date's text is
            // nearly always the one needed.
            if (!(date == lastDate)) {
                lastDate = date;
                lastDateField = dateField(date);
            }
            out.append(lastDateField);
            out.append(',');
            appendTimeField(out, record.timeOfDay());
            out.append(',');
            appendNumber(out, pupil);
            out.append(',');
            out.append(pupils[size_t(pupil)]);
            out.append(',');
            out.append(levelFields[size_t(level)]);
            out.append(',');
            if (seconds != kTimeUpSeconds)
                appendNumber(out, seconds);
            out.append(',');
            if (seconds == kTimeUpSeconds)
                out.append("時間切れ");
            out.append(',');
            appendNumber(
                out, countedRunPoints(seconds, work->TargetTime[size_t(level)], work->PointMultiplier[size_t(level)]));
            out.append(',');
            out.append(schoolField(record.schoolCode()));
            out.append(kCrLf);
            ++result.runRows;
        }
        runs.write(out);
    };
    const ResultsScan scan = scanResultsFile(resultsPath, exportRuns, opened);
    if (!scan.ok) {
        runs.cancel(); // a file that was there stays as it was
        result.problem = scan.problem;
        return result;
    }
    runs.write(out, true);
    if (!finishFile(runs))
        return result;
    result.records = scan.records;
    result.tornBytes = scan.bytes % kRecordLength;

    work->BestTime.fill(kNoBestTime);
    loadRecordWindow(*work, window.data(), qint64(window.size()) / kRecordLength);
    countLoadedRecords(*work, oledate::fromDateTime(now));
    result.countedRecords = work->LoadedRecordCount;

    std::vector<bool> hasRun(size_t(kLevelSlots) * kPupilSlots);
    for (int r = 1; r <= work->LoadedRecordCount; ++r) {
        const int level = work->RecLevel[size_t(r)];
        const int pupil = work->RecPupil[size_t(r)];
        if (level >= 1 && level <= kMaxLevel && pupil >= 0 && pupil <= kMaxPupil)
            hasRun[size_t(LevelPupilTable<int>::index(level, pupil))] = true;
    }

    CsvFile pupilsFile(result.pupilsPath);
    if (!pupilsFile.open()) {
        result.problem = pupilsFile.errorString();
        return result;
    }
    out = kBom + headerLine(kPupilsHeader, int(std::size(kPupilsHeader)));
    for (int pupil = 0; pupil <= kMaxPupil; ++pupil) {
        for (int level = 1; level <= kMaxLevel; ++level) {
            if (!hasRun[size_t(LevelPupilTable<int>::index(level, pupil))])
                continue;
            appendNumber(out, pupil);
            out.append(',');
            out.append(pupils[size_t(pupil)]);
            out.append(',');
            out.append(levelFields[size_t(level)]);
            out.append(',');
            appendNumber(out, work->TotalRunCount(level, pupil));
            out.append(',');
            out.append(QString::number(double(work->TodayRunCount(level, pupil)), 'g', 7).toUtf8());
            out.append(',');
            appendNumber(out, work->PeriodRunCount(level, pupil));
            out.append(',');
            appendNumber(out, work->TotalPoints(level, pupil));
            out.append(',');
            appendNumber(out, work->TodayPoints(level, pupil));
            out.append(',');
            appendNumber(out, work->PeriodPoints(level, pupil));
            out.append(',');
            if (work->BestTime(level, pupil) < kNoBestTime)
                appendNumber(out, work->BestTime(level, pupil));
            out.append(',');
            if (LevelPassed(*work, level, pupil))
                out.append("合格");
            out.append(',');
            if (LevelOverPractised(*work, level, pupil))
                out.append("やりすぎ禁止");
            out.append(kCrLf);
            ++result.pupilRows;
            pupilsFile.write(out);
        }
    }
    pupilsFile.write(out, true);
    if (!finishFile(pupilsFile))
        return result;
    result.ok = true;
    return result;
}

QStringList csvExportSummary(const CsvExportResult &result)
{
    if (!result.ok)
        return { QStringLiteral("CSVを出力できませんでした。"), result.problem };
    QStringList lines;
    lines << QStringLiteral("%1 に %2 件の記録を書き出しました。").arg(result.runsPath).arg(result.runRows)
          << QStringLiteral("%1 に %2 行（生徒とレベルごと）を書き出しました。")
                 .arg(result.pupilsPath)
                 .arg(result.pupilRows);
    if (result.damaged > 0)
        lines
            << QStringLiteral("壊れた記録 %1 件（レベルか生徒番号が範囲外）は書き出していません。").arg(result.damaged);
    if (result.notRuns > 0)
        lines << QStringLiteral("レベル0の記録 %1 件は成績ではないので書き出していません。").arg(result.notRuns);
    if (result.tornBytes > 0)
        lines << QStringLiteral("ファイルの末尾に途中で切れた記録（%1 バイト）があり、書き出していません。")
                     .arg(result.tornBytes);
    if (result.countedFrom > 1)
        lines << QStringLiteral(
            "pupils.csv の回数とポイントは、画面と同じく、記録 %1 以降のうちプログラムが数える %2 件から"
            "求めています。")
                     .arg(result.countedFrom)
                     .arg(result.countedRecords);
    if (!result.rosterProblem.isEmpty())
        lines << QStringLiteral("名簿を読めなかったため、名前と学年が空の行があります：%1").arg(result.rosterProblem);
    lines << result.notes;
    return lines;
}
