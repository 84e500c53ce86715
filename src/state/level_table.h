// SPDX-License-Identifier: MIT
// The program table: the program's name and its levels.
#pragma once

#include <QString>

struct SharedState;
class Navigator;

// Program name and the switch that frees every level. Run once at start-up.
void SetProgramIdentity(SharedState &state);

// Fills the level table (the same values at every sign-in) and opens the
// results hub.
void SetUpLevelTable(SharedState &state, Navigator &navigator);

// Fills the level table only.
void fillLevelTable(SharedState &state);

// A level whose name contains "練" is a practice level.
bool isPracticeLevelName(const QString &name);
