// SPDX-License-Identifier: MIT
// The feedback sounds of the drill and the result screen. Playback is
// synchronous: each call returns when the sound has finished.
#pragma once

#include <QString>

struct SharedState;
struct Platform;
class RandomSource;

// Plays SoundFolder + file + ".wav" to its end. The command text and the
// result code are kept in LastMciCommand / LastMciResult for diagnostics.
// Returns the result code (0 = played).
int PlaySound(SharedState &state, Platform &platform, const QString &file);

// File number n = Int(r x count + 1) of a category; 1 when it has no files.
int chooseSoundFile(int count, double r);

// The correct and wrong sounds count failures across both: the fourth in a
// row reports "音声エラー" through the fatal path. False once that has been
// reported (the caller stops there).
bool PlayCorrectSound(SharedState &state, Platform &platform, RandomSource &random);
bool PlayWrongSound(SharedState &state, Platform &platform, RandomSource &random);

// The result screen's sounds; their failures are only kept in LastMciResult.
void PlayOwnRecordSound(SharedState &state, Platform &platform, RandomSource &random);
void PlayNoRecordSound(SharedState &state, Platform &platform, RandomSource &random);
void PlayTopRecordSound(SharedState &state, Platform &platform);
void PlayGoalSound(SharedState &state, Platform &platform);
