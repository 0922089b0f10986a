// Exports of the pin functions, as kelvane.h groups them: the GP pin
// configuration (designation, direction, value of all four pins) in the
// runtime settings and in flash; the direction of one GPIO pin; the
// interrupt pin; the DAC and ADC voltage references and the DAC value; the
// clock output pin.
#include <cstdint>

#include "config/settings_exchanges.h"
#include "config/settings_record.h"
#include "core/call_lock.h"
#include "core/status_command.h"
#include "kelvane.h"

using namespace kelvane::config;

// ---- GP pin configuration ---------------------------------------------------

namespace {

constexpr std::uint8_t kMaxWrittenDesignation = 4;

struct PinArrays {
    unsigned char* designation;
    unsigned char* direction;
    unsigned char* value;
};

// A null array gives the code of its argument position (2 to 4).
int CheckArrays(const void* designation, const void* direction, const void* value) {
    if (designation == nullptr) {
        return KELVANE_E_ARGUMENT_2;
    }
    if (direction == nullptr) {
        return KELVANE_E_ARGUMENT_3;
    }
    return value == nullptr ? KELVANE_E_ARGUMENT_4 : KELVANE_SUCCESS;
}

void Store(std::size_t pin, const PinConfig& config, const PinArrays& out) {
    out.designation[pin] = config.designation;
    out.direction[pin] = config.direction;
    out.value[pin] = config.value;
}

int GetFromFlash(const PinArrays& out) {
    PinBytes pins{};
    const int result = ReadFlashGpSettings(pins);
    if (result < 0) {
        return result;
    }
    for (std::size_t pin = 0; pin < kGpPinCount; ++pin) {
        Store(pin, DecodePinByte(pins[pin]), out);
    }
    return result;
}

int GetFromRuntime(const PinArrays& out) {
    DeviceSettings settings;
    const int result = ReadRuntimeSettings(settings);
    if (result < 0) {
        return result;
    }
    for (std::size_t pin = 0; pin < kGpPinCount; ++pin) {
        Store(pin, {settings.gpDesignation[pin], settings.gpDirection[pin], settings.gpValue[pin]}, out);
    }
    return result;
}

// Checks GP0's three entries, then GP1's, and so on; builds the pin bytes.
int BuildPinBytes(const unsigned char* designation, const unsigned char* direction, const unsigned char* value,
                  PinBytes& pins) {
    for (std::size_t pin = 0; pin < kGpPinCount; ++pin) {
        if (designation[pin] > kMaxWrittenDesignation) {
            return KELVANE_E_ARGUMENT_2;
        }
        if (direction[pin] > 1) {
            return KELVANE_E_ARGUMENT_3;
        }
        if (value[pin] > 1) {
            return KELVANE_E_ARGUMENT_4;
        }
        pins[pin] = EncodePinByte({designation[pin], direction[pin], value[pin]});
    }
    return KELVANE_SUCCESS;
}

}  // namespace

extern "C" {

KELVANE_API int KELVANE_CALL GetGpPinConfiguration(int target, unsigned char* designation,
                                                   unsigned char* direction, unsigned char* value) {
    const kelvane::core::CallLock lock;
    if (!IsGetterTarget(target)) {
        return KELVANE_E_ARGUMENT_1;
    }
    if (const int result = CheckArrays(designation, direction, value); result != KELVANE_SUCCESS) {
        return result;
    }
    const PinArrays out{designation, direction, value};
    return target == kTargetFlash ? GetFromFlash(out) : GetFromRuntime(out);
}

KELVANE_API int KELVANE_CALL SetGpPinConfiguration(int target, const unsigned char* designation,
                                                   const unsigned char* direction, const unsigned char* value) {
    const kelvane::core::CallLock lock;
    if (!IsSetterTarget(target)) {
        return KELVANE_E_ARGUMENT_1;
    }
    if (const int result = CheckArrays(designation, direction, value); result != KELVANE_SUCCESS) {
        return result;
    }
    PinBytes pins{};
    if (const int result = BuildPinBytes(designation, direction, value, pins); result != KELVANE_SUCCESS) {
        return result;
    }
    return ApplyToTarget(
        target, [&] { return SetRuntimeGpPins(pins); }, [&] { return WriteFlashGpSettings(pins); });
}

}  // extern "C"

// ---- Direction of one GPIO pin ----------------------------------------------
// The direction exports reach the power-up configuration too: target 1 reads
// or changes the direction bit of the pin in the flash GP block (a
// read-modify-write that keeps every other pin byte and bit as read), target
// 2 changes the runtime direction first and then the flash copy. A getter
// reads one copy, so GetGpPinDirection refuses target 2 with -201 like every
// other getter.

