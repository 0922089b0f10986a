// Numbers as the printf conversions of the program's messages show them.
#pragma once

#include <cstdint>
#include <string>

namespace kelvane::cli {

// %d
std::wstring Decimal(std::int64_t value);
// %#x: a nonzero value with the prefix 0x and lower-case digits, zero as a
// bare 0.
std::wstring AlternateHex(std::uint32_t value);
// %#X: a nonzero value with the prefix 0X and upper-case digits, zero as a
// bare 0.
std::wstring AlternateHexUpper(std::uint32_t value);

}  // namespace kelvane::cli
