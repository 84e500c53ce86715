// SPDX-License-Identifier: MIT
// Records which screens were asked for, without opening any.
#pragma once

#include "state/navigator.h"

#include <QStringList>

class FakeNavigator final : public Navigator {
public:
    void showNameSelection() override { calls << QStringLiteral("showNameSelection"); }
    void closeNameSelection() override { calls << QStringLiteral("closeNameSelection"); }
    void showHub() override { calls << QStringLiteral("showHub"); }
    void closeHub() override { calls << QStringLiteral("closeHub"); }
    void openDrill() override { calls << QStringLiteral("openDrill"); }
    void closeDrill() override { calls << QStringLiteral("closeDrill"); }
    void showResult() override { calls << QStringLiteral("showResult"); }
    void closeResult() override { calls << QStringLiteral("closeResult"); }
    void showCriteriaEditor() override { calls << QStringLiteral("showCriteriaEditor"); }
    void showDataEditor() override { calls << QStringLiteral("showDataEditor"); }
    void closeDataEditor() override { calls << QStringLiteral("closeDataEditor"); }
    void showClassOverview(int level, const QString &gradeFilter) override
    {
        calls << QStringLiteral("showClassOverview %1 %2").arg(level).arg(gradeFilter);
    }
    void showWait() override { calls << QStringLiteral("showWait"); }
    void closeWait() override { calls << QStringLiteral("closeWait"); }
    void showVersion(QWidget *) override { calls << QStringLiteral("showVersion"); }
    void importRoster(QWidget *) override { calls << QStringLiteral("importRoster"); }
    void quit() override { calls << QStringLiteral("quit"); }
    void tellAtStartUp(const QString &, const QString &text) override { toldAtStartUp << text; }

    QStringList calls;
    QStringList toldAtStartUp;
};
