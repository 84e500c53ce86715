// SPDX-License-Identifier: MIT
// The table shapes the program works with: per-level tables of 36 slots
// (slot 0 belongs to no level), per-pupil tables of 5001 slots (indexed by
// roster number) and per-level-and-pupil tables, one flat array addressed
// level * 5001 + pupil.
#pragma once

#include <algorithm>
#include <array>
#include <cassert>
#include <vector>

inline constexpr int kLevelSlots = 36; // levels 0..35
inline constexpr int kMaxLevel = 35;
inline constexpr int kPupilSlots = 5001; // pupils 0..5000
inline constexpr int kMaxPupil = 5000;

// How much of the results file the program looks at, however large it has
// grown. The counts, the name list, the hub's lists but today's, the graphs
// and pupils.csv read the newest kRecordWindow records; of those the
// counts take the newest kCountedRecordCap valid ones. Today's runs list
// reads the newest kTodayRecordWindow.
inline constexpr int kRecordWindow = 20000;
inline constexpr int kCountedRecordCap = 10001;
inline constexpr int kTodayRecordWindow = 1000;

// A level's clear count or clear points of this value in the criteria
// table: the level has no clear criterion. The hub shows no standing for
// it, the level before it opens the way to it without a pass, and a table
// with such a level shows no goal banner.
inline constexpr int kNoClearCriterion = 9999;

template <typename T> using LevelTable = std::array<T, kLevelSlots>;

template <typename T> class PupilTable {
public:
    PupilTable()
        : cells_(kPupilSlots)
    {
    }
    T &operator[](int pupil)
    {
        assert(pupil >= 0 && pupil < kPupilSlots);
        return cells_[size_t(pupil)];
    }
    const T &operator[](int pupil) const
    {
        assert(pupil >= 0 && pupil < kPupilSlots);
        return cells_[size_t(pupil)];
    }
    void fill(const T &value) { std::fill(cells_.begin(), cells_.end(), value); }

private:
    std::vector<T> cells_;
};

template <typename T> class LevelPupilTable {
public:
    LevelPupilTable()
        : cells_(size_t(kLevelSlots) * kPupilSlots)
    {
    }
    static constexpr int index(int level, int pupil) { return level * kPupilSlots + pupil; }
    T &operator()(int level, int pupil)
    {
        assert(level >= 0 && level < kLevelSlots && pupil >= 0 && pupil < kPupilSlots);
        return cells_[size_t(index(level, pupil))];
    }
    const T &operator()(int level, int pupil) const
    {
        assert(level >= 0 && level < kLevelSlots && pupil >= 0 && pupil < kPupilSlots);
        return cells_[size_t(index(level, pupil))];
    }
    void fill(const T &value) { std::fill(cells_.begin(), cells_.end(), value); }
    T *data() { return cells_.data(); }
    const T *data() const { return cells_.data(); }

private:
    std::vector<T> cells_;
};
