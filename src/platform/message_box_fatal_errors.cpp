// SPDX-License-Identifier: MIT
#include "platform/message_box_fatal_errors.h"

#include <QApplication>
#include <QMessageBox>
#include <QWidget>
#include <cstdio>
#include <cstdlib>

void MessageBoxFatalErrors::fatal(const QString &title, const QString &message)
{
    std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(message));
    if (qobject_cast<QApplication *>(QCoreApplication::instance())) {
        QMessageBox::critical(nullptr, title, message, QMessageBox::Ok);
        const auto windows = QApplication::topLevelWidgets();
        for (auto it = windows.rbegin(); it != windows.rend(); ++it)
            (*it)->close();
    }
    // Files are opened and closed within each procedure, so none is left
    // open here; ending the process releases any lock still held.
    std::exit(EXIT_FAILURE);
}
