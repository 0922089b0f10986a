// The chip's I2C clock divider for a bus speed, and the speeds that have one.
#pragma once

#include <cstdint>

namespace kelvane::i2c {

// Slowest and fastest speed, in bit/s, whose divider fits the 8-bit divider
// byte: 48,000,000 / (4 x speed) - 3 lies within 0 to 255 exactly for these.
inline constexpr std::uint32_t kMinBusSpeed = 46'333;
inline constexpr std::uint32_t kMaxBusSpeed = 4'000'000;

// True when the speed admits a divider (and so a poll delay).
constexpr bool IsSupportedSpeed(std::uint32_t speed) {
    return speed >= kMinBusSpeed && speed <= kMaxBusSpeed;
}

// 48,000,000 / (4 x speed) - 3 with unsigned 32-bit arithmetic, low 8 bits.
// Only meaningful for a supported speed.
std::uint8_t ClockDivider(std::uint32_t speed);

}  // namespace kelvane::i2c
