// SPDX-License-Identifier: MIT
// The command-line options of an installed program that are handled before
// any window exists: --help, --import-roster FILE.csv and --no-scaling.
// Options this file does not know are left for the rest of the program.
#pragma once

#include <QString>
#include <optional>

struct InstallOptions {
    bool help = false;
    bool noScaling = false;
    bool importRoster = false;
    QString rosterCsv;
    QString problem; // an option given wrongly, in words for the user
};

InstallOptions parseInstallOptions(int argc, char **argv);

// The lines of --help that describe these options.
QString installOptionsHelp();

// Runs what ends the program without a window (help, roster import, a
// wrong option), printing to the terminal. The exit code, or nullopt when
// the program should start as usual.
std::optional<int> runInstallCommands(const InstallOptions &options, int argc, char **argv);
