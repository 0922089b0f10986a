// The interrupt pin's modes as the interrupt byte of the set-runtime-settings
// request carries them: bit 7 apply; bits 4 and 2 in every mode; bit 3 for
// modes 1 and 3; bit 1 for modes 2 and 3; bit 0 alone clears the pin state.
#pragma once

#include <array>
#include <cstdint>

namespace kelvane::config {

inline constexpr std::uint8_t kFirstSettableInterruptMode = 1;
inline constexpr std::uint8_t kLastInterruptMode = 3;

inline constexpr std::array<std::uint8_t, 3> kInterruptModeBytes = {0x9C, 0x96, 0x9E};  // modes 1 to 3
inline constexpr std::uint8_t kClearInterruptByte = 0x81;

// The interrupt byte of mode 1, 2 or 3 (mode 0 cannot be set).
constexpr std::uint8_t InterruptModeByte(std::uint8_t mode) {
    return kInterruptModeBytes[(mode - kFirstSettableInterruptMode) % kInterruptModeBytes.size()];
}

}  // namespace kelvane::config
