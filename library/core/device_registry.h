// Discovery of attached chips and the device table.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kelvane::core {

// "vid_" + four lower-case hex digits + "&pid_" + four lower-case hex digits.
// Identifiers outside 0x0000..0xFFFF give no match string: no device can
// carry such an identifier, so a scan for it finds nothing.
std::optional<std::string> BuildMatchString(std::int32_t vendorId, std::int32_t productId);

// Four lower-case hex digits of a 16-bit value, zero-padded on the left.
std::string FormatHex4(std::uint16_t value);

// The part of a hardware identifier that the match looks at: its first 21
// characters, lower-cased.
std::string NormaliseHardwareId(std::string_view hardwareId);

// Enumerates the platform's HID interfaces, rebuilds the device table from
// those matching the identifiers and decides whether the selected device is
// connected. Returns the connection flag.
//
// A scan opens only what the transfers need: when it connects, the selected
// entry's device (write handle, then read handle) unless its handles are
// already open. Every entry keeps the handles that an earlier scan opened on
// its path while the path lists the same device instance and the platform
// says that they still reach it (Platform::StillReaches); handles of any
// other device, or of a device that is no longer listed, are closed before
// anything is opened. A failed open leaves the handle invalid and shows at
// the first transfer. So a scan of an unchanged set of chips opens and closes
// nothing.
//
// Memory that runs out during a scan (std::bad_alloc) loses no handle and
// leaves the library as no exception: an enumeration that runs out lists
// nothing, so every handle is closed; memory that runs out later, while the
// table is rebuilt or the selected chip opened, ends the scan there, the
// entries listed so far keeping their handles and the other handles closed.
// Either way the scan does not connect.
bool ScanDevices();

// Closes every handle in the table and empties it.
void CloseAllDevices();

// The index of the entry holding this path, adding it when it is new.
// -1 when the table is full and the path is not in it.
int AddOrFindDevice(std::string_view path);

// Records a new selection; it takes effect at the next scan. 0, or -2 when
// the index is not below the device count.
int SelectDevice(std::uint32_t index);

}  // namespace kelvane::core
