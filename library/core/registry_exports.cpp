// Exports of initialisation, connection and device selection.
#include <cstring>

#include "core/call_lock.h"
#include "core/device_registry.h"
#include "core/library_state.h"
#include "kelvane.h"

using namespace kelvane::core;

extern "C" {

KELVANE_API int KELVANE_CALL DllInitCustom(int vendorId, int productId) {
    const kelvane::core::CallLock lock;
    InitLibraryState(vendorId, productId);
    return KELVANE_SUCCESS;
}

KELVANE_API int KELVANE_CALL DllInit(void) {
    const kelvane::core::CallLock lock;
    InitLibraryState(KELVANE_DEFAULT_VID, KELVANE_DEFAULT_PID);
    return KELVANE_SUCCESS;
}

KELVANE_API void KELVANE_CALL DllCleanUp(void) {
    const kelvane::core::CallLock lock;
}

KELVANE_API unsigned char KELVANE_CALL GetConnectionStatus(void) {
    const kelvane::core::CallLock lock;
    return ScanDevices() ? 1 : 0;
}

KELVANE_API int KELVANE_CALL GetDevCount(void) {
    const kelvane::core::CallLock lock;
    return State().deviceCount;
}

KELVANE_API int KELVANE_CALL GetSelectedDevNumber(void) {
    const kelvane::core::CallLock lock;
    return State().selectedIndex;
}

KELVANE_API int KELVANE_CALL GetSelectedDevInfo(char* buffer) {
    const kelvane::core::CallLock lock;
    if (buffer == nullptr) {
        return KELVANE_E_ARGUMENT_1;
    }
    // The path slot holds at most 255 bytes and a terminator: it fits the
    // caller's 256 bytes whole.
    const DevicePath& path = State().selectedPath;
    std::memcpy(buffer, path.CStr(), path.View().size() + 1);
    return KELVANE_SUCCESS;
}

KELVANE_API int KELVANE_CALL SelectDev(unsigned int index) {
    const kelvane::core::CallLock lock;
    return SelectDevice(index);
}

}  // extern "C"
