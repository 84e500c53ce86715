// SPDX-License-Identifier: MIT
#include "hub/class_overview_model.h"
#include "hub/grade_marks.h"
#include "platform/blank_trim.h"
#include "platform/clock.h"
#include "results/counts.h"
#include "roster/grade_rules.h"
#include "state/shared_state.h"

#include <algorithm>
#include <numeric>

namespace {

constexpr std::int32_t kNoRun = 99999;
constexpr std::int32_t kFailedBest = 99998;
constexpr std::int32_t kNoGoal = 9999;
constexpr int kColumns = int(OverviewColumn::Count);

// Numbers right-aligned, texts left, as the hub's lists read.
bool isNumberColumn(OverviewColumn column)
{
    switch (column) {
    case OverviewColumn::Number:
    case OverviewColumn::Runs:
    case OverviewColumn::Points:
    case OverviewColumn::RecentRuns:
    case OverviewColumn::BestTime:
        return true;
    default:
        return false;
    }
}

// -1, 0, 1 as a comes before, with or after b in ascending order.
template <typename T> int compareValues(const T &a, const T &b)
{
    return a < b ? -1 : (b < a ? 1 : 0);
}

int compareRows(const OverviewRow &a, const OverviewRow &b, OverviewColumn column)
{
    switch (column) {
    case OverviewColumn::Number:
        return compareValues(a.pupil, b.pupil);
    case OverviewColumn::Grade:
        return compareValues(a.grade, b.grade);
    case OverviewColumn::Name:
        return a.name.compare(b.name);
    case OverviewColumn::Passed:
        return compareValues(a.passed, b.passed);
    case OverviewColumn::Runs:
        return compareValues(a.runs, b.runs);
    case OverviewColumn::Points:
        return compareValues(a.points, b.points);
    case OverviewColumn::RecentRuns:
        return compareValues(a.recentRuns, b.recentRuns);
    case OverviewColumn::BestTime:
        // 99998 (failed) and 99999 (none) are past every real time.
        return compareValues(a.bestTime, b.bestTime);
    case OverviewColumn::LastRun:
        return compareValues(a.lastRun, b.lastRun);
    case OverviewColumn::Absent:
        return compareValues(a.absent, b.absent);
    case OverviewColumn::Count:
        break;
    }
    return 0;
}

} // namespace

std::vector<OverviewRow> buildOverviewRows(
    const SharedState &state, int level, const QString &gradeFilter, double nowOle)
{
    std::vector<OverviewRow> rows;
    if (level < 1 || level > kMaxLevel)
        return rows;
    const RecentPractice recent = recentPractice(state, level, nowOle, kRecentDays);
    const bool noGoal = state.ClearPoints[size_t(level)] == kNoGoal || state.ClearCount[size_t(level)] == kNoGoal;
    const int count = std::clamp(state.ListedPupilCount, 0, kMaxPupil);
    rows.reserve(size_t(count));
    for (int k = 1; k <= count; ++k) {
        const int p = state.ListedPupils[k];
        if (p < 1 || p > kMaxPupil)
            continue;
        const int grade = hubPupilGrade(state, p);
        if (!PassesGradeFilter(gradeFilter, grade))
            continue;
        OverviewRow row;
        row.pupil = p;
        row.grade = grade;
        row.gradeText = PupilGradeLabelOf(grade).value_or(QString());
        row.name = trimTrailingBlanks(state.RosterName[p]);
        row.passed = LevelPassed(state, level, p);
        row.noGoal = noGoal;
        row.runs = state.TotalRunCount(level, p);
        row.points = state.TotalPoints(level, p);
        row.bestTime = state.BestTime(level, p);
        row.recentRuns = recent.levelRuns[size_t(p)];
        row.lastRun = recent.levelLastDate[size_t(p)];
        row.absent = !(recent.anyLastDate[size_t(p)] > recent.cutOff);
        rows.push_back(std::move(row));
    }
    return rows;
}

ClassOverviewModel::ClassOverviewModel(QObject *parent)
    : QAbstractTableModel(parent)
{
}

void ClassOverviewModel::setRows(std::vector<OverviewRow> rows)
{
    beginResetModel();
    rows_ = std::move(rows);
    applyOrder();
    endResetModel();
}

void ClassOverviewModel::applyOrder()
{
    order_.resize(rows_.size());
    std::iota(order_.begin(), order_.end(), size_t(0));
    if (sortColumn_ < 0 || sortColumn_ >= kColumns)
        return;
    const auto column = OverviewColumn(sortColumn_);
    const bool descending = sortOrder_ == Qt::DescendingOrder;
    // From roster order every time, so equal rows stay in roster order.
    std::stable_sort(order_.begin(), order_.end(), [&](size_t a, size_t b) {
        const int c = compareRows(rows_[a], rows_[b], column);
        return descending ? c > 0 : c < 0;
    });
}

int ClassOverviewModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(rows_.size());
}

int ClassOverviewModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : kColumns;
}

QVariant ClassOverviewModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= int(rows_.size()) || index.column() >= kColumns)
        return {};
    const auto column = OverviewColumn(index.column());
    const OverviewRow &row = rowAt(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return cellText(row, column);
    case Qt::TextAlignmentRole:
        return (Qt::AlignVCenter | (isNumberColumn(column) ? Qt::AlignRight : Qt::AlignLeft)).toInt();
    case kAbsentRole:
        return row.absent;
    default:
        return {};
    }
}

QVariant ClassOverviewModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && section >= 0 && section < kColumns
        && (role == Qt::DisplayRole || role == Qt::AccessibleTextRole))
        return columnTitle(OverviewColumn(section));
    if (orientation == Qt::Vertical && role == Qt::DisplayRole)
        return section + 1;
    return {};
}

void ClassOverviewModel::sort(int column, Qt::SortOrder order)
{
    // -1 is roster order, as an unsorted header asks for.
    if (column < -1 || column >= kColumns)
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    // The view keeps its current cell on the same pupil.
    const QModelIndexList before = persistentIndexList();
    std::vector<size_t> shownBefore;
    shownBefore.reserve(size_t(before.size()));
    for (const QModelIndex &index : before)
        shownBefore.push_back(order_[size_t(index.row())]);
    sortColumn_ = column;
    sortOrder_ = order;
    applyOrder();
    std::vector<int> positionOf(rows_.size());
    for (size_t i = 0; i < order_.size(); ++i)
        positionOf[order_[i]] = int(i);
    QModelIndexList after;
    after.reserve(before.size());
    for (qsizetype i = 0; i < before.size(); ++i)
        after.append(index(positionOf[shownBefore[size_t(i)]], before[i].column()));
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

QString ClassOverviewModel::text(int row, OverviewColumn column) const
{
    return cellText(rowAt(row), column);
}

QString ClassOverviewModel::cellText(const OverviewRow &row, OverviewColumn column)
{
    switch (column) {
    case OverviewColumn::Number:
        return QString::number(row.pupil);
    case OverviewColumn::Grade:
        return row.gradeText;
    case OverviewColumn::Name:
        return row.name;
    case OverviewColumn::Passed:
        if (row.noGoal)
            return QStringLiteral("目標なし");
        return row.passed ? QStringLiteral("合格") : QStringLiteral("まだ");
    case OverviewColumn::Runs:
        return QString::number(row.runs);
    case OverviewColumn::Points:
        return QString::number(row.points);
    case OverviewColumn::RecentRuns:
        return QString::number(row.recentRuns);
    case OverviewColumn::BestTime:
        if (row.bestTime == kNoRun)
            return QStringLiteral("なし");
        if (row.bestTime == kFailedBest)
            return QStringLiteral("失敗");
        return QStringLiteral("%1秒").arg(row.bestTime);
    case OverviewColumn::LastRun: {
        const QDate day = row.lastRun > 0 ? oledate::toDate(row.lastRun) : QDate();
        return day.isValid() ? day.toString(QStringLiteral("yyyy/MM/dd")) : QStringLiteral("なし");
    }
    case OverviewColumn::Absent:
        return row.absent ? QStringLiteral("休み") : QString();
    case OverviewColumn::Count:
        break;
    }
    return {};
}

QString ClassOverviewModel::columnTitle(OverviewColumn column)
{
    switch (column) {
    case OverviewColumn::Number:
        return QStringLiteral("番号");
    case OverviewColumn::Grade:
        return QStringLiteral("学年");
    case OverviewColumn::Name:
        return QStringLiteral("名前");
    case OverviewColumn::Passed:
        return QStringLiteral("合格");
    case OverviewColumn::Runs:
        return QStringLiteral("回数");
    case OverviewColumn::Points:
        return QStringLiteral("ポイント");
    case OverviewColumn::RecentRuns:
        return QStringLiteral("7日間の回数");
    case OverviewColumn::BestTime:
        return QStringLiteral("ベスト");
    case OverviewColumn::LastRun:
        return QStringLiteral("最後の日");
    case OverviewColumn::Absent:
        return QStringLiteral("7日以上休み");
    case OverviewColumn::Count:
        break;
    }
    return {};
}
