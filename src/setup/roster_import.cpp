// SPDX-License-Identifier: MIT
#include "setup/roster_import.h"
#include "platform/cp932.h"
#include "platform/folder_path.h"
#include "platform/item_reader.h"
#include "platform/shared_folder.h"
#include "roster/grade_rules.h"
#include "roster/name_list.h"
#include "roster/roster_file.h"
#include "setup/data_files.h"
#include "setup/path_file_search.h"

#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QStringDecoder>

namespace rosterimport {
namespace {

constexpr int kMaxNumber = 5000;
constexpr int kNameLength = 20;

// The spreadsheet cells of one record, with the line the record starts on.
struct Record {
    int line = 0;
    QStringList cells;
};

// RFC 4180 as Excel writes it: quoted cells may hold commas, doubled quotes
// and line breaks; lines end in CR LF or LF.
QList<Record> splitCsv(const QString &text)
{
    QList<Record> records;
    Record current { 1, {} };
    QString cell;
    bool quoted = false;
    bool cellWasQuoted = false;
    int line = 1;
    auto endCell = [&] {
        current.cells << cell;
        cell.clear();
        cellWasQuoted = false;
    };
    auto endRecord = [&] {
        endCell();
        records << current;
        current = Record { line, {} };
    };
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                    cell += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                if (c == QLatin1Char('\n'))
                    ++line;
                cell += c;
            }
            continue;
        }
        if (c == QLatin1Char('"') && cell.trimmed().isEmpty() && !cellWasQuoted) {
            cell.clear();
            quoted = true;
            cellWasQuoted = true;
        } else if (c == QLatin1Char(',')) {
            endCell();
        } else if (c == QLatin1Char('\r')) {
            // part of CR LF; a lone CR is not a line end in Excel's CSV
        } else if (c == QLatin1Char('\n')) {
            ++line;
            endRecord();
        } else {
            cell += c;
        }
    }
    if (!cell.isEmpty() || !current.cells.isEmpty() || cellWasQuoted)
        endRecord();
    return records;
}

bool allBlank(const QStringList &cells)
{
    for (const QString &c : cells) {
        if (!c.trimmed().isEmpty())
            return false;
    }
    return true;
}

// Full-width digits typed in a spreadsheet read as the digits they show.
QString halfWidthDigits(QString text)
{
    for (QChar &c : text) {
        if (c.unicode() >= 0xFF10 && c.unicode() <= 0xFF19)
            c = QChar(u'0' + (c.unicode() - 0xFF10));
    }
    return text;
}

// A whole number written with digits only (an optional minus for status), or
// nullopt.
std::optional<int> wholeNumber(const QString &cell)
{
    const QString t = halfWidthDigits(cell.trimmed());
    if (t.isEmpty() || t.size() > 9)
        return std::nullopt;
    for (qsizetype i = 0; i < t.size(); ++i) {
        if (!t[i].isDigit() || t[i].unicode() > 0x7F)
            return std::nullopt;
    }
    return t.toInt();
}

// Only U+0020 is a blank of the roster; an ideographic space inside or
// around a name is part of it.
QString trimBlanks(const QString &text)
{
    qsizetype from = 0;
    qsizetype to = text.size();
    while (from < to && (text[from] == QLatin1Char(' ') || text[from] == QLatin1Char('\t')))
        ++from;
    while (to > from && (text[to - 1] == QLatin1Char(' ') || text[to - 1] == QLatin1Char('\t')))
        --to;
    return text.mid(from, to - from);
}

enum class Stage { None, Kindergarten, Elementary, Junior, High };

