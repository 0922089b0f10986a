// The bytes that the packet error code of an SMBus block transfer covers.
#pragma once

#include <cstdint>
#include <span>

namespace kelvane::i2c {

// A write: the slave address byte as passed, then every data byte.
std::uint8_t WriteBlockPec(std::uint8_t address, std::span<const std::uint8_t> data);

// A read: the slave address byte as passed, the register index, the address
// byte with the read bit set, then the data bytes read.
std::uint8_t ReadBlockPec(std::uint8_t address, std::uint8_t index, std::span<const std::uint8_t> data);

}  // namespace kelvane::i2c
