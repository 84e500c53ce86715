// SPDX-License-Identifier: MIT
#include "maintenance/results_list_model.h"
#include "results/results_file.h"

#include <QtEndian>
#include <algorithm>
#include <sys/stat.h>

ResultsListModel::ResultsListModel(QObject *parent)
    : QAbstractListModel(parent)
{
}

bool ResultsListModel::load(
    const QString &path, std::shared_ptr<const EditorRoster> roster, const SchoolOfRecord &school, int *errorNumber)
{
    // The last read's buffer is read into again: a fresh 44 MB would cost
    // more in page faults than the read itself.
    beginResetModel();
    std::vector<char> bytes = std::move(bytes_);
    bytes_.clear();
    rows_.clear();
    endResetModel();
    auto fail = [&](int error) {
        setRecords({}, 0, std::move(roster), school);
        *errorNumber = error;
        return false;
    };
    ResultsFile file;
    int error = 0;
    if (!OpenResultsFile(path, ResultsAccess::Read, file, &error))
        return fail(error);
    struct stat info;
    if (::fstat(file.handle(), &info) != 0)
        return fail(errno);
    const qint64 length = qint64(info.st_size);
    // A record appended after the length was taken is simply not read: it
    // shows at the next refill.
    if (file.readRecords(1, length / kRecordLength, bytes, &error) < 0)
        return fail(error);
    *errorNumber = 0;
    setRecords(std::move(bytes), length, std::move(roster), school);
    return true;
}

void ResultsListModel::setRecords(std::vector<char> bytes, qint64 fileLength,
    std::shared_ptr<const EditorRoster> roster, const SchoolOfRecord &school)
{
    beginResetModel();
    bytes_ = std::move(bytes);
    bytes_.resize(bytes_.size() / kRecordLength * kRecordLength);
    fileLength_ = std::max<qint64>(fileLength, qint64(bytes_.size()));
    roster_ = roster ? std::move(roster) : std::make_shared<const EditorRoster>();
    school_ = school;
    rows_.clear();
    const qint64 count = recordCount();
    rows_.reserve(size_t(count));
    // A record of level 0 is never a run.
    for (qint64 r = 0; r < count; ++r)
        if (qFromLittleEndian<std::int16_t>(bytes_.data() + r * kRecordLength + 18) != 0)
            rows_.push_back(std::int32_t(r + 1));
    endResetModel();
}

int ResultsListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(rows_.size());
}

QVariant ResultsListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() < 0 || size_t(index.row()) >= rows_.size())
        return {};
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)
        return {};
    const qint64 r = rows_[size_t(index.row())];
    return dataListLine(r, decodeRecord(bytes_.data() + (r - 1) * kRecordLength), *roster_, school_);
}

qint64 ResultsListModel::recordNumberAt(int row) const
{
    return row >= 0 && size_t(row) < rows_.size() ? rows_[size_t(row)] : 0;
}

int ResultsListModel::rowAtOrAfter(qint64 recordNumber) const
{
    const auto it = std::lower_bound(
        rows_.begin(), rows_.end(), recordNumber, [](std::int32_t row, qint64 wanted) { return qint64(row) < wanted; });
    return it == rows_.end() ? -1 : int(it - rows_.begin());
}

QByteArray ResultsListModel::recordBytes(qint64 recordNumber) const
{
    if (recordNumber < 1 || recordNumber > recordCount())
        return {};
    return QByteArray(bytes_.data() + (recordNumber - 1) * kRecordLength, kRecordLength);
}
