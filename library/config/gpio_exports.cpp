// Exports of the GPIO pins: one pin's value and direction at a time.
//
// The direction exports reach the power-up configuration too: target 1 reads
// or changes the direction bit of the pin in the flash GP block (a
// read-modify-write that keeps every other pin byte and bit as read), target
// 2 changes the runtime direction first and then the flash copy. A getter
// reads one copy, so GetGpPinDirection refuses target 2 with -201 like every
// other getter.
#include "config/gp_settings_exchange.h"
#include "config/gpio_exchange.h"
#include "config/pin_byte.h"
#include "config/settings_target.h"
#include "kelvane.h"

using namespace kelvane::config;

namespace {

constexpr unsigned char kLastPin = 3;

int GetRuntimeDirection(unsigned char pin) {
    PinArray directions{};
    if (const int result = GetGpioValues(&directions, nullptr); result != KELVANE_SUCCESS) {
        return result;
    }
    if (directions[pin] == kNotGpioDirection) {
        return KELVANE_E_NOT_GPIO;
    }
    return directions[pin];
}

int GetPowerUpDirection(unsigned char pin) {
    PinBytes pins{};
    if (const int result = ReadFlashGpSettings(pins); result != KELVANE_SUCCESS) {
        return result;
    }
    const PinConfig config = DecodePinByte(pins[pin]);
    if (config.designation != 0) {
        return KELVANE_E_NOT_GPIO;
    }
    return config.direction;
}

int SetRuntimeDirection(unsigned char pin, unsigned char direction) {
    GpioChange change;
    change.changeDirection[pin] = 1;
    change.directions[pin] = direction;
    return SetGpioValues(change);
}

int SetPowerUpDirection(unsigned char pin, unsigned char direction) {
    PinBytes pins{};
    if (const int result = ReadFlashGpSettings(pins); result != KELVANE_SUCCESS) {
        return result;
    }
    pins[pin] = static_cast<std::uint8_t>(direction != 0 ? pins[pin] | kPinDirectionBit
                                                         : pins[pin] & ~kPinDirectionBit);
    return WriteFlashGpSettings(pins);
}

}  // namespace

extern "C" {

KELVANE_API int KELVANE_CALL ReadGpioPinValue(unsigned char pin) {
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

KELVANE_API int KELVANE_CALL GetGpPinDirection(int target, unsigned char pin) {
    if (!IsGetterTarget(target)) {
        return KELVANE_E_ARGUMENT_1;
    }
    if (pin > kLastPin) {
        return KELVANE_E_ARGUMENT_2;
    }
    return target == kTargetFlash ? GetPowerUpDirection(pin) : GetRuntimeDirection(pin);
}

KELVANE_API int KELVANE_CALL SetGpPinDirection(int target, unsigned char pin, unsigned char direction) {
    if (!IsSetterTarget(target)) {
        return KELVANE_E_ARGUMENT_1;
    }
    if (pin > kLastPin) {
        return KELVANE_E_ARGUMENT_2;
    }
    if (direction > 1) {
        return KELVANE_E_ARGUMENT_3;
    }
    return ApplyToTarget(
        target, [&] { return SetRuntimeDirection(pin, direction); },
        [&] { return SetPowerUpDirection(pin, direction); });
}

}  // extern "C"
