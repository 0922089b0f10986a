// Pacing of the I2C engine: the delay D between exchanges, which grows as the
// bus speed falls.
#pragma once

#include <cstdint>

namespace kelvane::i2c {

// D in milliseconds for a bus speed in bit/s: 1,320,000 / speed, truncated
// toward zero; 0 above 1,320,000 bit/s, and 0 for a speed of 0, which has no
// delay. The integer quotient is the truncated real one: for a speed that
// does not divide 1,320,000 the quotient lies at least 1 / speed away from
// the next integer, far more than any rounding could bridge.
constexpr std::uint32_t PollDelay(std::uint32_t speed) {
    return speed == 0 ? 0 : 1'320'000u / speed;
}

// D / 2, rounded down: the pause between refused or not-ready attempts.
constexpr std::uint32_t HalfDelay(std::uint32_t delay) {
    return delay / 2;
}

}  // namespace kelvane::i2c
