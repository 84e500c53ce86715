// SPDX-License-Identifier: MIT
// Re-entrancy: the undo runs inside this modal window and opens message
// boxes of its own; the list is read again only after it returns.
#include "maintenance/undo_window.h"
#include "platform/layout.h"
#include "results/results_file.h"

#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kEntryRole = Qt::UserRole + 1;

} // namespace

UndoWindow::UndoWindow(QString journalPath, std::shared_ptr<const EditorRoster> roster, Undo undo, QWidget *parent)
    : QDialog(parent)
    , journalPath_(std::move(journalPath))
    , roster_(std::move(roster))
    , undo_(std::move(undo))
{
    setObjectName(QStringLiteral("UndoWindow"));
    setWindowTitle(QStringLiteral("元に戻す - 成績累積データ.dat"));
    build();
    resize(960, 600);
    reload(0);
    list_->setFocus();
}

void UndoWindow::build()
{
    setFont(layoutFont(kGothicProportional, 10.5));
    auto *layout = new QVBoxLayout(this);

    fileLabel_ = new QLabel(this);
    fileLabel_->setObjectName(QStringLiteral("JournalFileLabel"));
    fileLabel_->setWordWrap(true);
    fileLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    fileLabel_->setAccessibleDescription(QStringLiteral("変更記録のファイルと件数"));
    layout->addWidget(fileLabel_);

    auto *hint = new QLabel(QStringLiteral("消去や変更を、新しいものから順に並べています。"
                                           "選んで「選んだものを元に戻す」を押すか、Enterを押してください。"),
        this);
    hint->setWordWrap(true);
    layout->addWidget(hint);

    list_ = new QListWidget(this);
    list_->setObjectName(QStringLiteral("JournalList"));
    list_->setAccessibleName(QStringLiteral("変更と消去の記録"));
    list_->setAccessibleDescription(
        QStringLiteral("番号、日時、パソコン、したこと、記録番号、その記録。新しいものから順に並んでいます"));
    list_->setWordWrap(true);
    list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    list_->setAlternatingRowColors(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    list_->setFont(layoutFont(kGothicFixed, 11.25));
    list_->installEventFilter(this);
    connect(list_, &QListWidget::currentRowChanged, this, [this] { currentChanged(); });
    connect(list_, &QListWidget::itemDoubleClicked, this, [this] { undoCurrent(); });
    layout->addWidget(list_, 1);

    undoButton_ = new QPushButton(QStringLiteral("選んだものを元に戻す(&U)"), this);
    undoButton_->setObjectName(QStringLiteral("UndoEntryButton"));
    connect(undoButton_, &QPushButton::clicked, this, &UndoWindow::undoCurrent);
    closeButton_ = new QPushButton(QStringLiteral("閉じる(&C)"), this);
    closeButton_->setObjectName(QStringLiteral("CloseButton"));
    connect(closeButton_, &QPushButton::clicked, this, &QDialog::accept);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(undoButton_);
    buttons->addStretch(1);
    buttons->addWidget(closeButton_);
    layout->addLayout(buttons);
}

void UndoWindow::reload(qint64 keepEntry)
{
    contents_ = readJournal(journalPath_);
    list_->clear();
    QString summary;
    if (!contents_.ok)
        summary = QStringLiteral("%1\n変更記録を読めません（%2）。")
                      .arg(journalPath_, fileErrorDescription(contents_.errorNumber));
    else if (contents_.entries.empty())
        summary = QStringLiteral("%1\nまだ変更や消去の記録はありません。").arg(journalPath_);
    else
        summary = QStringLiteral("%1\n%2 件（%3 バイト）")
                      .arg(journalPath_)
                      .arg(contents_.entries.size())
                      .arg(contents_.bytes);
    fileLabel_->setText(summary);
    fileLabel_->setAccessibleName(summary);

    int keepRow = 0;
    for (auto it = contents_.entries.rbegin(); it != contents_.entries.rend(); ++it) {
        auto *item = new QListWidgetItem(journalListLine(*it, contents_.undone(it->number), *roster_), list_);
        item->setData(kEntryRole, it->number);
        if (it->number == keepEntry)
            keepRow = list_->count() - 1;
    }
    if (list_->count() > 0)
        list_->setCurrentRow(keepRow);
    currentChanged();
}

qint64 UndoWindow::currentEntry() const
{
    const QListWidgetItem *item = list_->currentItem();
    return item ? item->data(kEntryRole).toLongLong() : 0;
}

bool UndoWindow::currentUndoable(QString *why) const
{
    const JournalEntry *entry = contents_.find(currentEntry());
    if (!entry) {
        *why = QStringLiteral("元に戻すものを一覧から選んでください。");
        return false;
    }
    if (entry->isUndo()) {
        *why = QStringLiteral(
            "これは元に戻した記録です。もう一度変えるときは、一覧の記録を変更または消去してください。");
        return false;
    }
    if (contents_.undone(entry->number)) {
        *why = QStringLiteral("これはもう元に戻してあります。");
        return false;
    }
    return true;
}

void UndoWindow::currentChanged()
{
    QString why;
    undoButton_->setEnabled(currentUndoable(&why));
}

void UndoWindow::undoCurrent()
{
    QString why;
    if (!currentUndoable(&why)) {
        QMessageBox box(QMessageBox::Information, windowTitle(), why, QMessageBox::Ok, this);
        box.exec();
        return;
    }
    const qint64 entry = currentEntry();
    QMessageBox ask(QMessageBox::Question, windowTitle(),
        QStringLiteral("次の%1を元に戻しますか？\n%2")
            .arg(journalActionText(contents_.find(entry)->action), list_->currentItem()->text()),
        QMessageBox::Ok | QMessageBox::Cancel, this);
    ask.setObjectName(QStringLiteral("UndoQuestion"));
    // Putting a run back loses nothing: what it replaces is in the journal.
    ask.setDefaultButton(QMessageBox::Ok);
    if (ask.exec() != QMessageBox::Ok)
        return;
    undo_(entry, this);
    reload(entry);
    list_->setFocus();
}

bool UndoWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == list_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            undoCurrent();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
