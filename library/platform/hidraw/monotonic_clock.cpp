#include "platform/hidraw/monotonic_clock.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <ctime>

namespace kelvane::platform::hidraw {

std::uint64_t MonotonicNowMs() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000U +
           static_cast<std::uint64_t>(now.tv_nsec) / 1000000U;
}

namespace {

constexpr std::int64_t kNsPerSecond = 1'000'000'000;
// How long before the deadline the thread asks to be woken: more than the
// usual wake-up lateness of a loaded Linux machine (45 to 95 us measured).
constexpr std::int64_t kSpinMarginNs = 250'000;

std::int64_t MonotonicNowNs() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * kNsPerSecond + now.tv_nsec;
}

}  // namespace

void SleepForMs(std::uint32_t milliseconds) {
    const std::int64_t deadline = MonotonicNowNs() + static_cast<std::int64_t>(milliseconds) * 1'000'000;
    const std::int64_t wake = deadline - kSpinMarginNs;
    if (wake > MonotonicNowNs()) {
        timespec at{};
        at.tv_sec = static_cast<time_t>(wake / kNsPerSecond);
        at.tv_nsec = static_cast<long>(wake % kNsPerSecond);
        while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) == EINTR) {
        }
    }
    while (MonotonicNowNs() < deadline) {
    }
}

Deadline::Deadline(std::uint32_t limitMs) : endMs_(MonotonicNowMs() + limitMs) {}

int Deadline::RemainingMs() const {
    const std::uint64_t now = MonotonicNowMs();
    if (now >= endMs_) {
        return 0;
    }
    return static_cast<int>(std::min<std::uint64_t>(endMs_ - now, INT_MAX));
}

bool Deadline::Passed() const {
    return MonotonicNowMs() >= endMs_;
}

}  // namespace kelvane::platform::hidraw
