// SPDX-License-Identifier: MIT
// What the program does when started with options instead of for a class:
// the teachers' CSV export, the results-file check and the roster import.
// They run without a window and without a display, so they work over SSH
// and from scripts.
#pragma once

#include <QString>
#include <QStringList>
#include <optional>

class QIODevice;
class Clock;

// Whether the arguments (without the program name) ask for a command
// rather than for the windows.
bool isCommandLineRequest(const QStringList &arguments);

// Runs the command the arguments ask for and returns its exit status:
// --check gives 0 (clean), 1 (findings) or 2 (cannot check); the others 0
// or 2. `executableFolder` locates the path file and names the program's
// data folder, as at start-up.
int runCommand(
    const QStringList &arguments, const QString &executableFolder, Clock &clock, QIODevice &out, QIODevice &err);

// The --help text: Japanese first, then English.
QString commandLineHelp();

// The --version line: the program's name and version.
QString versionText();

// Whether "--no-scaling" keeps the windows at their design size.
bool scalingSwitchedOff(int argc, char **argv);

// For main(), before any window exists: runs a command when the arguments
// ask for one and gives its exit status; nullopt means start the windows.
std::optional<int> runCommandLine(int &argc, char **argv);
