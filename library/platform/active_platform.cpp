// The platform the library uses, and the defaults of the interface.
#include "platform/platform.h"

namespace kelvane::platform {
namespace {
Platform* g_installed = nullptr;
}  // namespace

LockStatus Platform::LockDevice(DeviceHandle handle, std::uint32_t /*waitMs*/) {
    return handle == kInvalidHandle ? LockStatus::kFailed : LockStatus::kAcquired;
}

void Platform::UnlockDevice(DeviceHandle /*handle*/) {}

Platform& ActivePlatform() {
    return g_installed != nullptr ? *g_installed : DefaultPlatform();
}

void SetActivePlatform(Platform* platform) {
    g_installed = platform;
}

}  // namespace kelvane::platform
