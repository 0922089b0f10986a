// The two ways the exports use the settings record: a getter reads one copy
// and picks a field; a flash setter reads the flash block, changes some
// fields and writes the whole block back with the remembered password.
#pragma once

#include "config/chip_settings_layout.h"
#include "config/device_settings.h"
#include "config/settings_exchange.h"
#include "config/settings_target.h"
#include "kelvane.h"

namespace kelvane::config {

// The copy a getter's target reads: 0 the runtime settings, 1 flash.
constexpr SettingsSource SourceOf(int getterTarget) {
    return getterTarget == kTargetFlash ? SettingsSource::kFlash : SettingsSource::kRuntime;
}

// Reads one copy of the settings; the reader's result.
inline int ReadSettings(SettingsSource source, DeviceSettings& settings) {
    return source == SettingsSource::kFlash ? ReadFlashChipSettings(settings) : ReadRuntimeSettings(settings);
}

// The getter rule: the reader's result when it is not 0 (a failure or the
// chip's status byte), else the field that `pick` takes from the record.
template <typename Result = int, typename Pick>
Result GetSetting(SettingsSource source, Pick pick) {
    DeviceSettings settings;
    const int result = ReadSettings(source, settings);
    if (result != KELVANE_SUCCESS) {
        return result;
    }
    return static_cast<Result>(pick(settings));
}

// Read-modify-write of the flash chip settings: `edit` changes the record
// read a moment before, every other field goes back as read. A failed or
// refused read stops before anything is written.
template <typename Edit>
int UpdateFlashSettings(Edit edit) {
    DeviceSettings settings;
    const int result = ReadFlashChipSettings(settings);
    if (result != KELVANE_SUCCESS) {
        return result;
    }
    edit(settings);
    return WriteFlashChipSettings(settings);
}

}  // namespace kelvane::config
