// The three exchanges that carry the chip-settings block: get runtime
// settings (0x61), read flash chip settings (0xB0, sub-code 0) and write
// flash chip settings (0xB1, sub-code 0).
#pragma once

#include <cstdint>

#include "config/device_settings.h"
#include "core/library_state.h"

namespace kelvane::config {

inline constexpr std::uint8_t kGetRuntimeSettings = 0x61;
inline constexpr std::uint8_t kReadFlash = 0xB0;
inline constexpr std::uint8_t kWriteFlash = 0xB1;
inline constexpr std::uint8_t kFlashChipSettings = 0x00;  // sub-code in byte 1

// The readers fill the record whenever the echo is right, and return the
// chip's status byte (0 to 255) whatever it is; -4, -5 or -6 when the
// exchange failed, with the record untouched.
int ReadRuntimeSettings(DeviceSettings& settings);
int ReadFlashChipSettings(DeviceSettings& settings);

// Writes the block with the password handed in, or with the remembered
// access password when none is. 0, -4, -5, -6, or the chip's status byte.
int WriteFlashChipSettings(const DeviceSettings& settings, const core::Password* password = nullptr);

}  // namespace kelvane::config