namespace {

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

KELVANE_API int KELVANE_CALL GetGpPinDirection(int target, unsigned char pin) {
    const kelvane::core::CallLock lock;
    if (!IsGetterTarget(target)) {
        return KELVANE_E_ARGUMENT_1;
    }
    if (pin > kLastPin) {
        return KELVANE_E_ARGUMENT_2;
    }
    return target == kTargetFlash ? GetPowerUpDirection(pin) : GetRuntimeDirection(pin);
}

KELVANE_API int KELVANE_CALL SetGpPinDirection(int target, unsigned char pin, unsigned char direction) {
    const kelvane::core::CallLock lock;
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

// ---- Interrupt pin ----------------------------------------------------------
// Its mode in either copy of the settings, and the clearing of its state at
// run time.

extern "C" {

KELVANE_API int KELVANE_CALL GetInterruptPinMode(int target) {
    const kelvane::core::CallLock lock;
    if (!IsGetterTarget(target)) {
        return KELVANE_E_ARGUMENT_1;
    }
    return GetSetting(SourceOf(target), [](const DeviceSettings& s) { return s.interruptMode; });
}

KELVANE_API int KELVANE_CALL SetInterruptPinMode(int target, int mode) {
    const kelvane::core::CallLock lock;
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
    const kelvane::core::CallLock lock;
    return SetRuntimeSettings(RuntimeGroup::kInterrupt, kClearInterruptByte);
}

}  // extern "C"

// ---- Voltage references and DAC value ---------------------------------------
// They act on the runtime settings only; flash writes carry the flash copies
// back unchanged. The getters decode the field even when the chip reports a
// non-zero status, and return only failures of the exchange itself.

namespace {

constexpr unsigned kMaxDacValue = 31;

// Reads the runtime settings; a negative result is returned, a chip status
// passed over.
template <typename Pick>
int GetAnalog(Pick pick) {
    DeviceSettings settings;
    const int result = ReadRuntimeSettings(settings);
    if (result < 0) {
        return result;
    }
    return pick(settings);
}

int SetReference(RuntimeGroup group, int reference) {
    if (static_cast<unsigned>(reference) >= kReferenceCount) {
        return KELVANE_E_ARGUMENT_1;
    }
    return SetRuntimeSettings(group, EncodeReferenceSelector(static_cast<std::uint8_t>(reference)));
}

}  // namespace

extern "C" {

KELVANE_API int KELVANE_CALL GetDacVoltageReference(void) {
    const kelvane::core::CallLock lock;
    return GetAnalog([](const DeviceSettings& s) { return DecodeReferenceSelector(s.dacReference); });
}

KELVANE_API int KELVANE_CALL SetDacVoltageReference(int reference) {
    const kelvane::core::CallLock lock;
    return SetReference(RuntimeGroup::kDacReference, reference);
}

KELVANE_API int KELVANE_CALL GetDacValue(void) {
    const kelvane::core::CallLock lock;
    return GetAnalog([](const DeviceSettings& s) { return static_cast<int>(s.dacValue); });
}

KELVANE_API int KELVANE_CALL SetDacValue(int value) {
    const kelvane::core::CallLock lock;
    if (static_cast<unsigned>(value) > kMaxDacValue) {
        return KELVANE_E_ARGUMENT_1;
    }
    return SetRuntimeSettings(RuntimeGroup::kDacValue, static_cast<std::uint8_t>(value));
}

KELVANE_API int KELVANE_CALL GetAdcVoltageReference(void) {
    const kelvane::core::CallLock lock;
    return GetAnalog([](const DeviceSettings& s) { return DecodeReferenceSelector(s.adcReference); });
}

KELVANE_API int KELVANE_CALL SetAdcVoltageReference(int reference) {
    const kelvane::core::CallLock lock;
    return SetReference(RuntimeGroup::kAdcReference, reference);
}

}  // extern "C"

// ---- Clock output pin -------------------------------------------------------
// Divider and duty-cycle codes in either copy of the settings.

namespace {

constexpr int kMinDivider = 1;
constexpr int kMaxDivider = 7;
constexpr unsigned kMaxDutyCycle = 3;

int GetClockField(int target, std::uint8_t DeviceSettings::*field) {
    if (!IsGetterTarget(target)) {
        return KELVANE_E_ARGUMENT_1;
    }
    return GetSetting(SourceOf(target), [field](const DeviceSettings& s) { return s.*field; });
}

// The chip must answer a status command before its clock output is changed.
int CheckChipAnswers() {
    kelvane::core::ChipStatus status;
    kelvane::core::ChipVersions versions{};
    return kelvane::core::StatusCommand(kelvane::core::Cancel::kNo, status, versions, nullptr);
}

}  // namespace

extern "C" {

KELVANE_API int KELVANE_CALL GetClockPinDividerValue(int target) {
    const kelvane::core::CallLock lock;
    return GetClockField(target, &DeviceSettings::clockDivider);
}

KELVANE_API int KELVANE_CALL GetClockPinDutyCycle(int target) {
    const kelvane::core::CallLock lock;
    return GetClockField(target, &DeviceSettings::clockDutyCycle);
}

KELVANE_API int KELVANE_CALL SetClockPinConfiguration(int target, int divider, int dutyCycle) {
    const kelvane::core::CallLock lock;
    if (!IsSetterTarget(target)) {
        return KELVANE_E_ARGUMENT_1;
    }
    if (const int result = CheckChipAnswers(); result != KELVANE_SUCCESS) {
        return result;
    }
    if (divider < kMinDivider || divider > kMaxDivider) {
        return KELVANE_E_ARGUMENT_2;
    }
    if (static_cast<unsigned>(dutyCycle) > kMaxDutyCycle) {
        return KELVANE_E_ARGUMENT_3;
    }
    const auto newDivider = static_cast<std::uint8_t>(divider);
    const auto newDutyCycle = static_cast<std::uint8_t>(dutyCycle);
    return ApplyToTarget(
        target,
        [&] {
            return SetRuntimeSettings(RuntimeGroup::kClockOutput,
                                      static_cast<std::uint8_t>(newDutyCycle * 8 + newDivider));
        },
        [&] {
            return UpdateFlashSettings([&](DeviceSettings& s) {
                s.clockDivider = newDivider;
                s.clockDutyCycle = newDutyCycle;
            });
        });
}

}  // extern "C"
