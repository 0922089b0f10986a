#include "core/library_state.h"

#include "core/device_registry.h"

namespace kelvane::core {

LibraryState& State() {
    static LibraryState state;
    return state;
}

void InitLibraryState(std::int32_t vendorId, std::int32_t productId) {
    LibraryState& state = State();
    CloseAllDevices();
    state.connected = false;
    state.vendorId = vendorId;
    state.productId = productId;
    state.currentWrite = platform::kInvalidHandle;
    state.currentRead = platform::kInvalidHandle;
    state.rememberedPassword.fill(0);
    state.deviceCount = 0;
    state.selectedIndex = 0;
    state.firstFound = true;
    state.selectedPath.Clear();
}

}  // namespace kelvane::core
