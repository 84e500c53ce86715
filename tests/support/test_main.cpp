// SPDX-License-Identifier: MIT
// One runner for every test: a QApplication (offscreen in CI) so that
// screen tests can create real widgets.
#include "platform/layout.h"
#include "setup/screen_scaling.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // A path file in the developer's own configuration folder must not
    // reach the tests: they look there through XDG_CONFIG_HOME.
    if (qEnvironmentVariableIsEmpty("XDG_CONFIG_HOME"))
        qputenv("XDG_CONFIG_HOME", "/nonexistent/drill-tests-config");
    // The large-screen test runs this binary again with a big screen and
    // asks for the program's own scaling.
    if (!qEnvironmentVariableIsEmpty("DRILL_TESTS_SCALE_LIKE_THE_PROGRAM"))
        screenscaling::applyBeforeApplication(argc, argv, false);
    QApplication app(argc, argv);
    registerFontSubstitutes();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
