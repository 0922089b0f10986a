// Time in the Windows backend: the monotonic clock, the deadline of every
// wait of a transfer, and millisecond pauses that end close to their
// deadline.
#pragma once

#include <cstdint>

#include "platform/windows/win32.h"

namespace kelvane::platform::windows {

// ---- The clock --------------------------------------------------------------
// The monotonic clock of the Windows backend: the performance counter, which
// never goes back and does not follow changes of the wall clock.

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

// ---- Pauses -----------------------------------------------------------------
// Millisecond pauses that end close to their deadline.
//
// The I2C engine paces its exchanges with pauses of a few milliseconds
// (3 ms at 400 kbit/s). Sleep on a default Windows timer rounds every such
// pause up to the next tick of the system clock, 15.6 ms, which would make
// a paced transfer several times slower than its pauses add up to. So:
//  - where the system has high-resolution waitable timers (Windows 10
//    version 1803 and later: CREATE_WAITABLE_TIMER_HIGH_RESOLUTION), a pause
//    waits on such a timer, due after the exact remaining time in 100 ns
//    units; these timers do not depend on the system clock's tick;
//  - elsewhere the first pause raises the timer resolution of the process to
//    1 ms (timeBeginPeriod) and keeps it raised until the process ends, and
//    pauses use Sleep. The resolution is not lowered after each pause: a new
//    resolution may take effect only from the clock's next tick, so lowering
//    and raising it around every pause could still cost a whole tick at the
//    start of each pause. Windows restores the resolution when the process
//    ends.
// Either way a pause lasts at least its duration, measured on the
// performance counter: a wait that ends early is continued for the rest.

class Pause {
public:
    enum class Timer {
        kHighResolution,    // a high-resolution waitable timer
        kRaisedResolution,  // Sleep at a timer resolution of 1 ms
    };

    // Takes a high-resolution timer when the system has one and
    // allowHighResolution is set; otherwise pauses use Sleep.
    explicit Pause(bool allowHighResolution = true);
    ~Pause();
    Pause(const Pause&) = delete;
    Pause& operator=(const Pause&) = delete;

    // Returns after at least the given time; 0 returns at once.
    void For(std::uint32_t milliseconds);

    Timer TimerInUse() const;

private:
    void SleepAtRaisedResolution(std::int64_t remainingTicks);
    bool WaitOnTimer(std::int64_t remainingTicks);

    HANDLE timer_ = nullptr;
    bool resolutionRaised_ = false;
};

}  // namespace kelvane::platform::windows
