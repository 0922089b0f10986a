// The flash copy of the GP pin configuration: its own block, read with 0xB0
// and written with 0xB1, sub-code 1, as four pin bytes. It carries no
// password.
#pragma once

#include <cstdint>

#include "config/pin_byte.h"

namespace kelvane::config {

inline constexpr std::uint8_t kFlashGpSettings = 0x01;  // sub-code in byte 1

// Fills the four pin bytes whenever the echo is right and returns the chip's
// status byte, whatever it is; -4, -5 or -6 with the pins untouched.
int ReadFlashGpSettings(PinBytes& pins);

// Replaces the whole block. 0, -4, -5, -6, or the chip's status byte.
int WriteFlashGpSettings(const PinBytes& pins);

}  // namespace kelvane::config
