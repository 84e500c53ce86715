// SPDX-License-Identifier: MIT
// Qt's own dialogs (file chooser, print dialog, standard buttons) in
// Japanese, like the program's screens.
#pragma once

class QCoreApplication;

// Installs Qt's Japanese translations into the application. False when they
// are not installed on this system; the dialogs then stay in English.
bool installJapaneseQtTranslations(QCoreApplication &app);
