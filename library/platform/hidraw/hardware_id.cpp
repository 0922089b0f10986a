#include "platform/hidraw/hardware_id.h"

#include <string_view>

namespace kelvane::platform::hidraw {
namespace {

void AppendHex4(std::string& out, std::uint32_t value) {
    constexpr std::string_view kDigits = "0123456789ABCDEF";
    for (int shift = 12; shift >= 0; shift -= 4) {
        out.push_back(kDigits[(value >> shift) & 0xFU]);
    }
}

}  // namespace

std::string FormatHardwareId(std::uint32_t vendor, std::uint32_t product) {
    std::string id = "HID\\VID_";
    AppendHex4(id, vendor & 0xFFFFU);
    id += "&PID_";
    AppendHex4(id, product & 0xFFFFU);
    return id;
}

}  // namespace kelvane::platform::hidraw
