// SPDX-License-Identifier: MIT
#include "results/criteria_file.h"
#include "platform/blank_trim.h"
#include "platform/fatal_error.h"
#include "platform/item_reader.h"
#include "platform/number_text.h"
#include "state/shared_state.h"

#include <limits>

namespace {

// Reads a numeric column. The header line (slot 0) holds titles, which
// count as 0. Beyond the header the cell rule decides: a criteria row with a
// typo must not silently time runs against 0 or make a level impossible to
// pass.
bool numericCell(const ItemValue &item, int slot, double *value)
{
    if (item.numeric) {
        *value = item.number;
        return true;
    }
    if (slot == 0) {
        *value = 0;
        return true;
    }
    const std::optional<double> number = criteriaCellNumber(item.text);
    *value = number.value_or(0);
    return number.has_value();
}

bool fitsIn(double value, double lo, double hi)
{
    return value >= lo && value <= hi;
}

} // namespace

QString criteriaCellHalfWidth(const QString &text)
{
    QString halfWidth;
    halfWidth.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= u'０' && u <= u'９')
            halfWidth += QChar(u'0' + (u - u'０'));
        else if (u == u'－' || u == u'−')
            halfWidth += QLatin1Char('-');
        else if (u == u'＋')
            halfWidth += QLatin1Char('+');
        else if (u == u'．')
            halfWidth += QLatin1Char('.');
        else if (u == u'　')
            halfWidth += QLatin1Char(' '); // the input method's blank
        else
            halfWidth += c;
    }
    return trimBlanks(halfWidth);
}

std::optional<double> criteriaCellNumber(const QString &text)
{
    const QString cell = criteriaCellHalfWidth(text);
    if (cell.isEmpty())
        return 0.0;
    double value = 0;
    if (cell != cell.trimmed() || !numtext::parseWholeNumber(cell, &value))
        return std::nullopt;
    return value;
}

bool criteriaColumnHolds(int column, double value)
{
    const double rounded = numtext::roundHalfEven(value);
    switch (column) {
    case 1:
    case 2:
    case 3:
        return fitsIn(rounded, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max());
    case 4:
        return fitsIn(rounded, -32768, 32767);
    default:
        return true;
    }
}

namespace {

struct ColumnRule {
    const char16_t *title;
    CriteriaRange range;
};

// Why each bound (see also the README's table for teachers):
//  1 目標Time: points divide by it, so 0 is no target; only runs under
//    6000 s are counted, so a target of 6000 s or more grades every run.
//  2 最低Time: five times it is the time limit. A run is ten digit strings,
//    each with at least three sums and the recall typed in, so a limit
//    under 50 s times every run out; at 19999 the limit, 99995 s, still
//    lies below the 99998 and 99999 that mean a time-up.
//  3 ｸﾘｱﾎﾟｲﾝﾄ, 7 禁点: points are never negative, so a negative goal is
//    always met; eight digits are more than the newest 10001 runs can earn.
//  4 ｸﾘｱ回数, 6 禁回: runs are counted in 16 bits (9999 still means "no
//    goal" for 4, and 0 "no limit" for 6).
//  5 ﾎﾟｲﾝﾄ倍率: 0 or less takes points away (the hub showed "-74点"); at
//    100 the points of 10001 runs still fit the 32-bit sums.
//  8 判期間, 9 禁期間: days back from now; 0 counts nothing, a negative
//    period would reach into the future.
const ColumnRule kColumnRules[kCriteriaNumericColumns + 1] = {
    { u"", { 0, 0 } },
    { u"目標Time", { 1, 5999 } },
    { u"最低Time", { 10, 19999 } },
    { u"ｸﾘｱﾎﾟｲﾝﾄ", { 0, 99999999 } },
    { u"ｸﾘｱ回数", { 0, 32767 } },
    { u"ﾎﾟｲﾝﾄ倍率", { 0.1, 100 } },
    { u"禁回", { 0, 32767 } },
    { u"禁点", { 0, 99999999 } },
    { u"判期間", { 0, 99999 } },
    { u"禁期間", { 0, 99999 } },
};

bool wholeNumberColumn(int column)
{
    return column >= 1 && column <= 4;
}

} // namespace

