// Exports of the DAC and ADC voltage references and the DAC value. They act
// on the runtime settings only; flash writes carry the flash copies back
// unchanged. The getters decode the field even when the chip reports a
// non-zero status, and return only failures of the exchange itself.
#include "config/reference_selector.h"
#include "config/runtime_settings_request.h"
#include "config/settings_access.h"
#include "kelvane.h"

using namespace kelvane::config;

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
    return GetAnalog([](const DeviceSettings& s) { return DecodeReferenceSelector(s.dacReference); });
}

KELVANE_API int KELVANE_CALL SetDacVoltageReference(int reference) {
    return SetReference(RuntimeGroup::kDacReference, reference);
}

KELVANE_API int KELVANE_CALL GetDacValue(void) {
    return GetAnalog([](const DeviceSettings& s) { return static_cast<int>(s.dacValue); });
}

KELVANE_API int KELVANE_CALL SetDacValue(int value) {
    if (static_cast<unsigned>(value) > kMaxDacValue) {
        return KELVANE_E_ARGUMENT_1;
    }
    return SetRuntimeSettings(RuntimeGroup::kDacValue, static_cast<std::uint8_t>(value));
}

KELVANE_API int KELVANE_CALL GetAdcVoltageReference(void) {
    return GetAnalog([](const DeviceSettings& s) { return DecodeReferenceSelector(s.adcReference); });
}

KELVANE_API int KELVANE_CALL SetAdcVoltageReference(int reference) {
    return SetReference(RuntimeGroup::kAdcReference, reference);
}

}  // extern "C"
