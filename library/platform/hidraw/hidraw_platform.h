// The platform layer over Linux hidraw: HID interfaces found under the
// hidraw class directory of sysfs, reports moved through their /dev nodes.
#pragma once

#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/hidraw/node_lock.h"
#include "platform/platform.h"

namespace kelvane::platform {

class HidrawPlatform final : public Platform {
public:
    // Opens a device node with open(2) flags; returns a file descriptor, or
    // -1 on failure.
    using NodeOpener = std::function<int(const std::string& nodePath, int flags)>;

    static NodeOpener SystemOpener();

    // locker: flock(2), or a test's stand-in for it.
    explicit HidrawPlatform(std::string classDir = "/sys/class/hidraw",
                            std::string devDir = "/dev",
                            NodeOpener opener = SystemOpener(),
                            hidraw::NodeLocker locker = hidraw::SystemLocker());

    // Every hidrawN of the class directory, by number. For each, the hardware
    // identifier comes from the kernel's name of its HID device,
    // BBBB:VVVV:PPPP.NNNN (where the node's "device" link leads), provided
    // that the HID_ID of the device's uevent, when it has exactly one,
    // agrees. A name of another form, a disagreeing HID_ID or a missing
    // uevent yields an identifier that matches no chip; a uevent that is
    // there but cannot be read yields none. The path is the uevent's
    // HID_PHYS only when the uevent has one HID_ID and one HID_PHYS line
    // (see identity.h). The instance is the node under the kernel's name of
    // its device, "BBBB:VVVV:PPPP.NNNN/hidrawN", which changes at every
    // re-enumeration. Remembers which node carries each path, for Open.
    std::vector<HidInterface> EnumerateInterfaces() override;

    // Opens the node that carried the path at the last enumeration,
    // non-blocking. kInvalidHandle for a path that enumeration did not list.
    DeviceHandle Open(std::string_view path, OpenMode mode) override;

    // The node reports neither a hang-up nor an error (see
    // hidraw::NodeStillThere).
    bool StillReaches(DeviceHandle handle) override;

    // flock(LOCK_EX) on the node behind the handle (see node_lock.h).
    LockStatus LockDevice(DeviceHandle handle, std::uint32_t waitMs) override;
    void UnlockDevice(DeviceHandle handle) override;

    TransferStatus Write(DeviceHandle handle, const WireReport& report,
                         std::uint32_t timeoutMs) override;
    TransferStatus Read(DeviceHandle handle, WireReport& report,
                        std::uint32_t timeoutMs) override;
    // Non-blocking reads until the node's queue is empty, at most the 64
    // reports the kernel queues per open file.
    void DiscardPendingReports(DeviceHandle readHandle) override;

    // hidraw transfers do not outlive the call that made them: a read that
    // timed out has consumed nothing and a write has finished or failed in
    // the kernel. There is nothing to cancel.
    void Cancel(DeviceHandle handle) override;
    void Close(DeviceHandle handle) override;

    void SleepMs(std::uint32_t milliseconds) override;
    std::uint64_t NowMs() override;

private:
    std::string classDir_;
    std::string devDir_;
    NodeOpener opener_;
    hidraw::NodeLocker locker_;
    // Path of the last enumeration -> device node that carried it.
    std::unordered_map<std::string, std::string> nodeOfPath_;
};

}  // namespace kelvane::platform
