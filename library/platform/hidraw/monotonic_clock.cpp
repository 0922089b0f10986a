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

void SleepForMs(std::uint32_t milliseconds) {
    timespec remaining{};
    remaining.tv_sec = static_cast<time_t>(milliseconds / 1000U);
    remaining.tv_nsec = static_cast<long>(milliseconds % 1000U) * 1000000L;
    while (::nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
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
