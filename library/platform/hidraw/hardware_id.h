// The hardware identifier by which the device registry recognises a chip,
// in the form a HID interface carries on Windows: "HID\VID_vvvv&PID_pppp".
// Its first 21 characters hold the bus prefix and both identifiers, so the
// registry's case-insensitive search for "vid_vvvv&pid_pppp" applies as is.
#pragma once

#include <cstdint>
#include <string>

namespace kelvane::platform::hidraw {

// Given to an interface whose identifiers could not be found out: it
// contains no "vid_" and so matches no chip.
inline constexpr char kUnidentifiedHardwareId[] = "HID\\UNIDENTIFIED";

// Vendor and product as four upper-case hexadecimal digits each, from their
// low 16 bits (USB identifiers are 16-bit).
std::string FormatHardwareId(std::uint32_t vendor, std::uint32_t product);

}  // namespace kelvane::platform::hidraw
