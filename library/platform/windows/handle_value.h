// A device handle of the platform layer is the value of a Windows HANDLE.
// kInvalidHandle (-1) is INVALID_HANDLE_VALUE, what CreateFileW returns on
// failure.
#pragma once

#include "platform/platform.h"
#include "platform/windows/win32.h"

namespace kelvane::platform::windows {

inline HANDLE ToHandle(DeviceHandle handle) {
    return reinterpret_cast<HANDLE>(handle);
}

inline DeviceHandle FromHandle(HANDLE handle) {
    return reinterpret_cast<DeviceHandle>(handle);
}

// Neither INVALID_HANDLE_VALUE nor the null handle: worth giving to a call.
inline bool IsUsable(HANDLE handle) {
    return handle != INVALID_HANDLE_VALUE && handle != nullptr;
}

static_assert(sizeof(DeviceHandle) == sizeof(HANDLE));

}  // namespace kelvane::platform::windows
