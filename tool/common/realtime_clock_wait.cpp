#include "common/realtime_clock_wait.h"

#include <cerrno>
#include <cstdint>
#include <limits>

namespace kelvane::tool {
namespace {

constexpr std::int64_t kNanosecondsPerSecond = 1'000'000'000;

bool Valid(const struct timespec& time) {
    return time.tv_nsec >= 0 && time.tv_nsec < kNanosecondsPerSecond;
}

}  // namespace

int WaitOnRealtimeClock(pthread_cond_t* cond, pthread_mutex_t* mutex, clockid_t clock,
                        const struct timespec* deadline) {
    if (!Valid(*deadline)) return EINVAL;
    if (clock == CLOCK_REALTIME) return pthread_cond_timedwait(cond, mutex, deadline);
    if (clock != CLOCK_MONOTONIC) return EINVAL;

    struct timespec now {};
    if (clock_gettime(CLOCK_MONOTONIC, &now) != 0) return EINVAL;
    // Seconds and nanoseconds apart, so that no deadline far in the future
    // overflows a count of nanoseconds.
    std::int64_t seconds = static_cast<std::int64_t>(deadline->tv_sec) - now.tv_sec;
    std::int64_t nanoseconds = static_cast<std::int64_t>(deadline->tv_nsec) - now.tv_nsec;
    if (nanoseconds < 0) {
        nanoseconds += kNanosecondsPerSecond;
        --seconds;
    }
    if (seconds < 0 || (seconds == 0 && nanoseconds == 0)) return ETIMEDOUT;

    struct timespec until {};
    if (clock_gettime(CLOCK_REALTIME, &until) != 0) return EINVAL;
    until.tv_nsec += static_cast<long>(nanoseconds);
    if (until.tv_nsec >= kNanosecondsPerSecond) {
        until.tv_nsec -= kNanosecondsPerSecond;
        ++seconds;
    }
    // A deadline beyond what time_t holds waits until the end of time_t.
    constexpr auto kLatest = std::numeric_limits<time_t>::max();
    if (seconds > static_cast<std::int64_t>(kLatest - until.tv_sec)) {
        until.tv_sec = kLatest;
    } else {
        until.tv_sec += static_cast<time_t>(seconds);
    }
    return pthread_cond_timedwait(cond, mutex, &until);
}

}  // namespace kelvane::tool
