// SPDX-License-Identifier: MIT
// Which start buttons of the hub a pupil may press: the level-enabling pass
// with its over-practice blocking.
#pragma once

#include "state/tables.h"

struct SharedState;

// State of the start buttons and their "やりすぎ禁止" notices, per level.
struct LevelGates {
    LevelTable<bool> enabled {};
    LevelTable<bool> overPractised {}; // notice shown over the start button
};

// The pass, from the gates as they stand (the hub disables every start
// button first; notices keep their state where the pass leaves them).
// Sets GoalCleared in the state.
LevelGates levelEnablingPass(SharedState &state, const LevelGates &before);
