#include "platform/windows/clock.h"

#include <mmsystem.h>

#include <algorithm>

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace kelvane::platform::windows {

// ---- The clock --------------------------------------------------------------

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

// ---- Pauses -----------------------------------------------------------------

namespace {

constexpr std::int64_t kHundredNsPerSecond = 10'000'000;
// A timer wait is bounded by its due time plus this, in case the timer never
// fires (it then falls back to Sleep for the rest of the pause).
constexpr DWORD kTimerWaitMarginMs = 100;

std::int64_t TicksToHundredNs(std::int64_t ticks) {
    const std::int64_t frequency = PerformanceFrequency();
    return ticks / frequency * kHundredNsPerSecond + ticks % frequency * kHundredNsPerSecond / frequency;
}

// Milliseconds, rounded up, so that a Sleep does not end before the deadline.
DWORD TicksToMsRoundedUp(std::int64_t ticks) {
    const std::int64_t frequency = PerformanceFrequency();
    const std::int64_t ms = ticks / frequency * 1000 + (ticks % frequency * 1000 + frequency - 1) / frequency;
    return static_cast<DWORD>(std::clamp<std::int64_t>(ms, 1, 0x7FFFFFFF));
}

}  // namespace

Pause::Pause(bool allowHighResolution) {
    if (allowHighResolution) {
        timer_ = ::CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION,
                                          TIMER_MODIFY_STATE | SYNCHRONIZE);
    }
}

Pause::~Pause() {
    if (timer_ != nullptr) {
        ::CloseHandle(timer_);
    }
}

Pause::Timer Pause::TimerInUse() const {
    return timer_ != nullptr ? Timer::kHighResolution : Timer::kRaisedResolution;
}

void Pause::For(std::uint32_t milliseconds) {
    if (milliseconds == 0) {
        return;
    }
    const std::int64_t frequency = PerformanceFrequency();
    const std::int64_t end = PerformanceTicks() + static_cast<std::int64_t>(milliseconds) / 1000 * frequency +
                             static_cast<std::int64_t>(milliseconds) % 1000 * frequency / 1000;
    // Each round waits for the rest of the pause; a wait that ended early is
    // continued, and every round ends at least 1 ms later or at the end.
    for (;;) {
        const std::int64_t remaining = end - PerformanceTicks();
        if (remaining <= 0) {
            return;
        }
        if (timer_ == nullptr || !WaitOnTimer(remaining)) {
            SleepAtRaisedResolution(remaining);
        }
    }
}

bool Pause::WaitOnTimer(std::int64_t remainingTicks) {
    LARGE_INTEGER due{};
    // Negative: relative to now, in 100 ns units.
    due.QuadPart = -std::max<std::int64_t>(TicksToHundredNs(remainingTicks), 1);
    if (!::SetWaitableTimer(timer_, &due, 0, nullptr, nullptr, FALSE)) {
        return false;
    }
    const DWORD bound = TicksToMsRoundedUp(remainingTicks) + kTimerWaitMarginMs;
    return ::WaitForSingleObject(timer_, bound) == WAIT_OBJECT_0;
}

void Pause::SleepAtRaisedResolution(std::int64_t remainingTicks) {
    if (!resolutionRaised_) {
        resolutionRaised_ = ::timeBeginPeriod(1) == TIMERR_NOERROR;
    }
    ::Sleep(TicksToMsRoundedUp(remainingTicks));
}

}  // namespace kelvane::platform::windows
