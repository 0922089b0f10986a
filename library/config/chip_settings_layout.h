// Where the chip-settings block sits in the settings reports. The get-runtime
// and read-flash responses carry it from byte 4, the write-flash request two
// bytes earlier, from byte 2, followed by the 8-byte access password.
#pragma once

#include <cstddef>

#include "config/device_settings.h"
#include "core/report.h"

namespace kelvane::config {

enum class SettingsSource { kRuntime, kFlash };

inline constexpr std::size_t kSettingsResponseBlock = 4;
inline constexpr std::size_t kSettingsRequestBlock = 2;
inline constexpr std::size_t kSettingsPasswordByte = 12;  // write request, 8 bytes
inline constexpr std::size_t kRuntimePinBytes = 22;       // get-runtime response, GP0 to GP3

// Fills the record from a get-runtime or read-flash response. The LED initial
// values come only from flash, the GP pins only from the runtime settings;
// the fields a source does not carry are left as they are.
void DecodeChipSettings(const Report& response, SettingsSource source, DeviceSettings& settings);

// Lays the record out in a write-flash request from byte 2 (the GP fields are
// not part of the block).
void EncodeChipSettings(const DeviceSettings& settings, Report& request);

}  // namespace kelvane::config
