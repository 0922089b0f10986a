// SMBus packet error code: CRC-8 with the polynomial x^8 + x^2 + x + 1
// (0x07), initial value 0, most significant bit first, no final inversion,
// computed four bits at a time; and the bytes that the code of an SMBus
// block transfer covers.
#pragma once

#include <cstdint>
#include <span>

namespace kelvane::i2c {

// The code after one more byte.
std::uint8_t PecUpdate(std::uint8_t code, std::uint8_t byte);

// The code after a run of bytes.
std::uint8_t PecUpdate(std::uint8_t code, std::span<const std::uint8_t> bytes);

// A block write: the slave address byte as passed, then every data byte.
std::uint8_t WriteBlockPec(std::uint8_t address, std::span<const std::uint8_t> data);

// A block read: the slave address byte as passed, the register index, the
// address byte with the read bit set, then the data bytes read.
std::uint8_t ReadBlockPec(std::uint8_t address, std::uint8_t index, std::span<const std::uint8_t> data);

}  // namespace kelvane::i2c
