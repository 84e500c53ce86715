// SPDX-License-Identifier: MIT
// The editor's list of stored runs as a model: it keeps the bytes of the
// file as read and the record number of each listed run, and writes a line
// only when the view asks for it. A school's file of a million runs opens
// in a fraction of a second this way; a million ready-made lines would not.
#pragma once

#include "maintenance/data_editor_rules.h"

#include <QAbstractListModel>
#include <QByteArray>
#include <memory>
#include <vector>

class ResultsListModel final : public QAbstractListModel {
    Q_OBJECT
public:
    explicit ResultsListModel(QObject *parent = nullptr);

    // Reads the whole file at `path` and lists every record whose level is
    // not 0. False with the error number when it cannot be read; the list
    // is then empty.
    bool load(const QString &path, std::shared_ptr<const EditorRoster> roster, const SchoolOfRecord &school,
        int *errorNumber);
    // Lists records from bytes already read (`fileLength` may exceed the
    // whole records held, by a trailing partial record).
    void setRecords(std::vector<char> bytes, qint64 fileLength, std::shared_ptr<const EditorRoster> roster,
        const SchoolOfRecord &school);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    qint64 fileLength() const { return fileLength_; }
    qint64 recordCount() const { return qint64(bytes_.size()) / kRecordLength; }
    // Record number (1-based) shown on a row; 0 for no such row.
    qint64 recordNumberAt(int row) const;
    // The row showing the first listed record numbered `recordNumber` or
    // later; -1 when there is none.
    int rowAtOrAfter(qint64 recordNumber) const;
    // The 44 bytes of a record as read (empty for no such record).
    QByteArray recordBytes(qint64 recordNumber) const;

private:
    std::vector<char> bytes_;
    std::vector<std::int32_t> rows_; // record numbers of the listed runs
    qint64 fileLength_ = 0;
    std::shared_ptr<const EditorRoster> roster_;
    SchoolOfRecord school_ { QString(), QString() };
};
