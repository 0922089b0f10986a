// Exports of initialisation, connection and device selection.
#include <cstring>

#include "core/device_registry.h"
#include "core/library_state.h"
#include "kelvane.h"

using namespace kelvane::core;

extern "C" {

KELVANE_API int KELVANE_CALL DllInitCustom(int vendorId, int productId) {
    InitLibraryState(vendorId, productId);
    return KELVANE_SUCCESS;
}

KELVANE_API int KELVANE_CALL DllInit(void) {
    InitLibraryState(KELVANE_DEFAULT_VID, KELVANE_DEFAULT_PID);
    return KELVANE_SUCCESS;
}

KELVANE_API void KELVANE_CALL DllCleanUp(void) {}

KELVANE_API unsigned char KELVANE_CALL GetConnectionStatus(void) {
    return ScanDevices() ? 1 : 0;
}

KELVANE_API int KELVANE_CALL GetDevCount(void) {
    return State().deviceCount;
}

KELVANE_API int KELVANE_CALL GetSelectedDevNumber(void) {
    return State().selectedIndex;
}

KELVANE_API int KELVANE_CALL GetSelectedDevInfo(char* buffer) {
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
    return SelectDevice(index);
}

}  // extern "C"
