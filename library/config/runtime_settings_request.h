// The set-runtime-settings request (0x60): one group per request, marked by
// its apply bit, so that the chip changes that group alone.
#pragma once

#include <cstdint>

#include "config/pin_byte.h"

namespace kelvane::config {

inline constexpr std::uint8_t kSetRuntimeSettings = 0x60;
inline constexpr std::uint8_t kApplyGroup = 0x80;

// The groups and the request byte each one occupies.
enum class RuntimeGroup : std::uint8_t {
    kClockOutput = 2,    // 4-3 duty cycle, 2-0 divider
    kDacReference = 3,   // 2-0 selector
    kDacValue = 4,       // 4-0 value
    kAdcReference = 5,   // 2-0 selector
    kInterrupt = 6,      // edge bits of the mode; bit 0 clears the pin state
};

// Sends one group with its apply bit set; every other group byte is 0.
// 0, -4, -5, -6, or the chip's status byte.
int SetRuntimeSettings(RuntimeGroup group, std::uint8_t fields);

// Sends the GP designation group: the apply byte 7 and the four pin bytes in
// bytes 8 to 11. Results as SetRuntimeSettings.
int SetRuntimeGpPins(const PinBytes& pins);

}  // namespace kelvane::config
