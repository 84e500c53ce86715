// SPDX-License-Identifier: MIT
// The runner of the core tests: an event loop (timers, processes, waits)
// and nothing of the window system, so the rules and file formats are shown
// to work where there is no display.
#include <QCoreApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    // A path file in the developer's own configuration folder must not
    // reach the tests: they look there through XDG_CONFIG_HOME.
    if (qEnvironmentVariableIsEmpty("XDG_CONFIG_HOME"))
        qputenv("XDG_CONFIG_HOME", "/nonexistent/drill-tests-config");
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
