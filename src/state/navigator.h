// SPDX-License-Identifier: MIT
// How screens come and go. Each screen is created when it is shown and
// destroyed when it is left; no screen knows another screen's class, it asks
// the navigator instead.
#pragma once

class QString;
class QWidget;

class Navigator {
public:
    virtual ~Navigator() = default;

    virtual void showNameSelection() = 0;
    virtual void closeNameSelection() = 0;
    virtual void showHub() = 0;
    virtual void closeHub() = 0;
    // Opens a new drill form for a run at CurrentLevel.
    virtual void openDrill() = 0;
    virtual void closeDrill() = 0;
    virtual void showResult() = 0;
    virtual void closeResult() = 0;
    // The criteria editor; leaving it shows the hub, which closes it.
    virtual void showCriteriaEditor() = 0;
    // The results-data editor; leaving it shows the hub and closes it.
    virtual void showDataEditor() = 0;
    virtual void closeDataEditor() = 0;
    // The class overview "学習状況" over the hub, at a level and with the
    // hub's grade filter; it closes itself when left.
    virtual void showClassOverview(int level, const QString &gradeFilter) = 0;
    // The wait window "Just a moment, please.".
    virtual void showWait() = 0;
    virtual void closeWait() = 0;
    // The version window, centred over `over`, modal.
    virtual void showVersion(QWidget *over) = 0;
    // The teachers' class-list import, its dialogs over `over`.
    virtual void importRoster(QWidget *over) = 0;
    // A warning start-up gives before name selection and then goes on
    // (levels whose criteria cannot be run); waits until it is read.
    virtual void tellAtStartUp(const QString &title, const QString &text) = 0;
    // Ends the program: every window closed, last opened first.
    virtual void quit() = 0;
};
