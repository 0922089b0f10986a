// Exports of the interrupt pin: its mode in either copy of the settings, and
// the clearing of its state at run time.
#include "config/interrupt_mode.h"
#include "config/runtime_settings_request.h"
#include "config/settings_access.h"
#include "kelvane.h"

using namespace kelvane::config;

extern "C" {

KELVANE_API int KELVANE_CALL GetInterruptPinMode(int target) {
    if (!IsGetterTarget(target)) {
        return KELVANE_E_ARGUMENT_1;
    }
    return GetSetting(SourceOf(target), [](const DeviceSettings& s) { return s.interruptMode; });
}

KELVANE_API int KELVANE_CALL SetInterruptPinMode(int target, int mode) {
    if (!IsSetterTarget(target)) {
        return KELVANE_E_ARGUMENT_1;
    }
    if (mode < kFirstSettableInterruptMode || mode > kLastInterruptMode) {
        return KELVANE_E_ARGUMENT_2;
    }
    const auto newMode = static_cast<std::uint8_t>(mode);
    return ApplyToTarget(
        target, [&] { return SetRuntimeSettings(RuntimeGroup::kInterrupt, InterruptModeByte(newMode)); },
        [&] { return UpdateFlashSettings([&](DeviceSettings& s) { s.interruptMode = newMode; }); });
}

KELVANE_API int KELVANE_CALL ClearInterruptPinState(void) {
    return SetRuntimeSettings(RuntimeGroup::kInterrupt, kClearInterruptByte);
}

}  // extern "C"
