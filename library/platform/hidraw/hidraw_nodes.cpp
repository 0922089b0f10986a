#include "platform/hidraw/hidraw_nodes.h"

#include <dirent.h>

#include <algorithm>
#include <memory>

namespace kelvane::platform::hidraw {
namespace {

constexpr std::string_view kNodePrefix = "hidraw";
// Nine digits always fit an unsigned int.
constexpr std::size_t kMaxNumberDigits = 9;

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

}  // namespace

std::optional<unsigned> HidrawNodeNumber(std::string_view name) {
    if (!name.starts_with(kNodePrefix)) {
        return std::nullopt;
    }
    const std::string_view digits = name.substr(kNodePrefix.size());
    if (digits.empty() || digits.size() > kMaxNumberDigits ||
        (digits.size() > 1 && digits.front() == '0')) {
        return std::nullopt;
    }
    unsigned number = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        number = number * 10U + static_cast<unsigned>(c - '0');
    }
    return number;
}

std::vector<HidrawNode> ListHidrawNodes(const std::string& classDir) {
    std::vector<HidrawNode> nodes;
    const std::unique_ptr<DIR, DirCloser> dir(::opendir(classDir.c_str()));
    if (!dir) {
        return nodes;
    }
    while (const dirent* entry = ::readdir(dir.get())) {
        if (const auto number = HidrawNodeNumber(entry->d_name)) {
            nodes.push_back(HidrawNode{*number, entry->d_name});
        }
    }
    std::sort(nodes.begin(), nodes.end(),
              [](const HidrawNode& a, const HidrawNode& b) { return a.number < b.number; });
    return nodes;
}

}  // namespace kelvane::platform::hidraw
