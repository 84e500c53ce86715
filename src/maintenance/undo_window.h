// SPDX-License-Identifier: MIT
// "元に戻す" of the results-data editor: the journal's entries, newest
// first, each with when, on which PC and what was done to which run; the
// chosen change or deletion is undone through a call the editor gives
// (which holds the lock, rewrites the file and tells the outcome), and the
// list is read again so the entry shows as undone. A list a screen reader
// walks line by line; Enter on a line undoes it, Esc closes.
#pragma once

#include "maintenance/data_editor_rules.h"
#include "results/results_journal.h"

#include <QDialog>
#include <functional>
#include <memory>

class QLabel;
class QListWidget;
class QPushButton;

class UndoWindow : public QDialog {
    Q_OBJECT
public:
    // `undo` undoes one entry (its number) with this window as the parent
    // of its messages.
    using Undo = std::function<void(qint64 entryNumber, QWidget *parent)>;

    UndoWindow(QString journalPath, std::shared_ptr<const EditorRoster> roster, Undo undo, QWidget *parent = nullptr);

    QListWidget *entryList() const { return list_; }
    QPushButton *undoButton() const { return undoButton_; }
    // Undoes the entry on the current line, after asking.
    void undoCurrent();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void build();
    void reload(qint64 keepEntry);
    void currentChanged();
    qint64 currentEntry() const;
    bool currentUndoable(QString *why) const;

    QString journalPath_;
    std::shared_ptr<const EditorRoster> roster_;
    Undo undo_;
    JournalContents contents_;

    QLabel *fileLabel_ = nullptr;
    QListWidget *list_ = nullptr;
    QPushButton *undoButton_ = nullptr;
    QPushButton *closeButton_ = nullptr;
};
