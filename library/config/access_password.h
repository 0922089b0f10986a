// The access password: 8 bytes taken from the caller's string, presented to
// the chip with the send-access-password command (0xB2).
#pragma once

#include <cstdint>
#include <optional>

#include "core/library_state.h"

namespace kelvane::config {

inline constexpr std::uint8_t kSendAccessPassword = 0xB2;

// The first 8 bytes of a terminated string, or nothing when the string is
// null or shorter than 8 characters. The string is read no further than its
// terminator or its eighth byte.
std::optional<core::Password> PasswordFromString(const char* text);

// Presents the password. 0 = accepted; -14 = rejected (status 3); -4, -5,
// -6; or any other status byte of the chip.
int SendAccessPassword(const core::Password& password);

}  // namespace kelvane::config
