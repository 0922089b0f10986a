// The library's one process-wide record: identifiers, device table,
// selection, connection and the remembered access password.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/device_path.h"
#include "platform/platform.h"

namespace kelvane::core {

inline constexpr int kMaxDevices = 64;
inline constexpr std::size_t kPasswordLength = 8;

using Password = std::array<std::uint8_t, kPasswordLength>;

// A chip found by the last scan. Its handles are opened when it is the
// selected chip at a scan that connects, and kept across scans while its path
// lists the same device instance; invalid until then, or after a failed open.
struct DeviceEntry {
    DevicePath path;
    std::string instance;  // the platform's instance text at the last scan
    platform::DeviceHandle writeHandle = platform::kInvalidHandle;
    platform::DeviceHandle readHandle = platform::kInvalidHandle;
};

struct LibraryState {
    std::int32_t vendorId = 0;
    std::int32_t productId = 0;
    std::int32_t deviceCount = 0;  // valid entries of deviceTable, 0 to 64
    std::array<DeviceEntry, kMaxDevices> deviceTable{};
    // Scratch of a scan: the entries whose handles it may keep, while the
    // table is rebuilt.
    std::array<DeviceEntry, kMaxDevices> keptEntries{};
    std::int32_t selectedIndex = 0;
    DevicePath selectedPath;       // outlives scans
    bool firstFound = false;       // the next matching device becomes the selected path
    bool connected = false;
    // Copies of the selected entry's handles; the table owns them.
    platform::DeviceHandle currentWrite = platform::kInvalidHandle;
    platform::DeviceHandle currentRead = platform::kInvalidHandle;
    Password rememberedPassword{};
};

// The process-wide record. Loading the library leaves it zero: no devices,
// not connected, nothing selected.
LibraryState& State();

// Resets the record for a vendor and product identifier. Handles left open by
// an earlier scan are closed here, and the connection flag cleared, so that
// a repeated initialisation leaks nothing and the next status query or
// transfer scans afresh.
void InitLibraryState(std::int32_t vendorId, std::int32_t productId);

}  // namespace kelvane::core
