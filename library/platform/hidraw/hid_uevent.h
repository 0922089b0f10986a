// The uevent attribute of a HID device as the kernel writes it, e.g.
//   HID_ID=0003:00000ACE:000000BF
//   HID_NAME=...
//   HID_PHYS=usb-0000:00:14.0-2/input0
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace kelvane::platform::hidraw {

struct HidId {
    std::uint32_t bus = 0;
    std::uint32_t vendor = 0;
    std::uint32_t product = 0;
};

struct HidUevent {
    // Absent when HID_ID is missing or not of the form bbbb:vvvvvvvv:pppppppp.
    std::optional<HidId> id;
    // Where the device is attached; empty when the kernel gave none.
    std::string phys;
};

HidUevent ParseHidUevent(std::string_view text);

}  // namespace kelvane::platform::hidraw
