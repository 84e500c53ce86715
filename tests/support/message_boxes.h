// SPDX-License-Identifier: MIT
// Answers the message boxes a screen opens while the test drives it, the
// way a teacher would click them, and keeps what they said.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>
#include <deque>

class MessageBoxAnswerer {
public:
    // Answers every box with `usual` unless an answer was queued.
    explicit MessageBoxAnswerer(QMessageBox::StandardButton usual = QMessageBox::Ok)
        : usual_(usual)
    {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] { answer(); });
        timer_.start();
    }

    std::deque<QMessageBox::StandardButton> answers;
    // When set, the first box is saved there as a picture before it is
    // answered (screenshots for the notes).
    QString grabFirstTo;
    QStringList titles;
    QStringList texts;
    QList<QMessageBox::StandardButtons> buttons;

private:
    void answer()
    {
        auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        if (!grabFirstTo.isEmpty() && titles.isEmpty())
            box->grab().save(grabFirstTo);
        titles << box->windowTitle();
        texts << box->text();
        buttons << box->standardButtons();
        QMessageBox::StandardButton choice = usual_;
        if (!answers.empty()) {
            choice = answers.front();
            answers.pop_front();
        }
        if (QAbstractButton *button = box->button(choice))
            button->click();
        else
            box->reject();
    }

    QMessageBox::StandardButton usual_;
    QTimer timer_;
};
