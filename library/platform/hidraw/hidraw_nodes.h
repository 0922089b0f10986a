// The hidraw class directory: which hidrawN entries are present, in the
// order of their numbers.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvane::platform::hidraw {

struct HidrawNode {
    unsigned number = 0;
    std::string name;  // "hidrawN"
};

// The number of a kernel node name "hidrawN": a decimal number without
// leading zeros. Anything else is not a hidraw node.
std::optional<unsigned> HidrawNodeNumber(std::string_view name);

// The hidrawN entries of the class directory, sorted by number so that
// hidraw2 comes before hidraw10. A missing or unreadable directory lists
// nothing; a listing cut short by a directory read error keeps what it found.
std::vector<HidrawNode> ListHidrawNodes(const std::string& classDir);

}  // namespace kelvane::platform::hidraw
