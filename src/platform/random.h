// SPDX-License-Identifier: MIT
// The random generator of one window: uniform fractions 0 <= r < 1.
#pragma once

#include <cstdint>
#include <random>

class Clock;

class RandomSource {
public:
    explicit RandomSource(std::uint64_t seed = 1)
        : engine_(seed)
    {
    }
    // Seeds from the clock, as each window does when it loads.
    void seedFrom(const Clock &clock);
    void seed(std::uint64_t s) { engine_.seed(s); }
    double fraction();

private:
    std::mt19937_64 engine_;
};