std::optional<CriteriaRange> criteriaRange(int column)
{
    if (column < 1 || column > kCriteriaNumericColumns)
        return std::nullopt;
    return kColumnRules[column].range;
}

QString criteriaColumnTitle(int column)
{
    if (column < 1 || column > kCriteriaNumericColumns)
        return QString();
    return QString::fromUtf16(kColumnRules[column].title);
}

QString criteriaRangeText(int column)
{
    const std::optional<CriteriaRange> range = criteriaRange(column);
    if (!range)
        return QString();
    return numtext::formatNumber(range->min) + QStringLiteral("～") + numtext::formatNumber(range->max);
}

bool criteriaInRange(int column, double value)
{
    const std::optional<CriteriaRange> range = criteriaRange(column);
    if (!range)
        return true;
    const double v = wholeNumberColumn(column) ? numtext::roundHalfEven(value) : value;
    return fitsIn(v, range->min, range->max);
}

CriteriaLoadResult readCriteriaTable(SharedState &state, const QString &path)
{
    CriteriaLoadResult result;
    QString openError;
    auto reader = ItemReader::open(path, &openError);
    if (!reader) {
        result.problem = QStringLiteral("%1\nこのファイルを読めません（%2）。").arg(path, openError);
        return result;
    }

    if (reader->atEnd()) {
        result.problem = QStringLiteral("%1\nこのファイルは空です（見出しの行もありません）。").arg(path);
        return result;
    }

    // Work on a copy so that a bad file leaves the table as it was.
    auto target = state.TargetTime;
    auto passLine = state.PassLineTime;
    auto clearPoints = state.ClearPoints;
    auto clearCount = state.ClearCount;
    auto multiplier = state.PointMultiplier;
    auto col6 = state.OverPracticeCount;
    auto col7 = state.OverPracticePoints;
    auto col8 = state.JudgePeriodDays;
    auto col9 = state.OverPracticePeriodDays;
    auto col10 = state.CriteriaReserved10;
    auto col11 = state.CriteriaReserved11;
    auto col12 = state.CriteriaReserved12;
    auto outOfRange = state.CriteriaOutOfRange;

    int slot = -1;
    while (!reader->atEnd()) {
        ++slot;
        if (slot > kMaxLevel) {
            result.problem
                = QStringLiteral("%1\n行が多すぎます（見出しとレベル1～35の36行まで、%2行目からは読めません）。")
                      .arg(path)
                      .arg(reader->lineOfLast() + 1);
            return result;
        }
        const int remaining = reader->total() - reader->consumed();
        if (remaining < kCriteriaColumns) {
            reader->next();
            result.problem = QStringLiteral("%1\n%2行目の項目が足りません（12項目のうち%3項目しかありません）。")
                                 .arg(path)
                                 .arg(reader->lineOfLast())
                                 .arg(remaining);
            return result;
        }
        ItemValue items[kCriteriaColumns];
        int lines[kCriteriaColumns];
        for (int c = 0; c < kCriteriaColumns; ++c) {
            items[c] = reader->next();
            lines[c] = reader->lineOfLast();
        }
        double numbers[kCriteriaNumericColumns];
        for (int c = 0; c < kCriteriaNumericColumns; ++c) {
            if (!numericCell(items[c], slot, &numbers[c])) {
                result.problem = QStringLiteral("%1\n%2行目の%3列目「%4」は数字ではありません。")
                                     .arg(path)
                                     .arg(lines[c])
                                     .arg(c + 1)
                                     .arg(items[c].text);
                return result;
            }
        }
        for (int c = 0; c < 3; ++c) {
            if (!criteriaColumnHolds(c + 1, numbers[c])) {
                result.problem
                    = QStringLiteral("%1\n%2行目の%3列目の数が大きすぎます。").arg(path).arg(lines[c]).arg(c + 1);
                return result;
            }
        }
        if (!criteriaColumnHolds(4, numbers[3])) {
            result.problem
                = QStringLiteral("%1\n%2行目の4列目の数が大きすぎます（32767まで）。").arg(path).arg(lines[3]);
            return result;
        }
        const size_t s = size_t(slot);
        // A value the program cannot run with keeps the level from being
        // started; the table still loads, so the program starts and a
        // teacher can mend the level in the criteria editor.
        QStringList columns;
        for (int c = 1; slot > 0 && c <= kCriteriaNumericColumns; ++c) {
            if (!criteriaInRange(c, numbers[c - 1]))
                columns << QStringLiteral("「%1」%2（%3）")
                               .arg(
                                   criteriaColumnTitle(c), numtext::formatNumber(numbers[c - 1]), criteriaRangeText(c));
        }
        outOfRange[s] = columns.join(QStringLiteral("、"));
        if (!columns.isEmpty())
            result.levelProblems << QStringLiteral("レベル%1：%2").arg(slot).arg(outOfRange[s]);
        target[s] = std::int32_t(numtext::roundHalfEven(numbers[0]));
        passLine[s] = std::int32_t(numtext::roundHalfEven(numbers[1]));
        clearPoints[s] = std::int32_t(numtext::roundHalfEven(numbers[2]));
        clearCount[s] = std::int16_t(numtext::roundHalfEven(numbers[3]));
        multiplier[s] = float(numbers[4]);
        // Columns 6 to 9 keep a number as read, in its half-width value; the
        // header's titles stay text.
        const auto asRead = [&](int c) {
            const ItemValue &item = items[c];
            return slot == 0 || item.numeric || item.text.isEmpty() ? item : ItemValue::fromNumber(numbers[c]);
        };
        col6[s] = asRead(5);
        col7[s] = asRead(6);
        col8[s] = asRead(7);
        col9[s] = asRead(8);
        col10[s] = items[9];
        col11[s] = items[10];
        col12[s] = items[11];
    }

    state.TargetTime = target;
    state.PassLineTime = passLine;
    state.ClearPoints = clearPoints;
    state.ClearCount = clearCount;
    state.PointMultiplier = multiplier;
    state.OverPracticeCount = col6;
    state.OverPracticePoints = col7;
    state.JudgePeriodDays = col8;
    state.OverPracticePeriodDays = col9;
    state.CriteriaReserved10 = col10;
    state.CriteriaReserved11 = col11;
    state.CriteriaReserved12 = col12;
    state.CriteriaOutOfRange = outOfRange;
    result.ok = true;
    return result;
}

QString criteriaOutOfRangeReport(const SharedState &state, const QString &path)
{
    QStringList lines;
    for (int level = 1; level <= kMaxLevel; ++level) {
        const QString &columns = state.CriteriaOutOfRange[size_t(level)];
        if (!columns.isEmpty())
            lines << QStringLiteral("レベル%1：%2").arg(level).arg(columns);
    }
    if (lines.isEmpty())
        return QString();
    return QStringLiteral("%1\n次のレベルの合格タイムデータが、使える範囲（かっこ内）の外にあります。"
                          "これらのレベルは始められません。\n\n%2\n\n"
                          "先生は「データ処理」から「合格タイムデータ変更」を開いて直してください。")
        .arg(path, lines.join(QLatin1Char('\n')));
}

bool LoadCriteriaTable(SharedState &state, FatalErrors &fatal, const QString &path)
{
    const CriteriaLoadResult result = readCriteriaTable(state, path);
    if (!result.ok) {
        fatal.fatal(QStringLiteral("合格タイムデータ"), result.problem);
        return false;
    }
    return true;
}
