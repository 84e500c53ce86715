// SPDX-License-Identifier: MIT
#include "maintenance/results_list_model.h"
#include "results/results_file.h"

#include <algorithm>
#include <cstring>

ResultsListModel::ResultsListModel(QObject *parent)
    : QAbstractListModel(parent)
{
}

namespace {

// Level 0 is never a run, and the editor does not list it.
bool isRun(const char *record)
{
    return StoredRecord(record).level() != 0;
}

} // namespace

bool ResultsListModel::load(
    const QString &path, std::shared_ptr<const EditorRoster> roster, const SchoolOfRecord &school, int *errorNumber)
{
    // The last read's buffer is read into again: a fresh 44 MB would cost
    // more in page faults than the read itself.
    beginResetModel();
    std::vector<char> bytes = std::move(bytes_);
    bytes_.clear();
    rows_.clear();
    readState_.reset();
    bytesRead_ = 0;
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
    const auto before = fileStateOf(file.handle(), &error);
    if (!before)
        return fail(error);
    const qint64 length = before->length;
    // A record appended after the length was taken is simply not read: it
    // shows at the next refill.
    const qint64 got = file.readRecords(1, length / kRecordLength, bytes, &error);
    if (got < 0)
        return fail(error);
    // The read takes no lock, so a write may land while it runs, in the
    // bytes or not; only a file untouched from before to after the read is
    // known to be what the bytes show.
    const auto after = fileStateOf(file.handle(), &error);
    *errorNumber = 0;
    bytesRead_ = got * kRecordLength;
    setRecords(std::move(bytes), length, std::move(roster), school);
    if (after && *after == *before && before->timesAreFine() && got == length / kRecordLength)
        readState_ = before;
    return true;
}

bool ResultsListModel::refresh(
    const QString &path, std::shared_ptr<const EditorRoster> roster, const SchoolOfRecord &school, int *errorNumber)
{
    if (readState_) {
        ResultsFile file;
        int error = 0;
        if (OpenResultsFile(path, ResultsAccess::Read, file, &error)) {
            const auto now = fileStateOf(file.handle(), &error);
            if (now && *now == *readState_) {
                // No reset: the view would lay out a million lines again
                // for nothing. Only the names and school may read anew.
                const bool linesChange = roster_ != roster || !(school_ == school);
                roster_ = roster ? std::move(roster) : std::make_shared<const EditorRoster>();
                school_ = school;
                bytesRead_ = 0;
                if (linesChange && !rows_.empty())
                    emit dataChanged(index(0), index(int(rows_.size()) - 1));
                *errorNumber = 0;
                return true;
            }
        }
    }
    return load(path, std::move(roster), school, errorNumber);
}

void ResultsListModel::applyOwnChange(
    qint64 recordNumber, const QByteArray &bytes, const FileState &before, const FileState &after)
{
    // Anyone else's write between the read and the change (an append,
    // another teacher's change, a deletion's new file) shows in `before`;
    // the lock kept everyone out from `before` to `after`.
    const bool known = readState_ && *readState_ == before && after.sameFile(before) && after.length == before.length
        && after.timesAreFine() && bytes.size() == kRecordLength && recordNumber >= 1 && recordNumber <= recordCount();
    if (!known) {
        readState_.reset();
        return;
    }
    char *at = bytes_.data() + (recordNumber - 1) * kRecordLength;
    const bool wasListed = isRun(at);
    std::memcpy(at, bytes.constData(), kRecordLength);
    readState_ = after;
    if (isRun(at) != wasListed) {
        beginResetModel();
        listRuns();
        endResetModel();
    } else if (wasListed) {
        const QModelIndex changed = index(rowAtOrAfter(recordNumber));
        emit dataChanged(changed, changed);
    }
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
    // Bytes from elsewhere say nothing about the file's state now.
    readState_.reset();
    listRuns();
    endResetModel();
}

void ResultsListModel::listRuns()
{
    rows_.clear();
    const qint64 count = recordCount();
    rows_.reserve(size_t(count));
    // A record of level 0 is never a run.
    for (qint64 r = 0; r < count; ++r)
        if (isRun(bytes_.data() + r * kRecordLength))
            rows_.push_back(std::int32_t(r + 1));
    // As wide as the widest number listed, so the lines stay aligned and
    // no number is cut.
    numberWidth_ = ::recordNumberWidth(rows_.empty() ? 0 : rows_.back());
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
    return dataListLine(r, decodeRecord(bytes_.data() + (r - 1) * kRecordLength), *roster_, school_, numberWidth_);
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
