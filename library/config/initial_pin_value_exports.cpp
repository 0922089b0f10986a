// Exports of the power-up values of the dedicated pin functions (LED UART
// TX, LED UART RX, LED I2C, SSPND, USBCFG), kept in flash.
#include <cstdint>

#include "config/settings_exchanges.h"
#include "core/call_lock.h"
#include "kelvane.h"

using namespace kelvane::config;

namespace {

using Field = std::uint8_t DeviceSettings::*;

int GetInitial(Field field) {
    return GetSetting(SettingsSource::kFlash, [field](const DeviceSettings& s) { return s.*field; });
}

int SetInitial(Field field, int value) {
    if (static_cast<unsigned>(value) > 1) {
        return KELVANE_E_ARGUMENT_1;
    }
    return UpdateFlashSettings([&](DeviceSettings& s) { s.*field = static_cast<std::uint8_t>(value); });
}

}  // namespace

extern "C" {

KELVANE_API int KELVANE_CALL GetInitialPinValueLedUartTx(void) {
    const kelvane::core::CallLock lock;
    return GetInitial(&DeviceSettings::ledUartTxInitial);
}

KELVANE_API int KELVANE_CALL SetInitialPinValueLedUartTx(int value) {
    const kelvane::core::CallLock lock;
    return SetInitial(&DeviceSettings::ledUartTxInitial, value);
}

KELVANE_API int KELVANE_CALL GetInitialPinValueLedUartRx(void) {
    const kelvane::core::CallLock lock;
    return GetInitial(&DeviceSettings::ledUartRxInitial);
}

KELVANE_API int KELVANE_CALL SetInitialPinValueLedUartRx(int value) {
    const kelvane::core::CallLock lock;
    return SetInitial(&DeviceSettings::ledUartRxInitial, value);
}

KELVANE_API int KELVANE_CALL GetInitialPinValueLedI2c(void) {
    const kelvane::core::CallLock lock;
    return GetInitial(&DeviceSettings::ledI2cInitial);
}

KELVANE_API int KELVANE_CALL SetInitialPinValueLedI2c(int value) {
    const kelvane::core::CallLock lock;
    return SetInitial(&DeviceSettings::ledI2cInitial, value);
}

KELVANE_API int KELVANE_CALL GetInitialPinValueSspnd(void) {
    const kelvane::core::CallLock lock;
    return GetInitial(&DeviceSettings::sspndInitial);
}

KELVANE_API int KELVANE_CALL SetInitialPinValueSspnd(int value) {
    const kelvane::core::CallLock lock;
    return SetInitial(&DeviceSettings::sspndInitial, value);
}

KELVANE_API int KELVANE_CALL GetInitialPinValueUsbcfg(void) {
    const kelvane::core::CallLock lock;
    return GetInitial(&DeviceSettings::usbcfgInitial);
}

KELVANE_API int KELVANE_CALL SetInitialPinValueUsbcfg(int value) {
    const kelvane::core::CallLock lock;
    return SetInitial(&DeviceSettings::usbcfgInitial, value);
}

}  // extern "C"
