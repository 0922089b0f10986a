// The chip's strings: the manufacturer and product strings and the serial
// number that the chip shows on the USB bus, kept as string descriptors of
// at most 30 UTF-16 units, and passed by the library as terminated strings
// of 16-bit units (KelvaneChar: wchar_t on Windows, char16_t elsewhere).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace kelvane::text {

// The longest chip string, in UTF-16 units (a character beyond the Basic
// Multilingual Plane takes two).
inline constexpr std::size_t kChipStringUnits = 30;

// A buffer that the library's getters fill: 30 units and the terminator.
inline constexpr std::size_t kChipStringBufferUnits = kChipStringUnits + 1;

// The units of a terminated string in a buffer of `capacity` units: up to
// its terminator, or the whole buffer when it holds none. Nothing beyond the
// buffer is read.
template <typename Unit>
    requires(sizeof(Unit) == sizeof(char16_t))
std::u16string ChipString(const Unit* units, std::size_t capacity) {
    std::u16string text;
    for (std::size_t i = 0; i < capacity && units[i] != 0; ++i) {
        text.push_back(static_cast<char16_t>(units[i]));
    }
    return text;
}

// UTF-8 text as the units of a chip string (without a terminator); nothing
// when it is not UTF-8 or longer than 30 units.
std::optional<std::u16string> ChipStringFromUtf8(std::string_view text);

}  // namespace kelvane::text
