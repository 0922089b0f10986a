// Exports of the clock output pin: divider and duty-cycle codes in either
// copy of the settings.
#include "config/runtime_settings_request.h"
#include "config/settings_access.h"
#include "core/status_command.h"
#include "kelvane.h"

using namespace kelvane::config;

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
    return GetClockField(target, &DeviceSettings::clockDivider);
}

KELVANE_API int KELVANE_CALL GetClockPinDutyCycle(int target) {
    return GetClockField(target, &DeviceSettings::clockDutyCycle);
}

KELVANE_API int KELVANE_CALL SetClockPinConfiguration(int target, int divider, int dutyCycle) {
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
