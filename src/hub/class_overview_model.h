// SPDX-License-Identifier: MIT
// The teachers' class overview "学習状況": one row per listed pupil with
// their standing at one level. Every figure is read where the hub reads it
// (the count tables, `LevelPassed`, `BestTime`, the grade rule and filter);
// only when each pupil last practised, and how often in the last week, is
// gathered here, through `recentPractice` beside the counts. The model is
// what a screen reader and the printout read: every cell is a text.
#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <cstdint>
#include <vector>

struct SharedState;

// A week, the span "lately" means on this screen: the runs of the last seven
// days, and the pupils with no run for seven days or more.
inline constexpr int kRecentDays = 7;

enum class OverviewColumn { Number, Grade, Name, Passed, Runs, Points, RecentRuns, BestTime, LastRun, Absent, Count };

struct OverviewRow {
    int pupil = 0;
    int grade = 0;
    QString gradeText;
    QString name;
    bool passed = false;
    // The level has no goal (a criteria cell of 9999): the pass rule still
    // answers, but "not yet" would tell the teacher something false.
    bool noGoal = false;
    int runs = 0; // valid runs over the loaded records
    std::int64_t points = 0;
    int recentRuns = 0; // valid runs within the last kRecentDays days
    std::int32_t bestTime = 99999; // 99999 no run, 99998 a failed best
    double lastRun = 0; // OLE date of the newest record of the level; 0 none
    // No record of any level within the last kRecentDays days: the pupil
    // has not come, whatever level they are on now.
    bool absent = true;
};

// The rows of every listed pupil the grade filter lets through, in roster
// order, from the tables of the last count computation (`回数求`) and the
// loaded records, against the date and time `nowOle`.
std::vector<OverviewRow> buildOverviewRows(
    const SharedState &state, int level, const QString &gradeFilter, double nowOle);

class ClassOverviewModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // True for every cell of a pupil marked "休み", for the view's colour
    // (which only repeats what the column says in words).
    static constexpr int kAbsentRole = Qt::UserRole + 1;

    explicit ClassOverviewModel(QObject *parent = nullptr);

    // New rows, shown in the order last chosen.
    void setRows(std::vector<OverviewRow> rows);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // Ties keep roster order in either direction, so a sorted list reads
    // the same each time; column -1 is roster order.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    int sortColumn() const { return sortColumn_; }
    Qt::SortOrder sortOrder() const { return sortOrder_; }

    // The row shown at position `row` and its cell texts, as the table and
    // the printout show them.
    const OverviewRow &rowAt(int row) const { return rows_[order_[size_t(row)]]; }
    QString text(int row, OverviewColumn column) const;
    static QString cellText(const OverviewRow &row, OverviewColumn column);
    static QString columnTitle(OverviewColumn column);

private:
    void applyOrder();

    std::vector<OverviewRow> rows_; // roster order
    std::vector<size_t> order_; // rows_ index of each shown row
    int sortColumn_ = -1;
    Qt::SortOrder sortOrder_ = Qt::AscendingOrder;
};
