// SPDX-License-Identifier: MIT
// A navigator that opens the real drill window and result screen, records
// every request, and keeps each closed screen alive (hidden) until the test
// ends, so a test can still look at it or tick its timers.
#pragma once

#include "drill/drill_window.h"
#include "drill/result_screen.h"
#include "state/navigator.h"

#include <QStringList>
#include <memory>
#include <vector>

class ScreenNavigator final : public Navigator {
public:
    ScreenNavigator(SharedState &state, Platform &platform)
        : state_(state)
        , platform_(platform)
    {
    }
    ~ScreenNavigator() override
    {
        results.clear();
        drills.clear();
    }

    void showNameSelection() override { calls << QStringLiteral("showNameSelection"); }
    void closeNameSelection() override { calls << QStringLiteral("closeNameSelection"); }
    void showHub() override { calls << QStringLiteral("showHub"); }
    void closeHub() override { calls << QStringLiteral("closeHub"); }
    void openDrill() override
    {
        calls << QStringLiteral("openDrill");
        drills.push_back(std::make_unique<DrillWindow>(state_, platform_, *this));
        drills.back()->show();
        drills.back()->onShown();
    }
    void closeDrill() override
    {
        calls << QStringLiteral("closeDrill");
        if (!drills.empty())
            drills.back()->hide();
    }
    void showResult() override
    {
        calls << QStringLiteral("showResult");
        results.push_back(std::make_unique<ResultScreen>(state_, platform_, *this));
        results.back()->show();
        results.back()->onShown();
    }
    void closeResult() override
    {
        calls << QStringLiteral("closeResult");
        if (!results.empty())
            results.back()->hide();
    }
    void showCriteriaEditor() override { calls << QStringLiteral("showCriteriaEditor"); }
    void showDataEditor() override { calls << QStringLiteral("showDataEditor"); }
    void closeDataEditor() override { calls << QStringLiteral("closeDataEditor"); }
    void showClassOverview(int, const QString &) override { calls << QStringLiteral("showClassOverview"); }
    void showWait() override
    {
        calls << QStringLiteral("showWait");
        waitOpen = true;
    }
    void closeWait() override
    {
        calls << QStringLiteral("closeWait");
        waitOpen = false;
    }
    void showVersion(QWidget *) override { calls << QStringLiteral("showVersion"); }
    void importRoster(QWidget *) override { calls << QStringLiteral("importRoster"); }
    void quit() override { calls << QStringLiteral("quit"); }
    void tellAtStartUp(const QString &, const QString &text) override { toldAtStartUp << text; }
    QStringList toldAtStartUp;

    DrillWindow *drill() const { return drills.empty() ? nullptr : drills.back().get(); }
    ResultScreen *result() const { return results.empty() ? nullptr : results.back().get(); }

    QStringList calls;
    bool waitOpen = false;
    std::vector<std::unique_ptr<DrillWindow>> drills;
    std::vector<std::unique_ptr<ResultScreen>> results;

private:
    SharedState &state_;
    Platform &platform_;
};
