// The uevent attribute of a HID device as the kernel writes it, e.g.
//   DRIVER=hid-generic
//   HID_ID=0003:00000ACE:000000BF
//   HID_NAME=<the device's manufacturer and product strings>
//   HID_PHYS=usb-0000:00:14.0-2/input0
//   HID_UNIQ=<the device's serial-number string>
//
// HID_NAME and HID_UNIQ carry the device's own strings unfiltered: a device
// can put line breaks and whole "HID_ID=" or "HID_PHYS=" lines into them.
// The kernel itself writes exactly one HID_ID line (first) and one HID_PHYS
// line, so more than one of either means that the device's strings forged
// it, and which one is genuine cannot be told from the text alone.
#pragma once

#include <cstddef>
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
    std::size_t idLines = 0;    // lines that begin with "HID_ID="
    std::size_t physLines = 0;  // lines that begin with "HID_PHYS="
    // The HID_ID when there is exactly one such line and it has the form
    // bbbb:vvvvvvvv:pppppppp; absent otherwise.
    std::optional<HidId> id;
    // The HID_PHYS when there is exactly one such line; empty otherwise, or
    // when the kernel gave none.
    std::string phys;

    // The uevent has the shape the kernel gives every HID device: one HID_ID
    // line and one HID_PHYS line.
    bool WellFormed() const { return idLines == 1 && physLines == 1; }
};

HidUevent ParseHidUevent(std::string_view text);

}  // namespace kelvane::platform::hidraw
