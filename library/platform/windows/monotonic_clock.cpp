#include "platform/windows/monotonic_clock.h"

#include "platform/windows/win32.h"

namespace kelvane::platform::windows {

std::int64_t PerformanceTicks() {
    LARGE_INTEGER ticks{};
    ::QueryPerformanceCounter(&ticks);
    return ticks.QuadPart;
}

std::int64_t PerformanceFrequency() {
    // Fixed at boot; never fails on the systems the library runs on.
    static const std::int64_t frequency = [] {
        LARGE_INTEGER value{};
        ::QueryPerformanceFrequency(&value);
        return value.QuadPart > 0 ? value.QuadPart : 1;
    }();
    return frequency;
}

std::uint64_t MonotonicNowMs() {
    const std::int64_t ticks = PerformanceTicks();
    const std::int64_t frequency = PerformanceFrequency();
    // Whole seconds and the rest apart, so that ticks * 1000 cannot overflow.
    return static_cast<std::uint64_t>(ticks / frequency) * 1000U +
           static_cast<std::uint64_t>((ticks % frequency) * 1000 / frequency);
}

Deadline::Deadline(std::uint32_t limitMs) : endMs_(MonotonicNowMs() + limitMs) {}

std::uint32_t Deadline::RemainingMs() const {
    const std::uint64_t now = MonotonicNowMs();
    return now >= endMs_ ? 0U : static_cast<std::uint32_t>(endMs_ - now);
}

}  // namespace kelvane::platform::windows
