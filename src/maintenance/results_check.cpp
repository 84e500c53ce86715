// SPDX-License-Identifier: MIT
#include "maintenance/results_check.h"
#include "platform/clock.h"
#include "platform/cp932.h"
#include "results/record_text.h"
#include "results/result_record.h"
#include "results/results_file.h"
#include "results/results_journal.h"
#include "results/results_scan.h"
#include "roster/roster_file.h"
#include "state/shared_state.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

namespace {

constexpr int kKinds = int(CheckKind::RosterUnreadable) + 1;
const QDate kEarliestSoundDate(2000, 1, 1);

// A stored date as every screen shows it, or the number itself when it is
// no date at all.
QString dateText(double date)
{
    const QString text = runDateText(date);
    return text.isEmpty() ? QString::number(date, 'g', 17) : text;
}

// The code's text, or its bytes in hexadecimal when they are not text at
// all (a record overwritten with garbage).
QString codeValue(const std::array<char, 5> &code, bool *isText)
{
    bool invalid = false;
    const QString text = cp932::decode(QByteArray(code.data(), 5), &invalid);
    bool control = false;
    for (const QChar c : text)
        control = control || c.unicode() < 0x20 || c.unicode() == 0x7f;
    *isText = !invalid && !control;
    if (*isText)
        return text;
    QStringList hex;
    for (const char b : code)
        hex << QStringLiteral("%1").arg(uint(quint8(b)), 2, 16, QLatin1Char('0')).toUpper();
    return hex.join(QLatin1Char(' '));
}

// A school code as the teacher can read it.
QString codeText(const std::array<char, 5> &code)
{
    bool isText = false;
    const QString text = codeValue(code, &isText);
    if (!isText)
        return QStringLiteral("（バイト %1）").arg(text);
    if (text.trimmed().isEmpty())
        return QStringLiteral("（空白）");
    return QStringLiteral("「%1」").arg(text);
}

// One line of the TSV form holds no tab and no line break.
QString tsvText(QString text)
{
    text.replace(QLatin1Char('\t'), QLatin1Char(' '));
    text.replace(QLatin1Char('\r'), QLatin1Char(' '));
    text.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return text;
}

// Collects findings, joining consecutive records that share kind and value.
class FindingCollector {
public:
    explicit FindingCollector(std::vector<CheckFinding> &findings)
        : findings_(findings)
    {
        open_.fill(-1);
    }

    void add(CheckKind kind, qint64 record, double value, const std::array<char, 5> &code = {}, double pupil = 0)
    {
        if (record > 0 && record != lastRecord_) {
            lastRecord_ = record;
            ++records_;
        }
        const int k = int(kind);
        if (open_[size_t(k)] >= 0) {
            CheckFinding &last = findings_[size_t(open_[size_t(k)])];
            const bool sameValue = kind == CheckKind::Damaged || (last.value == value && last.code == code);
            if (last.lastRecord + 1 == record && sameValue) {
                last.lastRecord = record;
                return;
            }
        }
        open_[size_t(k)] = qint64(findings_.size());
        findings_.push_back(CheckFinding { kind, record, record, value, pupil, code });
    }

    // Records with at least one finding so far.
    qint64 records() const { return records_; }

private:
    std::vector<CheckFinding> &findings_;
    qint64 lastRecord_ = 0;
    qint64 records_ = 0;
    std::array<qint64, kKinds> open_;
};

} // namespace

const char *checkKindName(CheckKind kind)
{
    switch (kind) {
    case CheckKind::TornTail:
        return "torn_tail";
    case CheckKind::Damaged:
        return "damaged";
    case CheckKind::LevelZero:
        return "level_zero";
    case CheckKind::DateNotANumber:
        return "date_not_a_number";
    case CheckKind::DateBefore2000:
        return "date_before_2000";
    case CheckKind::DateInFuture:
        return "date_in_future";
    case CheckKind::PupilNotOnRoster:
        return "pupil_not_on_roster";
    case CheckKind::SecondsOutOfRange:
        return "seconds_out_of_range";
    case CheckKind::UnknownSchoolCode:
        return "unknown_school_code";
    case CheckKind::RosterUnreadable:
        return "roster_unreadable";
    }
    return "unknown";
}

