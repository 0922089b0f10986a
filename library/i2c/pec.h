// SMBus packet error code: CRC-8 with the polynomial x^8 + x^2 + x + 1
// (0x07), initial value 0, most significant bit first, no final inversion,
// computed four bits at a time.
#pragma once

#include <cstdint>
#include <span>

namespace kelvane::i2c {

// The code after one more byte.
std::uint8_t PecUpdate(std::uint8_t code, std::uint8_t byte);

// The code after a run of bytes.
std::uint8_t PecUpdate(std::uint8_t code, std::span<const std::uint8_t> bytes);

}  // namespace kelvane::i2c
