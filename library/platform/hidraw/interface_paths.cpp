#include "platform/hidraw/interface_paths.h"

namespace kelvane::platform::hidraw {
namespace {

// Whether another source carries the same HID_PHYS as sources[index].
bool PhysIsAmbiguous(const std::vector<PathSource>& sources, std::size_t index) {
    const std::string& phys = sources[index].phys;
    for (std::size_t other = 0; other < sources.size(); ++other) {
        if (other != index && sources[other].phys == phys) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::vector<std::string> AssignInterfacePaths(const std::vector<PathSource>& sources,
                                              const std::string& devDir) {
    std::vector<std::string> paths;
    paths.reserve(sources.size());
    for (std::size_t i = 0; i < sources.size(); ++i) {
        const PathSource& source = sources[i];
        if (source.phys.empty()) {
            paths.push_back(devDir + "/" + source.nodeName);
        } else if (PhysIsAmbiguous(sources, i)) {
            paths.push_back(source.phys + " (" + source.nodeName + ")");
        } else {
            paths.push_back(source.phys);
        }
    }
    return paths;
}

}  // namespace kelvane::platform::hidraw
