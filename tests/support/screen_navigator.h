// SPDX-License-Identifier: MIT
// A navigator that opens the real drill form and result screen, records
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
        drills.push_back(std::make_unique<MainFrm>(state_, platform_, *this));
        drills.back()->show();
        drills.back()->Form_Activate();
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
        results.push_back(std::make_unique<FrmSyuuryou>(state_, platform_, *this));
        results.back()->show();
        results.back()->Form_Activate();
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

    MainFrm *drill() const { return drills.empty() ? nullptr : drills.back().get(); }
    FrmSyuuryou *result() const { return results.empty() ? nullptr : results.back().get(); }

    QStringList calls;
    bool waitOpen = false;
    std::vector<std::unique_ptr<MainFrm>> drills;
    std::vector<std::unique_ptr<FrmSyuuryou>> results;

private:
    SharedState &state_;
    Platform &platform_;
};
