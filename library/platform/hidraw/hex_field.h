// A field of 1 to 8 hexadecimal digits (either case), as the kernel writes
// the identifiers of a HID device in sysfs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace kelvane::platform::hidraw {

inline constexpr std::size_t kMaxHexDigits = 8;

// The value of a field made only of hexadecimal digits; nullopt for an empty
// field, a longer one, or any other character.
inline std::optional<std::uint32_t> ParseHexField(std::string_view field) {
    if (field.empty() || field.size() > kMaxHexDigits) {
        return std::nullopt;
    }
    std::uint32_t value = 0;
    for (const char c : field) {
        std::uint32_t digit = 0;
        if (c >= '0' && c <= '9') {
            digit = static_cast<std::uint32_t>(c - '0');
        } else if (c >= 'a' && c <= 'f') {
            digit = static_cast<std::uint32_t>(c - 'a' + 10);
        } else if (c >= 'A' && c <= 'F') {
            digit = static_cast<std::uint32_t>(c - 'A' + 10);
        } else {
            return std::nullopt;
        }
        value = (value << 4) | digit;
    }
    return value;
}

}  // namespace kelvane::platform::hidraw
