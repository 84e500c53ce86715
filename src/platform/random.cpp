// SPDX-License-Identifier: MIT
#include "platform/random.h"
#include "platform/clock.h"

void RandomSource::seedFrom(const Clock &clock)
{
    const auto now = clock.now();
    engine_.seed(std::uint64_t(now.toMSecsSinceEpoch()) ^ (std::uint64_t(clock.tickMs()) << 20));
}

double RandomSource::fraction()
{
    // 53 random bits make a double in [0, 1).
    return double(engine_() >> 11) * (1.0 / 9007199254740992.0);
}
