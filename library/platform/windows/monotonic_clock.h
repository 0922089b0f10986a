// The monotonic clock of the Windows backend: the performance counter, which
// never goes back and does not follow changes of the wall clock.
#pragma once

#include <cstdint>

namespace kelvane::platform::windows {

// Milliseconds of the performance counter.
std::uint64_t MonotonicNowMs();

// The performance counter in its own ticks, and the ticks per second.
std::int64_t PerformanceTicks();
std::int64_t PerformanceFrequency();

// A point on the monotonic clock, a given number of milliseconds from now;
// the bound of every wait of a transfer.
class Deadline {
public:
    explicit Deadline(std::uint32_t limitMs);

    // Milliseconds left, as a wait time-out (0 once the deadline is past).
    std::uint32_t RemainingMs() const;

private:
    std::uint64_t endMs_;
};

}  // namespace kelvane::platform::windows
