#include "platform/hidraw/hidraw_platform.h"

#include <fcntl.h>
#include <unistd.h>

#include <climits>
#include <filesystem>
#include <optional>
#include <system_error>
#include <utility>

#include "platform/hidraw/hardware_id.h"
#include "platform/hidraw/hid_device_name.h"
#include "platform/hidraw/hid_uevent.h"
#include "platform/hidraw/hidraw_nodes.h"
#include "platform/hidraw/interface_paths.h"
#include "platform/hidraw/monotonic_clock.h"
#include "platform/hidraw/report_io.h"
#include "platform/hidraw/sysfs_file.h"

namespace kelvane::platform {
namespace {

int FdOf(DeviceHandle handle) {
    return handle >= 0 && handle <= INT_MAX ? static_cast<int>(handle) : -1;
}

int OpenFlags(OpenMode mode) {
    const int access = mode == OpenMode::kWrite ? O_WRONLY : O_RDONLY;
    return access | O_NONBLOCK | O_CLOEXEC;
}

// What sysfs tells about a node's device.
struct NodeFacts {
    std::optional<std::string> hardwareId;
    std::string phys;
};

// The kernel's name of the HID device behind a node: the last component of
// the directory that the node's "device" link leads to.
std::optional<hidraw::HidDeviceName> DeviceNameOf(const std::string& classDir, const std::string& nodeName) {
    std::error_code error;
    const std::filesystem::path device =
        std::filesystem::canonical(classDir + "/" + nodeName + "/device", error);
    if (error) {
        return std::nullopt;
    }
    return hidraw::ParseHidDeviceName(device.filename().string());
}

bool SameDevice(const hidraw::HidId& id, const hidraw::HidDeviceName& name) {
    return id.bus == name.bus && id.vendor == name.vendor && id.product == name.product;
}

// The identifiers come from the kernel's name of the device, which no string
// of the device can reach; the uevent only confirms them. HID_NAME and
// HID_UNIQ in the uevent carry the device's own strings, which can forge
// whole HID_ID and HID_PHYS lines:
//  - a single HID_ID line must agree with the name, or the interface matches
//    no chip (it is not what it says);
//  - the path is HID_PHYS only from a uevent of the kernel's shape, one
//    HID_ID and one HID_PHYS line; otherwise the interface is named by its
//    node, so that no device can take the place of another.
NodeFacts ReadNodeFacts(const std::string& classDir, const std::string& nodeName) {
    using hidraw::SysfsReadStatus;
    const hidraw::SysfsFile uevent =
        hidraw::ReadSysfsFile(classDir + "/" + nodeName + "/device/uevent");
    switch (uevent.status) {
        case SysfsReadStatus::kFailed:
            // Whether this is a chip cannot be told: no identifier.
            return NodeFacts{};
        case SysfsReadStatus::kAbsent:
            // Not a HID device after all, or gone since the listing.
            return NodeFacts{hidraw::kUnidentifiedHardwareId, {}};
        case SysfsReadStatus::kRead:
            break;
    }
    const hidraw::HidUevent parsed = hidraw::ParseHidUevent(uevent.content);
    std::string phys = parsed.WellFormed() ? parsed.phys : std::string{};
    const std::optional<hidraw::HidDeviceName> name = DeviceNameOf(classDir, nodeName);
    if (!name || (parsed.idLines == 1 && !(parsed.id && SameDevice(*parsed.id, *name)))) {
        return NodeFacts{hidraw::kUnidentifiedHardwareId, std::move(phys)};
    }
    return NodeFacts{hidraw::FormatHardwareId(name->vendor, name->product), std::move(phys)};
}

}  // namespace

HidrawPlatform::NodeOpener HidrawPlatform::SystemOpener() {
    return [](const std::string& nodePath, int flags) { return ::open(nodePath.c_str(), flags); };
}

HidrawPlatform::HidrawPlatform(std::string classDir, std::string devDir, NodeOpener opener)
    : classDir_(std::move(classDir)), devDir_(std::move(devDir)), opener_(std::move(opener)) {}

std::vector<HidInterface> HidrawPlatform::EnumerateInterfaces() {
    const std::vector<hidraw::HidrawNode> nodes = hidraw::ListHidrawNodes(classDir_);
    std::vector<HidInterface> interfaces;
    std::vector<hidraw::PathSource> pathSources;
    interfaces.reserve(nodes.size());
    pathSources.reserve(nodes.size());
    for (const hidraw::HidrawNode& node : nodes) {
        NodeFacts facts = ReadNodeFacts(classDir_, node.name);
        interfaces.push_back(HidInterface{std::move(facts.hardwareId), std::nullopt});
        pathSources.push_back(hidraw::PathSource{node.name, std::move(facts.phys)});
    }
    const std::vector<std::string> paths = hidraw::AssignInterfacePaths(pathSources, devDir_);
    std::unordered_map<std::string, std::string> nodeOfPath;
    for (std::size_t i = 0; i < interfaces.size(); ++i) {
        interfaces[i].path = paths[i];
        nodeOfPath.emplace(paths[i], devDir_ + "/" + nodes[i].name);
    }
    nodeOfPath_ = std::move(nodeOfPath);
    return interfaces;
}

DeviceHandle HidrawPlatform::Open(std::string_view path, OpenMode mode) {
    const auto found = nodeOfPath_.find(std::string(path));
    if (found == nodeOfPath_.end()) {
        return kInvalidHandle;
    }
    const int fd = opener_(found->second, OpenFlags(mode));
    return fd >= 0 ? static_cast<DeviceHandle>(fd) : kInvalidHandle;
}

TransferStatus HidrawPlatform::Write(DeviceHandle handle, const WireReport& report,
                                     std::uint32_t timeoutMs) {
    return hidraw::WriteReport(FdOf(handle), report, timeoutMs);
}

TransferStatus HidrawPlatform::Read(DeviceHandle handle, WireReport& report,
                                    std::uint32_t timeoutMs) {
    return hidraw::ReadReport(FdOf(handle), report, timeoutMs);
}

void HidrawPlatform::DiscardPendingReports(DeviceHandle readHandle) {
    hidraw::DiscardQueuedReports(FdOf(readHandle));
}

void HidrawPlatform::Cancel(DeviceHandle) {}

void HidrawPlatform::Close(DeviceHandle handle) {
    const int fd = FdOf(handle);
    if (fd >= 0) {
        ::close(fd);
    }
}

void HidrawPlatform::SleepMs(std::uint32_t milliseconds) {
    hidraw::SleepForMs(milliseconds);
}

std::uint64_t HidrawPlatform::NowMs() {
    return hidraw::MonotonicNowMs();
}

}  // namespace kelvane::platform
