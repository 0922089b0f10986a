#include "bench/precise_sleep.h"

#include <chrono>
#include <thread>

namespace kelvane::bench {
namespace {
using Clock = std::chrono::steady_clock;
// How much earlier than the deadline the thread asks to be woken; more than
// the usual wake-up lateness of a loaded Linux machine.
constexpr auto kSpinMargin = std::chrono::microseconds(250);
}  // namespace

void PreciseSleepMs(std::uint32_t milliseconds) {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
    if (deadline - Clock::now() > kSpinMargin) {
        std::this_thread::sleep_until(deadline - kSpinMargin);
    }
    while (Clock::now() < deadline) {
    }
}

void PlainSleepMs(std::uint32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace kelvane::bench
