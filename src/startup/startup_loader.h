// SPDX-License-Identifier: MIT
// Start-up loading: install folder, path file, common settings, folder
// globals, program identity, criteria table and sound list.
#pragma once

#include <QString>

struct SharedState;
struct Platform;
class Navigator;

// Install folder, data root, common settings, folder globals and program
// identity: what every reader of the data files needs, without the criteria
// table and the sounds. The data root comes from the path file, or is
// `dataRootOverride` when that is not empty (the command line's
// --data-root). False after a problem has been reported through the
// fatal-error path.
bool LoadFoldersAndSettings(SharedState &state, Platform &platform, const QString &executableFolder,
    const QString &dataRootOverride = QString());

// Fills the folder and settings globals and runs the dependent loads.
// `executableFolder` is the folder the running executable really lives in.
// False after a problem has been reported through the fatal-error path.
bool LoadPathsAndSettings(SharedState &state, Platform &platform, const QString &executableFolder);

// Called by the splash once it is on screen: loads everything, then opens
// name selection. False when start-up could not continue.
bool FinishStartUp(SharedState &state, Platform &platform, Navigator &navigator, const QString &executableFolder);
