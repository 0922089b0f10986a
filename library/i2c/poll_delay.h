// Pacing of the I2C engine: the delay D between exchanges, which grows as the
// bus speed falls, and the sleep that every pause goes through.
#pragma once

#include <cstdint>

namespace kelvane::i2c {

// D in milliseconds for a bus speed in bit/s: 1,320,000 / speed, truncated.
// 0 above 1,320,000 bit/s. The speed must not be 0.
std::uint32_t PollDelay(std::uint32_t speed);

// D / 2, rounded down: the pause between refused or not-ready attempts.
constexpr std::uint32_t HalfDelay(std::uint32_t delay) {
    return delay / 2;
}

// Sleeps on the active platform.
void Pause(std::uint32_t milliseconds);

}  // namespace kelvane::i2c
