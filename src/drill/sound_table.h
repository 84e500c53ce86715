// SPDX-License-Identifier: MIT
// The sound list "新音ファイル.txt": which WAV files belong to which kind of
// feedback.
#pragma once

#include <QString>

struct SharedState;
class ItemReader;

// Category numbers of the sounds that are played.
namespace soundcat {
inline constexpr int Correct = 2;
inline constexpr int Wrong = 4;
inline constexpr int OwnRecord = 8;
inline constexpr int NoRecord = 10;
} // namespace soundcat

// The ten category names, 1..10.
QString soundCategoryName(int category);

// Reads the blocks of a sound list into SoundTable.
void readSoundTable(SharedState &state, ItemReader &reader);

// Reads SoundFolder + "新音ファイル.txt". False with a description (naming the
// file) when the list cannot be read; the table then holds only the names.
bool LoadSoundTable(SharedState &state, QString *problem);
