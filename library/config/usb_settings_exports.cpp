// Exports of the USB settings kept in flash: identifiers, power source,
// remote wake-up, current requirement and serial-number enumeration.
#include "config/settings_exchanges.h"
#include "core/call_lock.h"
#include "kelvane.h"

using namespace kelvane::config;

namespace {

constexpr unsigned kMinCurrentMa = 100;
constexpr unsigned kMaxCurrentMa = 500;

int GetFlash(auto pick) {
    return GetSetting(SettingsSource::kFlash, pick);
}

}  // namespace

extern "C" {

KELVANE_API long long KELVANE_CALL GetUsbVid(void) {
    const kelvane::core::CallLock lock;
    return GetSetting<long long>(SettingsSource::kFlash, [](const DeviceSettings& s) { return s.vendorId; });
}

KELVANE_API long long KELVANE_CALL GetUsbPid(void) {
    const kelvane::core::CallLock lock;
    return GetSetting<long long>(SettingsSource::kFlash, [](const DeviceSettings& s) { return s.productId; });
}

KELVANE_API int KELVANE_CALL SetUsbVidPid(unsigned short vendorId, unsigned short productId) {
    const kelvane::core::CallLock lock;
    return UpdateFlashSettings([&](DeviceSettings& s) {
        s.vendorId = vendorId;
        s.productId = productId;
    });
}

KELVANE_API int KELVANE_CALL GetUsbPowerSource(void) {
    const kelvane::core::CallLock lock;
    return GetFlash([](const DeviceSettings& s) {
        if ((s.usbAttributes & kAttributeBusPowered) != 0) {
            return 0;
        }
        if ((s.usbAttributes & kAttributeSelfPowered) != 0) {
            return 1;
        }
        return static_cast<int>(KELVANE_E_NO_POWER_SOURCE);
    });
}

KELVANE_API int KELVANE_CALL SetUsbPowerSource(int source) {
    const kelvane::core::CallLock lock;
    if (static_cast<unsigned>(source) > 1) {
        return KELVANE_E_ARGUMENT_1;
    }
    return UpdateFlashSettings([&](DeviceSettings& s) {
        s.usbAttributes = source == 0 ? kAttributeBusPowered : kAttributeSelfPowered;
    });
}

KELVANE_API int KELVANE_CALL GetUsbRemoteWakeupEnable(void) {
    const kelvane::core::CallLock lock;
    return GetFlash([](const DeviceSettings& s) { return (s.usbAttributes & kAttributeRemoteWakeup) != 0 ? 1 : 0; });
}

KELVANE_API int KELVANE_CALL SetUsbRemoteWakeupEnable(unsigned char enable) {
    const kelvane::core::CallLock lock;
    return UpdateFlashSettings([&](DeviceSettings& s) {
        s.usbAttributes = static_cast<std::uint8_t>(enable != 0 ? s.usbAttributes | kAttributeRemoteWakeup
                                                                : s.usbAttributes & ~kAttributeRemoteWakeup);
    });
}

KELVANE_API int KELVANE_CALL GetUsbCurrentRequirement(void) {
    const kelvane::core::CallLock lock;
    return GetFlash([](const DeviceSettings& s) { return s.currentRequirementMa; });
}

KELVANE_API int KELVANE_CALL SetUsbCurrentRequirement(int milliamperes) {
    const kelvane::core::CallLock lock;
    const unsigned current = static_cast<unsigned>(milliamperes);
    if (current < kMinCurrentMa || current > kMaxCurrentMa || current % 2 != 0) {
        return KELVANE_E_ARGUMENT_1;
    }
    return UpdateFlashSettings(
        [&](DeviceSettings& s) { s.currentRequirementMa = static_cast<std::uint16_t>(current); });
}

KELVANE_API int KELVANE_CALL GetSerialNumberEnumerationEnable(void) {
    const kelvane::core::CallLock lock;
    return GetFlash([](const DeviceSettings& s) { return s.serialEnumeration; });
}

KELVANE_API int KELVANE_CALL SetSerialNumberEnumerationEnable(unsigned char enable) {
    const kelvane::core::CallLock lock;
    return UpdateFlashSettings([&](DeviceSettings& s) { s.serialEnumeration = enable; });
}

}  // extern "C"
