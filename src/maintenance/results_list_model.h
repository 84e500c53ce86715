// SPDX-License-Identifier: MIT
// The editor's list of stored runs as a model: it keeps the bytes of the
// file as read and the record number of each listed run, and writes a line
// only when the view asks for it. A school's file of a million runs opens
// in a fraction of a second this way; a million ready-made lines would not.
//
// It also remembers the state of the file its bytes show (results_edit.h),
// so a refill can tell that nothing was written since and read nothing,
// and the editor's own change can be patched in instead of reading 44 MB
// again. Whatever cannot be told for sure is read again in full.
#pragma once

#include "maintenance/data_editor_rules.h"
#include "results/results_edit.h"

#include <QAbstractListModel>
#include <QByteArray>
#include <memory>
#include <optional>
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
    // Brings the list up to the file at `path` as it is now: when it is
    // the file the bytes were read from, as long and untouched since, only
    // the roster and school are taken over (lines change, rows stay, no
    // reset); otherwise it is read in full and the model reset (load).
    bool refresh(const QString &path, std::shared_ptr<const EditorRoster> roster, const SchoolOfRecord &school,
        int *errorNumber);
    // The editor's own change, written as record `recordNumber` while the
    // file was in state `before` and left in `after`. When the bytes held
    // are the file as it was in `before`, the record is patched in and the
    // bytes then show the file as in `after`; otherwise the next refresh
    // reads the whole file.
    void applyOwnChange(qint64 recordNumber, const QByteArray &bytes, const FileState &before, const FileState &after);
    // Lists records from bytes already read (`fileLength` may exceed the
    // whole records held, by a trailing partial record).
    void setRecords(std::vector<char> bytes, qint64 fileLength, std::shared_ptr<const EditorRoster> roster,
        const SchoolOfRecord &school);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;

    qint64 fileLength() const { return fileLength_; }
    qint64 recordCount() const { return qint64(bytes_.size()) / kRecordLength; }
    // Characters the record number takes in every line (the widest number
    // listed, at least 4).
    int recordNumberWidth() const { return numberWidth_; }
    // Record number (1-based) shown on a row; 0 for no such row.
    qint64 recordNumberAt(int row) const;
    // The row showing the first listed record numbered `recordNumber` or
    // later; -1 when there is none.
    int rowAtOrAfter(qint64 recordNumber) const;
    // The 44 bytes of a record as read (empty for no such record).
    QByteArray recordBytes(qint64 recordNumber) const;
    // Bytes the last load or refresh read from the file (0 when it read
    // nothing), so tests and the benchmark can see which way it went.
    qint64 bytesReadByLastRefill() const { return bytesRead_; }

private:
    void listRuns();

    std::vector<char> bytes_;
    std::vector<std::int32_t> rows_; // record numbers of the listed runs
    int numberWidth_ = 4; // characters of the record-number part of a line
    qint64 fileLength_ = 0;
    // The file as `bytes_` show it; nullopt when that is not known for sure
    // (nothing read yet, a write seen during the read, coarse file times).
    std::optional<FileState> readState_;
    qint64 bytesRead_ = 0;
    std::shared_ptr<const EditorRoster> roster_;
    SchoolOfRecord school_ { QString(), QString() };
};