// A school stage as a 学校 cell or the front of a grade names it: 小, 小学,
// 小学校, 小学生 and the like; Stage::None for anything else.
Stage stageOf(const QString &text)
{
    static const QRegularExpression form(QStringLiteral("^(幼|小|中|高)(稚園|学校|学生|学|等学校|校生|校)?$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        return Stage::None;
    const QString stage = m.captured(1);
    const QString rest = m.captured(2);
    if (stage == QStringLiteral("幼"))
        return rest.isEmpty() || rest == QStringLiteral("稚園") ? Stage::Kindergarten : Stage::None;
    if (stage == QStringLiteral("高"))
        return rest.isEmpty() || rest == QStringLiteral("校") || rest == QStringLiteral("等学校")
                || rest == QStringLiteral("校生")
            ? Stage::High
            : Stage::None;
    if (rest == QStringLiteral("稚園") || rest == QStringLiteral("等学校") || rest == QStringLiteral("校生")
        || rest == QStringLiteral("校"))
        return Stage::None;
    return stage == QStringLiteral("小") ? Stage::Elementary : Stage::Junior;
}

// The grade number of what a teacher writes in a 学年 cell: 小5, 5年, 5年生,
// 中1, 中学1年, 高校2年, 幼3, 年長, or a bare number. The stage comes from
// the cell, else from the 学校 cell, else it is elementary school (and
// `readAsElementary` is set). Nullopt when the two stages disagree or the
// year does not exist in the stage.
std::optional<int> gradeOf(const QString &cell, const QString &stageCell, bool *readAsElementary)
{
    QString text = halfWidthDigits(cell.trimmed());
    text.remove(QLatin1Char(' '));
    text.remove(QChar(0x3000));
    static const QHash<QString, int> kindergartenYears { { QStringLiteral("年少"), -2 }, { QStringLiteral("年中"), -1 },
        { QStringLiteral("年長"), 0 } };
    const Stage columnStage = stageOf(stageCell.trimmed());
    if (kindergartenYears.contains(text)) {
        if (columnStage != Stage::None && columnStage != Stage::Kindergarten)
            return std::nullopt;
        return kindergartenYears.value(text);
    }
    static const QRegularExpression form(QStringLiteral("^(\\D*?)(\\d{1,2})(年生|年)?$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    Stage stage = Stage::None;
    if (!m.captured(1).isEmpty()) {
        stage = stageOf(m.captured(1));
        if (stage == Stage::None)
            return std::nullopt;
    }
    if (columnStage != Stage::None) {
        if (stage != Stage::None && stage != columnStage)
            return std::nullopt;
        stage = columnStage;
    }
    if (stage == Stage::None) {
        stage = Stage::Elementary;
        *readAsElementary = true;
    }
    const int year = m.captured(2).toInt();
    switch (stage) {
    case Stage::Kindergarten:
        return year >= 1 && year <= 3 ? std::optional<int>(year - 3) : std::nullopt;
    case Stage::Elementary:
        return year >= 1 && year <= 6 ? std::optional<int>(year) : std::nullopt;
    case Stage::Junior:
        return year >= 1 && year <= 3 ? std::optional<int>(year + 6) : std::nullopt;
    case Stage::High:
        return year >= 1 && year <= 3 ? std::optional<int>(year + 9) : std::nullopt;
    case Stage::None:
        break;
    }
    return std::nullopt;
}

QString readingProblem(const QString &reading)
{
    if (reading.size() > kNameLength)
        return QStringLiteral("ふりがなが%1文字あります（%2文字まで）").arg(reading.size()).arg(kNameLength);
    bool unmappable = false;
    cp932::encode(reading, &unmappable);
    if (unmappable || NameOrderKeys::readingOf(reading).isEmpty())
        return QStringLiteral("ふりがな「%1」はひらがなかカタカナで書いてください").arg(reading);
    return QString();
}

QString nameProblem(const QString &name)
{
    if (name.isEmpty())
        return QStringLiteral("名前がありません");
    if (name.contains(QLatin1Char('\n')) || name.contains(QLatin1Char('\r')))
        return QStringLiteral("名前に改行があります");
    if (name.contains(QLatin1Char('"')))
        return QStringLiteral("名前に「\"」は使えません");
    if (name.contains(QLatin1Char('*')))
        return QStringLiteral("名前に「*」は使えません");
    if (name.size() > kNameLength)
        return QStringLiteral("名前が%1文字あります（%2文字まで）").arg(name.size()).arg(kNameLength);
    bool unmappable = false;
    cp932::encode(name, &unmappable);
    if (unmappable)
        return QStringLiteral("名前にShift-JISで書けない文字があります");
    return QString();
}

enum class Column { Number, BirthYear, Grade, Stage, Name, Status, Reading };

} // namespace

Parsed parse(const QByteArray &bytes, const QDate &today, double schoolYearStartMonth)
{
    Parsed out;
    QString text;
    if (bytes.startsWith("PK\x03\x04")) {
        out.fileProblem = QStringLiteral("Excelのブック（.xlsx）のままです。Excelで「CSV UTF-8（コンマ区切り）」"
                                         "か「CSV（コンマ区切り）」の形式で保存し直してください。");
        return out;
    }
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        out.fileProblem = QStringLiteral("UTF-16（Unicode テキスト）の文字コードは読めません。"
                                         "「CSV UTF-8（コンマ区切り）」の形式で保存し直してください。");
        return out;
    }
    if (bytes.contains('\0')) {
        out.fileProblem = QStringLiteral("文字のファイルではありません。CSVの形式で保存し直してください。");
        return out;
    }
    const bool bom = bytes.startsWith("\xEF\xBB\xBF");
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString asUtf8 = utf8(bom ? bytes.mid(3) : bytes);
    if (!utf8.hasError()) {
        text = asUtf8;
        out.encoding = bom ? QStringLiteral("UTF-8 (BOM付き)") : QStringLiteral("UTF-8");
    } else if (bom) {
        out.fileProblem = QStringLiteral("UTF-8の印（BOM）がありますが、UTF-8として読めないところがあります。");
        return out;
    } else {
        bool invalid = false;
        text = cp932::decode(bytes, &invalid);
        if (invalid) {
            out.fileProblem = QStringLiteral("文字コードがわかりません（UTF-8でもShift-JISでもありません）。"
                                             "「CSV UTF-8（コンマ区切り）」の形式で保存し直してください。");
            return out;
        }
        out.encoding = QStringLiteral("Shift-JIS");
    }

    QList<Record> records = splitCsv(text);
    while (!records.isEmpty() && allBlank(records.first().cells))
        records.removeFirst();
    if (records.isEmpty()) {
        out.fileProblem = QStringLiteral("中身がありません。");
        return out;
    }

    // The header row: which column holds what. Class lists often start with
    // a title row or two ("2026年度 1組"), so the header is the first of the
    // leading rows that has a 番号 cell; without one, the first row is taken
    // and its missing columns are reported.
    for (int i = 0; i < std::min<qsizetype>(records.size(), 5); ++i) {
        bool hasNumber = false;
        for (const QString &cell : records[i].cells)
            hasNumber = hasNumber || cell.trimmed() == QStringLiteral("番号");
        if (hasNumber) {
            records.remove(0, i);
            break;
        }
    }
    const Record header = records.takeFirst();
    QHash<Column, int> at;
    const struct {
        const char16_t *title;
        Column column;
    } titles[] = { { u"番号", Column::Number }, { u"生年", Column::BirthYear }, { u"学年", Column::Grade },
        { u"学校", Column::Stage }, { u"校種", Column::Stage }, { u"名前", Column::Name }, { u"氏名", Column::Name },
        { u"状態", Column::Status }, { u"ふりがな", Column::Reading }, { u"フリガナ", Column::Reading },
        { u"よみがな", Column::Reading }, { u"ヨミガナ", Column::Reading }, { u"読み仮名", Column::Reading },
        { u"よみ", Column::Reading }, { u"読み", Column::Reading } };
    for (int i = 0; i < header.cells.size(); ++i) {
        const QString title = header.cells[i].trimmed();
        for (const auto &t : titles) {
            if (title != QString::fromUtf16(t.title))
                continue;
            if (at.contains(t.column)) {
                out.fileProblem
                    = QStringLiteral("見出しの行（%1行目）に「%2」の列が2つあります。").arg(header.line).arg(title);
                return out;
            }
            at.insert(t.column, i);
        }
    }
    QStringList missing;
    if (!at.contains(Column::Number))
        missing << QStringLiteral("番号");
    if (!at.contains(Column::BirthYear) && !at.contains(Column::Grade))
        missing << QStringLiteral("生年（または学年）");
    if (!at.contains(Column::Name))
        missing << QStringLiteral("名前");
    if (!missing.isEmpty()) {
        out.fileProblem = QStringLiteral("見出しの行（%1行目）に %2 の列がありません。"
                                         "1行目に 番号, 生年（または学年）, 名前, 状態 の見出しを入れてください。")
                              .arg(header.line)
                              .arg(missing.join(QStringLiteral("、")));
        return out;
    }
    if (at.contains(Column::BirthYear) && at.contains(Column::Grade)) {
        out.fileProblem
            = QStringLiteral("見出しの行（%1行目）に生年と学年の両方があります。どちらか一方にしてください。")
                  .arg(header.line);
        return out;
    }

    const int schoolYear = SchoolYearOf(today, schoolYearStartMonth);
    QHash<int, int> lineOfNumber;
    for (const Record &record : records) {
        if (allBlank(record.cells))
            continue;
        auto cell = [&record, &at](Column c) -> QString {
            const int i = at.value(c, -1);
            return i >= 0 && i < record.cells.size() ? record.cells[i] : QString();
        };
        QStringList reasons;
        Row row;
        row.line = record.line;

        const std::optional<int> number = wholeNumber(cell(Column::Number));
        if (cell(Column::Number).trimmed().isEmpty())
            reasons << QStringLiteral("番号がありません");
        else if (!number || *number < 1 || *number > kMaxNumber)
            reasons << QStringLiteral("番号「%1」は1から%2の数字ではありません")
                           .arg(cell(Column::Number).trimmed())
                           .arg(kMaxNumber);
        else if (lineOfNumber.contains(*number))
            reasons << QStringLiteral("番号%1は%2行目と同じです").arg(*number).arg(lineOfNumber.value(*number));
        else
            lineOfNumber.insert(*number, record.line);
        row.number = number.value_or(0);

        row.name = trimBlanks(cell(Column::Name));
        // A teacher has no grade; the row may leave it out.
        const bool teacher = isTeacher(row.name);

        if (at.contains(Column::BirthYear)) {
            const QString year = cell(Column::BirthYear).trimmed();
            const std::optional<int> y = wholeNumber(year);
            if (year.isEmpty() && !teacher)
                reasons << QStringLiteral("生年がありません");
            else if (!year.isEmpty() && (!y || *y < 1900 || *y > today.year()))
                reasons << QStringLiteral("生年「%1」は1900から%2の西暦ではありません").arg(year).arg(today.year());
            else
                row.birthYear = y.value_or(0);
        } else {
            const QString label = cell(Column::Grade).trimmed();
            const QString stage = cell(Column::Stage).trimmed();
            bool elementary = false;
            const std::optional<int> grade = gradeOf(label, stage, &elementary);
            if (!stage.isEmpty() && stageOf(stage) == Stage::None)
                reasons << QStringLiteral("学校「%1」がわかりません（小・中・高・幼）").arg(stage);
            else if (label.isEmpty() && !teacher)
                reasons << QStringLiteral("学年がありません");
            else if (!label.isEmpty() && !grade)
                reasons << QStringLiteral("学年「%1」がわかりません（%2）").arg(label, gradeFormsText());
            else if (grade) {
                row.birthYear = schoolYear - *grade - 6;
                out.gradesReadAsElementary += elementary ? 1 : 0;
            }
        }

        if (const QString p = nameProblem(row.name); !p.isEmpty())
            reasons << p;

        const QString status = cell(Column::Status).trimmed();
        const std::optional<int> s = wholeNumber(status);
        if (!status.isEmpty() && (!s || *s > 9))
            reasons << QStringLiteral("状態「%1」は0から9の数字ではありません").arg(status);
        row.status = s.value_or(0);

        row.reading = trimBlanks(cell(Column::Reading));
        if (!row.reading.isEmpty()) {
            if (const QString p = readingProblem(row.reading); !p.isEmpty())
                reasons << p;
        }

        if (reasons.isEmpty())
            out.rows << row;
        else
            out.problems << RowProblem { record.line, reasons.join(QStringLiteral("、")) };
    }
    if (out.rows.isEmpty() && out.problems.isEmpty())
        out.fileProblem = QStringLiteral("見出しの行のほかに名前の行がありません。");
    return out;
}

namespace {

// One roster line as the roster's own layout writes it, texts quoted. Put
// together piece by piece: a name holding "%1" must stay as it is.
QString rosterLine(int number, int birthYear, int spare1, int spare2, const QString &name, int status,
    const QString &spareText1, const QString &spareText2)
{
    const QChar comma = QLatin1Char(',');
    const QChar quote = QLatin1Char('"');
    return QString::number(number) + comma + QString::number(birthYear) + comma + QString::number(spare1) + comma
        + QString::number(spare2) + comma + quote + name + quote + comma + QString::number(status) + comma + quote
        + spareText1 + quote + comma + quote + spareText2 + quote + QLatin1Char('\n');
}

QString entryLine(const RosterEntry &e)
{
    const RosterRecord &r = e.record;
    return rosterLine(r.pupilNumber, r.birthYear, r.spare1, r.spare2, e.name, e.status, e.spareText1, e.spareText2);
}

// A row written over an entry keeps what the file does not say: the spare
// numbers and the second spare text, which other programs of the suite may
// use, a teacher's birth year, and the reading when the file has none.
RosterEntry updated(const RosterEntry &old, const Row &row)
{
    RosterEntry e = old;
    e.record.birthYear = std::int16_t(row.birthYear != 0 ? row.birthYear : old.record.birthYear);
    e.name = row.name;
    e.status = std::int16_t(row.status);
    if (!row.reading.isEmpty())
        e.spareText1 = row.reading;
    return e;
}

RosterEntry fresh(const Row &row)
{
    RosterEntry e;
    e.record.pupilNumber = std::int16_t(row.number);
    e.record.birthYear = std::int16_t(row.birthYear != 0 ? row.birthYear : kTeacherBirthYear);
    e.name = row.name;
    e.status = std::int16_t(row.status);
    e.spareText1 = row.reading;
    return e;
}

// Listed on the name list whatever 共通データ.txt says about status 2.
bool mayBeListed(int status)
{
    return status == 0 || status == 2;
}

} // namespace

Plan plan(const Parsed &parsed, const QString &rosterPath, Mode mode)
{
    Plan out;
    QList<RosterEntry> roster;
    if (QFile::exists(rosterPath)) {
        RosterFailure failure;
        const bool read = ReadRosterEntries(
            rosterPath,
            [&roster](const RosterEntry &e) {
                roster << e;
                return true;
            },
            &failure);
        if (!read) {
            if (mode == Mode::AddOrUpdate) {
                out.problem = QStringLiteral("今の名簿を読めないので、追加も更新もできません（%1）。"
                                             "名簿を直すか、置き換え（--replace）で読み込んでください。")
                                  .arg(failure.description);
                return out;
            }
            out.warning = QStringLiteral("今の名簿を読めなかったので、そこにいた先生は残せませんでした（%1）。")
                              .arg(failure.description);
            roster.clear();
        }
    }

    QHash<int, int> rowOfNumber; // number -> index into parsed.rows
    for (qsizetype i = 0; i < parsed.rows.size(); ++i)
        rowOfNumber.insert(parsed.rows[i].number, int(i));

    // A teacher's number used for a pupil would take away the teacher
    // without anyone asking for it; the file must say so with a status.
    for (const RosterEntry &e : roster) {
        const auto it = rowOfNumber.constFind(e.record.pupilNumber);
        if (it == rowOfNumber.constEnd() || !isTeacher(e.name))
            continue;
        const Row &row = parsed.rows[*it];
        if (!isTeacher(row.name) && mayBeListed(row.status))
            out.problems << RowProblem { row.line,
                QStringLiteral("番号%1は先生「%2」の番号です（先生を名簿から外すには、状態を9にします）")
                    .arg(row.number)
                    .arg(e.name) };
    }
    if (!out.problems.isEmpty())
        return out;

    QList<RosterEntry> result;
    QSet<int> numbersInRoster;
    for (const RosterEntry &e : roster) {
        numbersInRoster.insert(e.record.pupilNumber);
        const auto it = rowOfNumber.constFind(e.record.pupilNumber);
        if (it != rowOfNumber.constEnd()) {
            if (mode == Mode::AddOrUpdate)
                result << updated(e, parsed.rows[*it]);
            continue;
        }
        if (mode == Mode::AddOrUpdate || isTeacher(e.name)) {
            result << e;
            ++out.kept;
            out.teachersKept += mode == Mode::Replace ? 1 : 0;
        } else {
            ++out.removed;
        }
    }
    qsizetype replacePosition = 0;
    for (const Row &row : parsed.rows) {
        const bool known = numbersInRoster.contains(row.number);
        ++(known ? out.updated : out.added);
        if (mode == Mode::AddOrUpdate && known)
            continue; // written in its old place above
        // A replace puts the file's rows first, in the file's order, with
        // what the old entry of the number kept.
        RosterEntry e = fresh(row);
        if (known) {
            for (const RosterEntry &old : roster) {
                if (old.record.pupilNumber == row.number) {
                    e = updated(old, row);
                    break;
                }
            }
        }
        if (mode == Mode::Replace)
            result.insert(replacePosition++, e);
        else
            result << e;
    }
    out.written = int(parsed.rows.size());

    for (const RosterEntry &e : result) {
        out.rosterText += entryLine(e);
        out.teacherListed = out.teacherListed || (isTeacher(e.name) && mayBeListed(e.status));
    }
    if (!out.teacherListed) {
        if (!out.warning.isEmpty())
            out.warning += QLatin1Char('\n');
        out.warning += QStringLiteral("名簿に先生（名前に「★」か「先生」がある人）がいません。"
                                      "データの変更や名簿の読み込みには先生の名前でサインインします。");
    }
    return out;
}

QString describeProblems(const QString &csvPath, const Parsed &parsed)
{
    if (!parsed.fileProblem.isEmpty())
        return QStringLiteral("%1\n%2\n名簿は変えていません。").arg(csvPath, parsed.fileProblem);
    if (parsed.problems.isEmpty())
        return QString();
    QString text = QStringLiteral("%1\n次の%2行に問題があります。名簿は変えていません。\n")
                       .arg(csvPath)
                       .arg(parsed.problems.size());
    for (const RowProblem &p : parsed.problems)
        text += QStringLiteral("%1行目: %2\n").arg(p.line).arg(p.reason);
    return text;
}

QString describeProblems(const QString &csvPath, const Plan &plan)
{
    if (!plan.problem.isEmpty())
        return QStringLiteral("%1\n%2\n名簿は変えていません。").arg(csvPath, plan.problem);
    Parsed rows;
    rows.problems = plan.problems;
    return describeProblems(csvPath, rows);
}

QString gradeFormsText()
{
    return QStringLiteral("小5、5年、中1、中学1年、高2、幼3、年長 のように書きます。"
                          "5年や5だけのときは「学校」の列（小・中・高）がなければ小学校です");
}

Outcome importFile(
    const QString &csvPath, const QString &dataRoot, double schoolYearStartMonth, const QDateTime &now, Mode mode)
{
    Outcome out;
    QFile csv(csvPath);
    if (!csv.open(QIODevice::ReadOnly)) {
        out.message = QStringLiteral("%1\n読めません（%2）。名簿は変えていません。").arg(csvPath, csv.errorString());
        return out;
    }
    const Parsed parsed = parse(csv.readAll(), now.date(), schoolYearStartMonth);
    if (!parsed.ok()) {
        out.message = describeProblems(csvPath, parsed);
        return out;
    }

    const QString roster = folderpath::normalise(dataRoot) + datafiles::kRosterFileName;
    const Plan planned = plan(parsed, roster, mode);
    if (!planned.ok()) {
        out.message = describeProblems(csvPath, planned);
        return out;
    }
    if (QFile::exists(roster) && !sharedfolder::keepDatedCopy(roster, now, &out.backupPath, &out.message))
        return out;
    QString error;
    QString note;
    if (!datafiles::writeItemFile(roster, planned.rosterText, &error, &note)) {
        out.message = error + QStringLiteral("\n名簿は変えていません。");
        if (!out.backupPath.isEmpty())
            QFile::remove(out.backupPath);
        out.backupPath.clear();
        return out;
    }
    out.ok = true;
    out.count = planned.written;
    out.message = QStringLiteral("%1 に %2人を書きました（%3 から、文字コード %4）。")
                      .arg(roster)
                      .arg(out.count)
                      .arg(csvPath, parsed.encoding);
    out.message += QStringLiteral("\n新しく加えた人 %1人、書き直した人 %2人。").arg(planned.added).arg(planned.updated);
    if (mode == Mode::AddOrUpdate && planned.kept > 0)
        out.message += QStringLiteral("名簿のほかの %1人はそのまま残しました。").arg(planned.kept);
    if (mode == Mode::Replace) {
        out.message += QStringLiteral("ファイルにない %1人を名簿から外しました。").arg(planned.removed);
        if (planned.teachersKept > 0)
            out.message += QStringLiteral("先生 %1人は残しました。").arg(planned.teachersKept);
    }
    if (parsed.gradesReadAsElementary > 0)
        out.message += QStringLiteral("\n学校の書いていない学年（5年など）%1人分を小学校の学年として読みました。"
                                      "中学校・高校なら「学校」の列（中・高）を加えてください。")
                           .arg(parsed.gradesReadAsElementary);
    if (!out.backupPath.isEmpty())
        out.message += QStringLiteral("\nそれまでの名簿は %1 に残しました。").arg(out.backupPath);
    out.warning = planned.warning;
    if (!note.isEmpty())
        out.warning += (out.warning.isEmpty() ? QString() : QStringLiteral("\n")) + note;
    return out;
}

bool locateDataRoot(const QString &executableFolder, QString *dataRoot, double *startMonth, QString *error)
{
    const pathsearch::SearchFolders folders = pathsearch::defaultFolders(folderpath::normalise(executableFolder));
    const QString pathFile = pathsearch::find(folders);
    if (pathFile.isEmpty()) {
        *error = QStringLiteral("パスデータ.txtがありません。先にルカミナを起動してデータフォルダを設定してください。"
                                "探した場所:\n%1")
                     .arg(pathsearch::candidates(folders).join(QLatin1Char('\n')));
        return false;
    }
    QString readError;
    auto paths = ItemReader::open(pathFile, &readError);
    if (!paths || paths->atEnd()) {
        *error = QStringLiteral("%1\n読めません（%2）。")
                     .arg(pathFile, paths ? QStringLiteral("項目がありません") : readError);
        return false;
    }
    *dataRoot = folderpath::normalise(paths->next().text);
    const QString settingsFile = *dataRoot + datafiles::kSettingsFileName;
    auto settings = ItemReader::open(settingsFile, &readError);
    if (!settings || settings->atEnd()) {
        *error = QStringLiteral("%1\n読めません（%2）。")
                     .arg(settingsFile, settings ? QStringLiteral("項目がありません") : readError);
        return false;
    }
    *startMonth = settings->next().toNumber();
    return true;
}

} // namespace rosterimport
