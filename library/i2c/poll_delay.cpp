#include "i2c/poll_delay.h"

#include "platform/platform.h"

namespace kelvane::i2c {

std::uint32_t PollDelay(std::uint32_t speed) {
    // Divided in floating point and truncated toward zero. The quotient is at
    // most 1,320,000 (speed 1), so it always fits.
    return static_cast<std::uint32_t>(1'320'000.0 / static_cast<double>(speed));
}

void Pause(std::uint32_t milliseconds) {
    platform::ActivePlatform().SleepMs(milliseconds);
}

}  // namespace kelvane::i2c
