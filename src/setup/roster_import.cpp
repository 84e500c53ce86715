// SPDX-License-Identifier: MIT
#include "setup/roster_import.h"
#include "hub/level_enabling.h"
#include "platform/cp932.h"
#include "platform/folder_path.h"
#include "platform/item_reader.h"
#include "roster/grade_rules.h"
#include "setup/data_files.h"
#include "setup/path_file_search.h"

#include <QFile>
#include <QHash>
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

// The grade number of a label as the name list shows it ("小1", "中３",
// "幼2", "高1"), or nullopt.
std::optional<int> gradeOfLabel(const QString &cell)
{
    const QString label = halfWidthDigits(cell.trimmed());
    for (int grade = -2; grade <= 12; ++grade) {
        if (ListGradeLabel(grade).label == label)
            return grade;
    }
    return std::nullopt;
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

enum class Column { Number, BirthYear, Grade, Name, Status };

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
        { u"名前", Column::Name }, { u"氏名", Column::Name }, { u"状態", Column::Status } };
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

        if (at.contains(Column::BirthYear)) {
            const QString year = cell(Column::BirthYear).trimmed();
            const std::optional<int> y = wholeNumber(year);
            if (year.isEmpty())
                reasons << QStringLiteral("生年がありません");
            else if (!y || *y < 1900 || *y > today.year())
                reasons << QStringLiteral("生年「%1」は1900から%2の西暦ではありません").arg(year).arg(today.year());
            else
                row.birthYear = *y;
        } else {
            const QString label = cell(Column::Grade).trimmed();
            const std::optional<int> grade = gradeOfLabel(label);
            if (label.isEmpty())
                reasons << QStringLiteral("学年がありません");
            else if (!grade)
                reasons
                    << QStringLiteral("学年「%1」がわかりません（幼1〜幼3、小1〜小6、中1〜中3、高1〜高3）").arg(label);
            else
                row.birthYear = schoolYear - *grade - 6;
        }

        row.name = trimBlanks(cell(Column::Name));
        if (const QString p = nameProblem(row.name); !p.isEmpty())
            reasons << p;

        const QString status = cell(Column::Status).trimmed();
        const std::optional<int> s = wholeNumber(status);
        if (!status.isEmpty() && (!s || *s > 9))
            reasons << QStringLiteral("状態「%1」は0から9の数字ではありません").arg(status);
        row.status = s.value_or(0);

        if (reasons.isEmpty())
            out.rows << row;
        else
            out.problems << RowProblem { record.line, reasons.join(QStringLiteral("、")) };
    }
    if (out.rows.isEmpty() && out.problems.isEmpty())
        out.fileProblem = QStringLiteral("見出しの行のほかに名前の行がありません。");
    return out;
}

QString rosterText(const QList<Row> &rows)
{
    QString text;
    for (const Row &r : rows)
        text += QStringLiteral("%1,%2,0,0,\"%3\",%4,\"\",\"\"\n")
                    .arg(r.number)
                    .arg(r.birthYear)
                    .arg(r.name)
                    .arg(r.status);
    return text;
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

Outcome importFile(const QString &csvPath, const QString &dataRoot, double schoolYearStartMonth, const QDateTime &now)
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
    if (QFile::exists(roster) && !datafiles::keepDatedCopy(roster, now, &out.backupPath, &out.message))
        return out;
    QString error;
    QString note;
    if (!datafiles::writeItemFile(roster, rosterText(parsed.rows), &error, &note)) {
        out.message = error + QStringLiteral("\n名簿は変えていません。");
        if (!out.backupPath.isEmpty())
            QFile::remove(out.backupPath);
        out.backupPath.clear();
        return out;
    }
    out.ok = true;
    out.count = int(parsed.rows.size());
    out.message = QStringLiteral("%1 に %2人を書きました（%3 から、文字コード %4）。")
                      .arg(roster)
                      .arg(out.count)
                      .arg(csvPath, parsed.encoding);
    if (!out.backupPath.isEmpty())
        out.message += QStringLiteral("\nそれまでの名簿は %1 に残しました。").arg(out.backupPath);
    bool teacher = false;
    for (const Row &r : parsed.rows)
        teacher = teacher || isTeacher(r.name);
    if (!teacher)
        out.warning = QStringLiteral("名簿に先生（名前に「★」か「先生」がある人）がいません。"
                                     "データの変更や名簿の読み込みには先生の名前でサインインします。");
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
