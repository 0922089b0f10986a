// A sleep that ends close to its deadline: the thread sleeps until a little
// before it and spins on the monotonic clock for the rest, so that the
// scheduler's wake-up lateness does not add up over thousands of pauses.
#pragma once

#include <cstdint>

namespace kelvane::bench {

void PreciseSleepMs(std::uint32_t milliseconds);

// The plain sleep of the standard library, for comparison.
void PlainSleepMs(std::uint32_t milliseconds);

}  // namespace kelvane::bench
