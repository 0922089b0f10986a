// The monotonic clock and millisecond sleeps of the hidraw backend, and the
// deadline that bounds every wait of a report transfer.
#pragma once

#include <cstdint>

namespace kelvane::platform::hidraw {

// Milliseconds of CLOCK_MONOTONIC.
std::uint64_t MonotonicNowMs();

// Sleeps for the whole duration and ends close to its deadline: the thread
// sleeps until shortly before it and spins on the monotonic clock for the
// rest, so that the scheduler's wake-up lateness does not add up over the
// thousands of pauses of a long transfer. Signal interruptions resume the
// sleep.
void SleepForMs(std::uint32_t milliseconds);

// A point on the monotonic clock, a given number of milliseconds from now.
class Deadline {
public:
    explicit Deadline(std::uint32_t limitMs);

    // Milliseconds left, as a poll() time-out (0 once the deadline is past).
    int RemainingMs() const;
    bool Passed() const;

private:
    std::uint64_t endMs_;
};

}  // namespace kelvane::platform::hidraw