CheckReport checkResultsFile(const SharedState &state, const QDateTime &now)
{
    CheckReport report;
    report.path = resultsFilePath(state);
    report.today = now.date();
    const SchoolOfRecord school(state.SchoolCode, state.SchoolName);
    report.ownCode = school.ownCode();

    // Who is on the roster: every entry, whatever its status, as the
    // results-data editor takes them.
    auto rosterState = std::make_unique<SharedState>();
    rosterState->DataRootFolder = state.DataRootFolder;
    rosterState->SchoolYearStartMonth = state.SchoolYearStartMonth;
    rosterState->IncludeStatus2Pupils = state.IncludeStatus2Pupils;
    RosterFailure rosterFailure;
    const bool rosterRead = LoadRoster(*rosterState, report.today, {}, &rosterFailure);
    std::vector<bool> onRoster(kPupilSlots);
    for (int p = 0; p <= kMaxPupil; ++p)
        onRoster[size_t(p)] = !rosterState->RosterName[p].isEmpty();
    rosterState.reset();

    const double todayStart = oledate::fromDate(report.today);
    const double tomorrow = todayStart + 1;
    const double earliest = oledate::fromDate(kEarliestSoundDate);

    FindingCollector collect(report.findings);
    if (!rosterRead) {
        report.rosterProblem = rosterFailure.description;
        collect.add(CheckKind::RosterUnreadable, 0, rosterFailure.number);
    }
    const ResultsScan scan = scanResultsFile(report.path, [&](qint64 first, const char *bytes, qint64 count) {
        for (qint64 i = 0; i < count; ++i) {
            const StoredRecord record(bytes + i * kRecordLength);
            const qint64 number = first + i;
            const double date = record.date();
            const std::int16_t pupil = record.pupilNumber();
            const std::int16_t level = record.level();
            const std::int32_t seconds = record.seconds();

            // The other fields of a damaged record mean nothing: one line
            // says it is damaged, instead of five guesses about it.
            if (isDamagedRecord(record)) {
                collect.add(CheckKind::Damaged, number, level, {}, pupil);
                continue;
            }
            if (level == 0)
                collect.add(CheckKind::LevelZero, number, 0);
            if (rosterRead && !onRoster[size_t(pupil)])
                collect.add(CheckKind::PupilNotOnRoster, number, pupil);
            if (std::isnan(date))
                collect.add(CheckKind::DateNotANumber, number, 0);
            else if (date < earliest)
                collect.add(CheckKind::DateBefore2000, number, date);
            else if (date >= tomorrow)
                collect.add(CheckKind::DateInFuture, number, date);
            if (seconds < 0 || seconds > kLongestStoredSeconds)
                collect.add(CheckKind::SecondsOutOfRange, number, seconds);
            if (!school.isOwn(record.schoolCode())) {
                std::array<char, 5> code;
                std::memcpy(code.data(), record.schoolCode(), code.size());
                collect.add(CheckKind::UnknownSchoolCode, number, 0, code);
            }
        }
    });
    if (!scan.ok) {
        report.status = CheckReport::Status::Unreadable;
        report.problem = scan.problem;
        report.findings.clear();
        return report;
    }
    report.bytes = scan.bytes;
    report.records = scan.records;
    report.journalPath = resultsJournalPath(report.path);
    const JournalContents journal = readJournal(report.journalPath);
    report.journalExists = journal.exists;
    report.journalReadable = journal.ok;
    report.journalBytes = journal.bytes;
    report.journalEntries = qint64(journal.entries.size());
    report.recordsWithFindings = collect.records();
    if (scan.bytes % kRecordLength != 0)
        collect.add(CheckKind::TornTail, scan.records + 1, double(scan.bytes % kRecordLength));

    std::stable_sort(report.findings.begin(), report.findings.end(), [](const CheckFinding &a, const CheckFinding &b) {
        if (a.firstRecord != b.firstRecord)
            return a.firstRecord < b.firstRecord;
        return int(a.kind) < int(b.kind);
    });
    report.status = report.findings.empty() ? CheckReport::Status::Clean : CheckReport::Status::Findings;
    return report;
}

QString CheckReport::headerLine() const
{
    return QStringLiteral("点検したファイル：%1（%2 バイト、記録 %3 件）　%4")
        .arg(path)
        .arg(bytes)
        .arg(records)
        .arg(journalText());
}

QString CheckReport::journalText() const
{
    if (!journalExists)
        return QStringLiteral("変更記録：%1（まだありません）").arg(journalPath);
    if (!journalReadable)
        return QStringLiteral("変更記録：%1（読めません）").arg(journalPath);
    return QStringLiteral("変更記録：%1（%2 件、%3 バイト）").arg(journalPath).arg(journalEntries).arg(journalBytes);
}

