// SPDX-License-Identifier: MIT
// The navigator of the running program: creates each screen when it is shown
// and destroys it when it is left.
#pragma once

#include "state/navigator.h"

#include <QPointer>
#include <QWidget>

struct SharedState;
struct Platform;
class WaitWindow;

class AppNavigator final : public Navigator {
public:
    AppNavigator(SharedState &state, Platform &platform);
    ~AppNavigator() override;

    void showNameSelection() override;
    void closeNameSelection() override;
    void showHub() override;
    void closeHub() override;
    void openDrill() override;
    void closeDrill() override;
    void showResult() override;
    void closeResult() override;
    void showCriteriaEditor() override;
    void showDataEditor() override;
    void closeDataEditor() override;
    void showClassOverview(int level, const QString &gradeFilter) override;
    void showWait() override;
    void closeWait() override;
    void showVersion(QWidget *over) override;
    void importRoster(QWidget *over) override;
    void tellAtStartUp(const QString &title, const QString &text) override;
    void quit() override;

    // The screens on show (null when none), for the program's own checks
    // and the tests that drive the whole loop.
    QWidget *nameSelection() const { return nameSelection_; }
    QWidget *hub() const { return hub_; }
    QWidget *drill() const { return drill_; }
    QWidget *result() const { return result_; }
    QWidget *criteriaEditor() const { return criteriaEditor_; }
    QWidget *dataEditor() const { return dataEditor_; }
    QWidget *classOverview() const { return classOverview_; }

private:
    static void closeAndDelete(QPointer<QWidget> &widget);

    SharedState &state_;
    Platform &platform_;
    QPointer<QWidget> nameSelection_;
    QPointer<QWidget> hub_;
    QPointer<QWidget> drill_;
    QPointer<QWidget> result_;
    QPointer<QWidget> criteriaEditor_;
    QPointer<QWidget> dataEditor_;
    QPointer<QWidget> classOverview_;
    QPointer<WaitWindow> wait_;
};
