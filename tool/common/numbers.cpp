#include "common/numbers.h"

#include <charconv>

#include "common/failure.h"

namespace kelvane::tool {

std::optional<std::uint32_t> ParseNumber(std::string_view text) {
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    } else if (text.size() > 1 && text[0] == '0') {
        base = 8;
        text.remove_prefix(1);
    }
    // from_chars takes no sign for an unsigned type; the prefix is gone.
    std::uint32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value, base);
    if (text.empty() || error != std::errc() || stop != end) {
        return std::nullopt;
    }
    return value;
}

std::uint32_t NumberIn(std::string_view text, std::uint32_t min, std::uint32_t max, std::string_view what) {
    const std::optional<std::uint32_t> value = ParseNumber(text);
    if (!value || *value < min || *value > max) {
        // Byte and word ranges read best in hexadecimal, the others in decimal.
        const bool hex = max == 0xFF || max == 0xFFFF;
        const std::string range =
            hex ? Hex2(min) + " to " + Hex2(max) : std::to_string(min) + " to " + std::to_string(max);
        throw UsageError(std::string(what) + " must be a number from " + range + " (got '" + std::string(text) + "')");
    }
    return *value;
}

std::uint8_t SlaveAddress(std::string_view text, bool allAddresses) {
    const std::optional<std::uint32_t> value = ParseNumber(text);
    const std::uint32_t first = allAddresses ? 0x00 : 0x08;
    const std::uint32_t last = allAddresses ? 0x7F : 0x77;
    if (!value || *value < first || *value > last) {
        throw UsageError("the slave address must be a 7-bit address from " + Hex2(first) + " to " + Hex2(last) +
                         (allAddresses ? "" : " (-a allows 0x00 to 0x7f)") + " (got '" + std::string(text) + "')");
    }
    return static_cast<std::uint8_t>(*value);
}

}  // namespace kelvane::tool
