// The chip's GPIO commands: 0x51 reads the value and direction of all four
// pins, 0x50 changes the output value and direction of any chosen pins. Both
// act on the runtime state only.
#pragma once

#include <cstdint>

#include "config/device_settings.h"

namespace kelvane::config {

inline constexpr std::uint8_t kSetGpioValues = 0x50;
inline constexpr std::uint8_t kGetGpioValues = 0x51;

// Markers in a 0x51 response for a pin that is not working as a GPIO.
inline constexpr std::uint8_t kNotGpioValue = 0xEE;
inline constexpr std::uint8_t kNotGpioDirection = 0xEF;

// Copies the direction and value bytes into the arrays given (either may be
// null) whenever the echo is right. 0, -4, -5, -6, or the status byte.
int GetGpioValues(PinArray* directions, PinArray* values);

// What to change: a pin's value or direction changes only when its flag is
// 1; the value and direction bytes go out as given.
struct GpioChange {
    PinArray directions{};
    PinArray values{};
    PinArray changeDirection{};
    PinArray changeValue{};
};

// 0, -4, -5, -6, or the status byte.
int SetGpioValues(const GpioChange& change);

}  // namespace kelvane::config
