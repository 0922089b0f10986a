// The device paths under which enumeration presents hidraw interfaces.
//
// A path names an interface by where it is attached (HID_PHYS, e.g.
// "usb-0000:00:14.0-2/input0"), not by its hidrawN number: when a chip
// resets or is replugged into the same port while the library still holds
// its old node open, the kernel gives it a new number, and the registry must
// still find it under the path it remembers.
//
// The registry folds a path into an earlier entry whose path contains it, so
// the paths of one enumeration must not contain one another:
//  - An interface without HID_PHYS is named by its node, "<devDir>/hidrawN".
//    Node names differ, and "hidrawN" lies inside "hidrawM" only when N is a
//    shorter number than M, which numeric enumeration order lists first.
//  - An interface whose HID_PHYS lies inside another interface's HID_PHYS
//    (the same string, or "…/input1" against "…/input10") gets its node name
//    appended, "<phys> (hidrawN)"; the closing parenthesis keeps hidraw1 and
//    hidraw10 apart. Such a path changes when the node number does.
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
