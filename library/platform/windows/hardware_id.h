// The hardware identifiers of a device (SPDRP_HARDWAREID) as SetupAPI hands
// them over: a list of terminated UTF-16 strings closed by an empty one, as
// a byte buffer whose length the system reports. The first identifier is the
// most specific one; for a HID interface it begins with the bus prefix and
// both USB identifiers, e.g. "HID\VID_1209&PID_4B56\0&KV000001&0&0".
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace kelvane::platform::windows {

// The registry compares only the first 21 characters; what is kept of the
// identifier beyond them does not matter, so it is bounded.
inline constexpr std::size_t kMaxHardwareIdBytes = 100;

// The first identifier of the list as UTF-8, at most kMaxHardwareIdBytes
// bytes and never cut inside a character. Only the given bytes are read: a
// list that is not terminated ends with the buffer, an odd last byte is
// ignored, and an empty buffer gives an empty identifier (which matches no
// chip). Unpaired surrogates become U+FFFD; they cannot form a match.
std::string FirstHardwareId(std::span<const std::uint8_t> property);

}  // namespace kelvane::platform::windows
