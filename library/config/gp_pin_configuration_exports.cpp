// Exports of the GP pin configuration (designation, direction, value of all
// four pins) in the runtime settings and in flash.
#include "config/gp_settings_exchange.h"
#include "config/pin_byte.h"
#include "config/runtime_settings_request.h"
#include "config/settings_access.h"
#include "config/settings_target.h"
#include "kelvane.h"

using namespace kelvane::config;

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
