// The name the kernel gives a HID device, "BBBB:VVVV:PPPP.NNNN": bus type,
// vendor, product and an instance number, each in upper-case hexadecimal of
// at least four digits. It is the directory that holds the device's hidraw
// node (the target of the node's "device" link). The kernel forms it from
// the identifiers alone, so no string of the device can change it.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace kelvane::platform::hidraw {

struct HidDeviceName {
    std::uint32_t bus = 0;
    std::uint32_t vendor = 0;
    std::uint32_t product = 0;
    std::uint32_t instance = 0;
};

// The fields of a name of exactly that form (4 to 8 hexadecimal digits per
// field); nullopt for anything else.
std::optional<HidDeviceName> ParseHidDeviceName(std::string_view name);

}  // namespace kelvane::platform::hidraw
