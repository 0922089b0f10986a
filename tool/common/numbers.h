// Numbers on the command line and in files, written as i2c-tools takes
// them: 0x... hexadecimal, 0... octal, else decimal, without a sign.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kelvane::tool {

// The number, or nullopt when the text is not one or does not fit 32 bits.
std::optional<std::uint32_t> ParseNumber(std::string_view text);

// The number when it lies in [min, max]; else UsageError "<what> must be
// ... (got '<text>')".
std::uint32_t NumberIn(std::string_view text, std::uint32_t min, std::uint32_t max, std::string_view what);

// A 7-bit slave address: 0x08 to 0x77, or 0x00 to 0x7f with allAddresses
// (-a); else UsageError.
std::uint8_t SlaveAddress(std::string_view text, bool allAddresses);

}  // namespace kelvane::tool