QString CheckReport::findingLine(const CheckFinding &f) const
{
    QString where;
    if (f.kind == CheckKind::RosterUnreadable)
        where = QStringLiteral("名簿：");
    else if (f.firstRecord == f.lastRecord)
        where = QStringLiteral("記録 %1：").arg(f.firstRecord);
    else
        where = QStringLiteral("記録 %1〜%2（%3 件）：")
                    .arg(f.firstRecord)
                    .arg(f.lastRecord)
                    .arg(f.lastRecord - f.firstRecord + 1);
    const qint64 n = qint64(f.value);
    switch (f.kind) {
    case CheckKind::TornTail:
        return where
            + QStringLiteral("ファイルの長さ %1 バイトが44の倍数ではありません。末尾の %2 バイトは途中で切れた記録で、"
                             "数えられず、次の記録で上書きされます（別のパソコンが書き込み中なら、少し待って点検し直し"
                             "てください）。")
                  .arg(bytes)
                  .arg(n);
    case CheckKind::Damaged:
        return where
            + QStringLiteral(
                "壊れた記録です（%1レベル %2、生徒番号 %3。レベルは 0〜35、生徒番号は 0〜5000 のはずです）。"
                "読み込みで読み飛ばされ、数えられません。")
                  .arg(f.firstRecord == f.lastRecord ? QString() : QStringLiteral("最初の記録は"))
                  .arg(n)
                  .arg(qint64(f.pupil));
    case CheckKind::LevelZero:
        return where + QStringLiteral("レベル 0 の記録です。成績としては数えられません。");
    case CheckKind::DateNotANumber:
        return where + QStringLiteral("日付が数値になっていません。");
    case CheckKind::DateBefore2000:
        return where
            + QStringLiteral("日付 %1 は2000年より前です。パソコンの時計が狂っていたと思われます。")
                  .arg(dateText(f.value));
    case CheckKind::DateInFuture:
        return where
            + QStringLiteral("日付 %1 は今日（%2）より後です。パソコンの時計が狂っていたと思われます。")
                  .arg(dateText(f.value), runDateText(oledate::fromDate(today)));
    case CheckKind::PupilNotOnRoster:
        return where + QStringLiteral("生徒番号 %1 は名簿にありません。").arg(n);
    case CheckKind::SecondsOutOfRange:
        return where + QStringLiteral("秒数 %1 は 0〜%2 の外です。").arg(n).arg(kLongestStoredSeconds);
    case CheckKind::UnknownSchoolCode:
        return where
            + QStringLiteral("学校コード%1はこの学校のコード%2ではありません（他塾として扱われます）。")
                  .arg(codeText(f.code), codeText(ownCode));
    case CheckKind::RosterUnreadable:
        return where
            + QStringLiteral("名簿を読めないため、名簿にない生徒番号は点検していません（%1）。").arg(rosterProblem);
    }
    return where;
}

QString CheckReport::summaryLine() const
{
    switch (status) {
    case Status::Unreadable:
        return QStringLiteral("点検できませんでした：%1").arg(problem);
    case Status::Clean:
        return QStringLiteral("問題は見つかりませんでした（記録 %1 件）。").arg(records);
    case Status::Findings:
        break;
    }
    return QStringLiteral("問題 %1 行：問題のある記録 %2 件（全 %3 件中）。")
        .arg(findings.size())
        .arg(recordsWithFindings)
        .arg(records);
}

QStringList CheckReport::lines() const
{
    QStringList out;
    if (status == Status::Unreadable)
        return { summaryLine() };
    out.reserve(qsizetype(findings.size()) + 2);
    out << headerLine();
    for (const CheckFinding &f : findings)
        out << findingLine(f);
    out << summaryLine();
    return out;
}

QByteArray CheckReport::tsv() const
{
    QByteArray out("first_record\tlast_record\tkind\tvalue\tmessage\n");
    auto row = [&](qint64 first, qint64 last, const char *kind, const QString &value, const QString &message) {
        out += (first > 0 ? QByteArray::number(first) : QByteArray()) + '\t'
            + (last > 0 ? QByteArray::number(last) : QByteArray()) + '\t' + kind + '\t' + tsvText(value).toUtf8() + '\t'
            + tsvText(message).toUtf8() + '\n';
    };
    if (status == Status::Unreadable) {
        row(0, 0, "unreadable", QString(), problem);
        return out;
    }
    for (const CheckFinding &f : findings) {
        QString value;
        switch (f.kind) {
        case CheckKind::DateBefore2000:
        case CheckKind::DateInFuture: {
            const QDate d = oledate::toDate(f.value);
            value = d.isValid() ? d.toString(Qt::ISODate) : QString::number(f.value, 'g', 17);
            break;
        }
        case CheckKind::DateNotANumber:
            value = QStringLiteral("NaN");
            break;
        case CheckKind::UnknownSchoolCode: {
            bool isText = false;
            value = codeValue(f.code, &isText);
            break;
        }
        case CheckKind::LevelZero:
            value = QStringLiteral("0");
            break;
        case CheckKind::Damaged:
            value = QStringLiteral("level=%1 pupil=%2").arg(qint64(f.value)).arg(qint64(f.pupil));
            break;
        default:
            value = QString::number(qint64(f.value));
            break;
        }
        row(f.firstRecord, f.lastRecord, checkKindName(f.kind), value, findingLine(f));
    }
    row(0, 0, "journal", QString::number(journalBytes), journalText());
    row(records > 0 ? 1 : 0, records, "summary", QString::number(findings.size()), summaryLine());
    return out;
}
