#include "platform/hidraw/hid_device_name.h"

#include "platform/hidraw/hex_field.h"

namespace kelvane::platform::hidraw {
namespace {

constexpr std::size_t kMinDigits = 4;

// Takes one field of 4 to 8 hexadecimal digits from the front of rest,
// followed by `separator` (or by the end of the text when separator is 0).
std::optional<std::uint32_t> TakeField(std::string_view& rest, char separator) {
    const std::size_t end = separator == 0 ? rest.size() : rest.find(separator);
    if (end == std::string_view::npos || end < kMinDigits) {
        return std::nullopt;
    }
    const std::optional<std::uint32_t> value = ParseHexField(rest.substr(0, end));
    rest.remove_prefix(separator == 0 ? end : end + 1);
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
