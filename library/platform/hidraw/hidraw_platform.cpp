#include "platform/hidraw/hidraw_platform.h"

#include <fcntl.h>
#include <unistd.h>

#include <climits>
#include <utility>

#include "platform/hidraw/identity.h"
#include "platform/hidraw/node_lock.h"
#include "platform/hidraw/report_io.h"

namespace kelvane::platform {
namespace {

int FdOf(DeviceHandle handle) {
    return handle >= 0 && handle <= INT_MAX ? static_cast<int>(handle) : -1;
}

int OpenFlags(OpenMode mode) {
    const int access = mode == OpenMode::kWrite ? O_WRONLY : O_RDONLY;
    return access | O_NONBLOCK | O_CLOEXEC;
}

}  // namespace

HidrawPlatform::NodeOpener HidrawPlatform::SystemOpener() {
    return [](const std::string& nodePath, int flags) { return ::open(nodePath.c_str(), flags); };
}

HidrawPlatform::HidrawPlatform(std::string classDir, std::string devDir, NodeOpener opener,
                               hidraw::NodeLocker locker)
    : classDir_(std::move(classDir)),
      devDir_(std::move(devDir)),
      opener_(std::move(opener)),
      locker_(std::move(locker)) {}

std::vector<HidInterface> HidrawPlatform::EnumerateInterfaces() {
    const std::vector<hidraw::HidrawNode> nodes = hidraw::ListHidrawNodes(classDir_);
    std::vector<HidInterface> interfaces;
    std::vector<hidraw::PathSource> pathSources;
    interfaces.reserve(nodes.size());
    pathSources.reserve(nodes.size());
    for (const hidraw::HidrawNode& node : nodes) {
        hidraw::NodeFacts facts = hidraw::ReadNodeFacts(classDir_, node.name);
        interfaces.push_back(HidInterface{std::move(facts.hardwareId), std::nullopt, std::move(facts.instance)});
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

bool HidrawPlatform::StillReaches(DeviceHandle handle) {
    return hidraw::NodeStillThere(FdOf(handle));
}

LockStatus HidrawPlatform::LockDevice(DeviceHandle handle, std::uint32_t waitMs) {
    return hidraw::LockNode(FdOf(handle), waitMs, locker_);
}

void HidrawPlatform::UnlockDevice(DeviceHandle handle) {
    hidraw::UnlockNode(FdOf(handle), locker_);
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
