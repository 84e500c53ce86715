// SPDX-License-Identifier: MIT
// The one place where this program creates folders and files in a data
// folder other than its item files: the daily copies of the results file
// (daily_backup.cpp). Kept apart so that the rule for what a new file or
// folder in a shared data folder may be (its permissions, its group) is
// set here once for all of them.
#pragma once

#include <QString>

namespace newdatafiles {

// Creates the folder and any missing parents. False with the error number
// set when it cannot.
bool makeFolder(const QString &path, int *errorNumber);

// Creates a new file for writing, exclusively: fails with EEXIST when the
// name is taken, however many PCs try at once. The descriptor, or -1 with
// errno set.
int createExclusive(const QString &path);

} // namespace newdatafiles
