// The device paths under which enumeration presents hidraw interfaces.
//
// A path names an interface by where it is attached (HID_PHYS, e.g.
// "usb-0000:00:14.0-2/input0"), not by its hidrawN number: when a chip
// resets or is replugged into the same port while the library still holds
// its old node open, the kernel gives it a new number, and the registry must
// still find it under the path it remembers.
//
// The registry folds two interfaces of one enumeration into one entry when
// their paths are equal, so the paths of one enumeration must all differ:
//  - An interface without HID_PHYS is named by its node, "<devDir>/hidrawN".
//    So is one whose uevent repeats the HID_ID or HID_PHYS line: only a
//    device's own strings can add such lines, and a place claimed that way
//    is not trusted. Such a path does not survive a re-enumeration.
//  - Interfaces that share a HID_PHYS (Bluetooth devices behind one adapter,
//    for instance) get their node name appended, "<phys> (hidrawN)". Such a
//    path changes when the node number does.
#pragma once

#include <string>
#include <vector>

namespace kelvane::platform::hidraw {

struct PathSource {
    std::string nodeName;  // "hidrawN"
    std::string phys;      // HID_PHYS, empty when unknown
};

// One path per source, in the same order.
std::vector<std::string> AssignInterfacePaths(const std::vector<PathSource>& sources,
                                              const std::string& devDir);

}  // namespace kelvane::platform::hidraw
