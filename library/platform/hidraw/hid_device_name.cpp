#include "platform/hidraw/hid_device_name.h"

namespace kelvane::platform::hidraw {
namespace {

constexpr std::size_t kMinDigits = 4;
constexpr std::size_t kMaxDigits = 8;

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    return -1;
}

// Takes one field of hexadecimal digits from the front of rest, followed by
// `separator` (or by the end of the text when separator is 0).
std::optional<std::uint32_t> TakeField(std::string_view& rest, char separator) {
    std::size_t digits = 0;
    std::uint32_t value = 0;
    while (digits < rest.size() && HexValue(rest[digits]) >= 0) {
        if (digits == kMaxDigits) {
            return std::nullopt;
        }
        value = (value << 4) | static_cast<std::uint32_t>(HexValue(rest[digits]));
        ++digits;
    }
    if (digits < kMinDigits) {
        return std::nullopt;
    }
    rest.remove_prefix(digits);
    if (separator == 0) {
        return rest.empty() ? std::optional<std::uint32_t>(value) : std::nullopt;
    }
    if (rest.empty() || rest.front() != separator) {
        return std::nullopt;
    }
    rest.remove_prefix(1);
    return value;
}

}  // namespace

std::optional<HidDeviceName> ParseHidDeviceName(std::string_view name) {
    const auto bus = TakeField(name, ':');
    if (!bus) {
        return std::nullopt;
    }
    const auto vendor = TakeField(name, ':');
    if (!vendor) {
        return std::nullopt;
    }
    const auto product = TakeField(name, '.');
    if (!product) {
        return std::nullopt;
    }
    const auto instance = TakeField(name, 0);
    if (!instance) {
        return std::nullopt;
    }
    return HidDeviceName{*bus, *vendor, *product, *instance};
}

}  // namespace kelvane::platform::hidraw
