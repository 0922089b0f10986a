#include "core/call_lock.h"

#include <mutex>

#include "kelvane.h"

namespace kelvane::core {
namespace {

std::mutex& LibraryMutex() {
    static std::mutex mutex;
    return mutex;
}

// The write handle through which the current call holds the chip's lock;
// only touched under the library mutex.
platform::DeviceHandle g_heldThrough = platform::kInvalidHandle;
std::uint32_t g_waitLimitMs = kChipWaitLimitMs;

}  // namespace

CallLock::CallLock() {
    LibraryMutex().lock();
}

CallLock::~CallLock() {
    ReleaseChipHeldBy(g_heldThrough);
    LibraryMutex().unlock();
}

int HoldChip(platform::DeviceHandle writeHandle) {
    if (writeHandle == g_heldThrough && writeHandle != platform::kInvalidHandle) {
        return KELVANE_SUCCESS;
    }
    platform::Platform& platform = platform::ActivePlatform();
    ReleaseChipHeldBy(g_heldThrough);  // a lock on a handle the call no longer uses
    switch (platform.LockDevice(writeHandle, g_waitLimitMs)) {
        case platform::LockStatus::kAcquired:
            g_heldThrough = writeHandle;
            return KELVANE_SUCCESS;
        case platform::LockStatus::kBusy:
            return KELVANE_E_CHIP_BUSY;
        case platform::LockStatus::kFailed:
            break;
    }
    return KELVANE_E_WRITE_FAILED;
}

void ReleaseChipHeldBy(platform::DeviceHandle handle) {
    if (handle == platform::kInvalidHandle || handle != g_heldThrough) {
        return;
    }
    g_heldThrough = platform::kInvalidHandle;
    platform::ActivePlatform().UnlockDevice(handle);
}

std::uint32_t ChipWaitLimitMs() {
    return g_waitLimitMs;
}

void SetChipWaitLimitMs(std::uint32_t milliseconds) {
    g_waitLimitMs = milliseconds;
}

}  // namespace kelvane::core
