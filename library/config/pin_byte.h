// One GP pin's configuration in one byte, as every pin message and the
// runtime settings carry it: bits 2-0 designation, bit 3 direction, bit 4
// value; bits 7-5 are written as 0 and ignored when read.
#pragma once

#include <cstdint>

#include "config/device_settings.h"

namespace kelvane::config {

// The four pin bytes of GP0 to GP3.
using PinBytes = PinArray;

struct PinConfig {
    std::uint8_t designation = 0;  // 0 = GPIO
    std::uint8_t direction = 0;    // 1 = input, 0 = output
    std::uint8_t value = 0;
};

inline constexpr std::uint8_t kPinDirectionBit = 0x08;
inline constexpr std::uint8_t kPinValueBit = 0x10;

// The arguments are in range (designation 0 to 7, direction and value 0 or 1).
constexpr std::uint8_t EncodePinByte(const PinConfig& pin) {
    return static_cast<std::uint8_t>(pin.designation + 8 * pin.direction + 16 * pin.value);
}

constexpr PinConfig DecodePinByte(std::uint8_t pinByte) {
    return {static_cast<std::uint8_t>(pinByte & 0x07), static_cast<std::uint8_t>((pinByte >> 3) & 1),
            static_cast<std::uint8_t>((pinByte >> 4) & 1)};
}

}  // namespace kelvane::config
