// Exports of the GPIO pins: one pin's value and direction at a time.
#include "config/settings_exchanges.h"
#include "config/settings_record.h"
#include "core/call_lock.h"
#include "kelvane.h"

using namespace kelvane::config;

extern "C" {

KELVANE_API int KELVANE_CALL ReadGpioPinValue(unsigned char pin) {
    const kelvane::core::CallLock lock;
    if (pin > kLastPin) {
        return KELVANE_E_ARGUMENT_1;
    }
    PinArray values{};
    if (const int result = GetGpioValues(nullptr, &values); result != KELVANE_SUCCESS) {
        return result;
    }
    if (values[pin] == kNotGpioValue) {
        return KELVANE_E_NOT_GPIO;
    }
    return values[pin];
}

KELVANE_API int KELVANE_CALL WriteGpioPinValue(unsigned char pin, unsigned char value) {
    const kelvane::core::CallLock lock;
    if (pin > kLastPin) {
        return KELVANE_E_ARGUMENT_1;
    }
    if (value > 1) {
        return KELVANE_E_ARGUMENT_2;
    }
    GpioChange change;
    change.changeValue[pin] = 1;
    change.values[pin] = value;
    return SetGpioValues(change);
}

}  // extern "C"
