// A GP pin of the virtual chip: designation, direction and output value, and
// the pin byte in which every pin message carries them (bits 2-0
// designation, bit 3 direction, bit 4 value).
#pragma once

#include <array>
#include <cstdint>

namespace kelvane::sim {

inline constexpr std::uint8_t kDesignationGpio = 0;
inline constexpr std::uint8_t kDirectionOutput = 0;
inline constexpr std::uint8_t kDirectionInput = 1;

struct GpPin {
    std::uint8_t designation = kDesignationGpio;
    std::uint8_t direction = kDirectionInput;
    std::uint8_t value = 0;

    bool operator==(const GpPin&) const = default;
};

using GpPins = std::array<GpPin, 4>;

constexpr std::uint8_t PinByteOf(const GpPin& pin) {
    return static_cast<std::uint8_t>((pin.designation & 0x07) | ((pin.direction & 1) << 3) | ((pin.value & 1) << 4));
}

constexpr GpPin PinFromByte(std::uint8_t byte) {
    return {static_cast<std::uint8_t>(byte & 0x07), static_cast<std::uint8_t>((byte >> 3) & 1),
            static_cast<std::uint8_t>((byte >> 4) & 1)};
}

}  // namespace kelvane::sim
