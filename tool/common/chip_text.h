// The chip's strings (manufacturer, product, serial number) as the library
// passes them: terminated UTF-16 in KelvaneChar units, at most 30 of them.
// The rules and the conversions are the text component's
// (text/chip_string.h); here they meet the library's KelvaneChar.
#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "kelvane.h"
#include "text/chip_string.h"

namespace kelvane::tool {

// The longest chip string, in UTF-16 units.
inline constexpr std::size_t kChipStringUnits = text::kChipStringUnits;

// A buffer that a chip-string getter fills (30 units and the terminator).
using ChipStringBuffer = std::array<KelvaneChar, text::kChipStringBufferUnits>;

// The buffer's string as UTF-8 (an unpaired surrogate becomes U+FFFD).
std::string Utf8FromChip(const ChipStringBuffer& buffer);

// UTF-8 text as a terminated chip string; nullopt when it is not UTF-8 or
// longer than 30 units.
std::optional<std::basic_string<KelvaneChar>> ChipFromUtf8(std::string_view text);

// The number of UTF-16 units of UTF-8 text; nullopt when it is not UTF-8.
std::optional<std::size_t> Utf16Length(std::string_view text);

}  // namespace kelvane::tool
