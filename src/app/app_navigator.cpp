// SPDX-License-Identifier: MIT
#include "app/app_navigator.h"
#include "drill/drill_window.h"
#include "drill/result_screen.h"
#include "hub/class_overview_window.h"
#include "hub/hub_screen.h"
#include "maintenance/criteria_editor_window.h"
#include "maintenance/data_editor_window.h"
#include "roster/name_selection_screen.h"
#include "setup/roster_import_dialog.h"
#include "setup/screen_scaling.h"
#include "startup/version_window.h"
#include "startup/wait_window.h"
#include "state/shared_state.h"

#include <QApplication>
#include <QLoggingCategory>
#include <QMessageBox>

// Off unless asked for (QT_LOGGING_RULES="rukamina.screens.debug=true"), so
// an installation can be checked from a script without a display.
Q_LOGGING_CATEGORY(lcScreens, "rukamina.screens", QtInfoMsg)

AppNavigator::AppNavigator(SharedState &state, Platform &platform)
    : state_(state)
    , platform_(platform)
{
}

AppNavigator::~AppNavigator()
{
    closeAndDelete(classOverview_);
    closeAndDelete(criteriaEditor_);
    closeAndDelete(dataEditor_);
    closeAndDelete(result_);
    closeAndDelete(drill_);
    closeAndDelete(hub_);
    closeAndDelete(nameSelection_);
    delete wait_.data();
}

void AppNavigator::closeAndDelete(QPointer<QWidget> &widget)
{
    if (widget) {
        widget->hide();
        widget->deleteLater();
    }
    widget = nullptr;
}

void AppNavigator::showNameSelection()
{
    closeAndDelete(nameSelection_);
    auto *screen = new NameSelectionScreen(state_, platform_, *this);
    nameSelection_ = screen;
    if (!screen->open())
        return;
    screen->activateWindow();
    screen->onShown();
    qCDebug(lcScreens) << "name selection shown";
}

void AppNavigator::closeNameSelection()
{
    closeAndDelete(nameSelection_);
}

void AppNavigator::showHub()
{
    closeAndDelete(hub_);
    auto *hub = new HubScreen(state_, platform_, *this);
    hub_ = hub;
    screenscaling::placeOnScreen(hub);
    hub->show();
    hub->activateWindow();
    // An editor is left by showing the hub again.
    closeAndDelete(criteriaEditor_);
    hub->onShown();
}

void AppNavigator::closeHub()
{
    closeAndDelete(hub_);
}

void AppNavigator::openDrill()
{
    closeAndDelete(drill_);
    auto *drill = new DrillWindow(state_, platform_, *this);
    drill_ = drill;
    screenscaling::placeOnScreen(drill);
    drill->show();
    drill->activateWindow();
    // The run's set-up steps run once, right after the window is first shown.
    drill->onShown();
}

void AppNavigator::closeDrill()
{
    closeAndDelete(drill_);
}

void AppNavigator::showResult()
{
    closeAndDelete(result_);
    auto *result = new ResultScreen(state_, platform_, *this);
    result_ = result;
    screenscaling::placeOnScreen(result);
    result->show();
    result->activateWindow();
    result->onShown();
}

void AppNavigator::closeResult()
{
    closeAndDelete(result_);
}

void AppNavigator::showCriteriaEditor()
{
    closeAndDelete(criteriaEditor_);
    auto *editor = new CriteriaEditorWindow(state_, platform_, *this);
    criteriaEditor_ = editor;
    screenscaling::placeOnScreen(editor);
    editor->show();
    editor->activateWindow();
    editor->onShown();
}

void AppNavigator::showDataEditor()
{
    closeAndDelete(dataEditor_);
    auto *editor = new DataEditorWindow(state_, platform_, *this);
    dataEditor_ = editor;
    screenscaling::placeOnScreen(editor);
    editor->show();
    editor->activateWindow();
    editor->onShown();
}

void AppNavigator::closeDataEditor()
{
    closeAndDelete(dataEditor_);
}

void AppNavigator::showClassOverview(int level, const QString &gradeFilter)
{
    closeAndDelete(classOverview_);
    auto *overview = new ClassOverviewWindow(state_, platform_, level, gradeFilter);
    classOverview_ = overview;
    overview->show();
    overview->activateWindow();
    overview->onShown();
}

void AppNavigator::showWait()
{
    if (!wait_)
        wait_ = new WaitWindow();
    wait_->open();
}

void AppNavigator::closeWait()
{
    if (wait_) {
        wait_->hide();
        wait_->deleteLater();
    }
    wait_ = nullptr;
}

void AppNavigator::showVersion(QWidget *over)
{
    VersionWindow dialog(state_.ProgramName, over);
    if (over) {
        const QRect r = over->frameGeometry();
        dialog.move(r.x() + (r.width() - dialog.width()) / 2, r.y() + (r.height() - dialog.height()) / 2);
    }
    dialog.exec();
}

void AppNavigator::importRoster(QWidget *over)
{
    importRosterInteractive(over, state_);
}

void AppNavigator::tellAtStartUp(const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok);
    box.setObjectName(QStringLiteral("StartUpWarning"));
    box.exec();
}

void AppNavigator::quit()
{
    const auto windows = QApplication::topLevelWidgets();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
        (*it)->close();
    QCoreApplication::exit(0);
}
