// Status bytes (response byte 1) that the virtual chip's configuration
// commands answer with.
#pragma once

#include <cstdint>

namespace kelvane::sim {

inline constexpr std::uint8_t kStatusOk = 0x00;
// An unknown sub-code, a write to a read-only string, or a malformed string
// descriptor.
inline constexpr std::uint8_t kStatusRefused = 0x01;
// The flash is password-protected: a chip-settings write whose password
// bytes do not match, or a GP-block or string write before the access
// password was accepted. Also the answer to a wrong access password.
inline constexpr std::uint8_t kStatusAccessDenied = 0x03;
// The flash is permanently locked: every flash write is refused.
inline constexpr std::uint8_t kStatusFlashLocked = 0x04;

}  // namespace kelvane::sim
