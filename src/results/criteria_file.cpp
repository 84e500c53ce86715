// SPDX-License-Identifier: MIT
#include "results/criteria_file.h"
#include "platform/fatal_error.h"
#include "platform/item_reader.h"
#include "platform/number_text.h"
#include "startup/shared_state.h"

#include <limits>

namespace {

// Reads a numeric column. The header line (slot 0) holds titles, which
// count as 0. Beyond the header an empty cell is 0 and any other text is
// refused: a criteria row with a typo must not silently time runs against 0.
bool numericCell(const ItemValue &item, int slot, double *value)
{
    if (item.numeric) {
        *value = item.number;
        return true;
    }
    *value = 0;
    if (slot == 0)
        return true;
    const std::optional<double> cell = criteriaCellNumber(item.text);
    if (cell)
        *value = *cell;
    return cell.has_value();
}

bool fitsIn(double value, double lo, double hi)
{
    return value >= lo && value <= hi;
}

} // namespace

std::optional<double> criteriaCellNumber(const QString &text)
{
    const QString cell = text.trimmed();
    if (cell.isEmpty())
        return 0.0;
    double value = 0;
    if (numtext::parseWholeNumber(cell, &value))
        return value;
    return std::nullopt;
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

    int slot = -1;
    while (!reader->atEnd()) {
        ++slot;
        if (slot > kMaxLevel) {
            result.problem = QStringLiteral("%1\n行が多すぎます（見出しとレベル1～35の36行まで、%2行目からは読めません）。")
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
        double numbers[5];
        for (int c = 0; c < 5; ++c) {
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
                result.problem = QStringLiteral("%1\n%2行目の%3列目の数が大きすぎます。").arg(path).arg(lines[c]).arg(c + 1);
                return result;
            }
        }
        if (!criteriaColumnHolds(4, numbers[3])) {
            result.problem = QStringLiteral("%1\n%2行目の4列目の数が大きすぎます（32767まで）。").arg(path).arg(lines[3]);
            return result;
        }
        const size_t s = size_t(slot);
        target[s] = std::int32_t(numtext::roundHalfEven(numbers[0]));
        passLine[s] = std::int32_t(numtext::roundHalfEven(numbers[1]));
        clearPoints[s] = std::int32_t(numtext::roundHalfEven(numbers[2]));
        clearCount[s] = std::int16_t(numtext::roundHalfEven(numbers[3]));
        multiplier[s] = float(numbers[4]);
        col6[s] = items[5];
        col7[s] = items[6];
        col8[s] = items[7];
        col9[s] = items[8];
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
    result.ok = true;
    return result;
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
