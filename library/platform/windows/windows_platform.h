// The platform layer over the Windows HID class: interfaces listed by
// SetupAPI, devices opened with CreateFileW for overlapped I/O, reports moved
// by an OverlappedChannel, pauses by Pause, time from the performance
// counter.
#pragma once

#include <vector>

#include "platform/platform.h"
#include "platform/windows/clock.h"
#include "platform/windows/device_mutex.h"
#include "platform/windows/hid_enumeration.h"
#include "platform/windows/overlapped_channel.h"

namespace kelvane::platform {

class WindowsPlatform final : public Platform {
public:
    // setupApi: the SetupAPI to list interfaces with. highResolutionPauses:
    // whether pauses may use a high-resolution waitable timer.
    explicit WindowsPlatform(const windows::SetupApi& setupApi = windows::SystemSetupApi(),
                             bool highResolutionPauses = true);

    // The present HID interfaces, in the system's order (see
    // hid_enumeration.h). Paths are UTF-8.
    std::vector<HidInterface> EnumerateInterfaces() override;

    // CreateFileW on the path converted back to UTF-16: GENERIC_WRITE or
    // GENERIC_READ, shared for reading and writing, an existing device only,
    // FILE_FLAG_OVERLAPPED. kInvalidHandle when it fails, and for a path that
    // is not well-formed UTF-8 or holds a NUL (it would name another file).
    DeviceHandle Open(std::string_view path, OpenMode mode) override;

    // Enumeration gives no instance (a device that re-enumerates in the same
    // place keeps its interface path), so the handle itself is asked:
    // HidD_GetAttributes, which the HID class driver answers from what it
    // holds, without a transfer on the bus. It fails once the device behind
    // the handle has been removed, and on a handle that is not a HID
    // collection.
    bool StillReaches(DeviceHandle handle) override;

    // The device's named mutex (see device_mutex.h), on a write handle.
    LockStatus LockDevice(DeviceHandle handle, std::uint32_t waitMs) override;
    void UnlockDevice(DeviceHandle handle) override;

    TransferStatus Write(DeviceHandle handle, const WireReport& report,
                         std::uint32_t timeoutMs) override;
    TransferStatus Read(DeviceHandle handle, WireReport& report,
                        std::uint32_t timeoutMs) override;
    // Cancels the transfer that a time-out left pending on the handle and
    // waits for it to end.
    void Cancel(DeviceHandle handle) override;
    void Close(DeviceHandle handle) override;
    // HidD_FlushQueue, else reads that do not wait, bounded by the handle's
    // input queue (see OverlappedChannel::DiscardPendingReports).
    void DiscardPendingReports(DeviceHandle readHandle) override;

    void SleepMs(std::uint32_t milliseconds) override;
    std::uint64_t NowMs() override;

    windows::Pause::Timer PauseTimer() const { return pause_.TimerInUse(); }

private:
    windows::SetupApi setupApi_;
    windows::OverlappedChannel channel_;
    windows::DeviceMutexes mutexes_;
    windows::Pause pause_;
};

}  // namespace kelvane::platform
