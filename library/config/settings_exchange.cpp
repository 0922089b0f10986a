#include "config/settings_exchange.h"

#include <algorithm>

#include "config/chip_settings_layout.h"
#include "core/report_channel.h"
#include "kelvane.h"

namespace kelvane::config {
namespace {

int ReadSettings(const Report& request, SettingsSource source, DeviceSettings& settings) {
    Report response{};
    const int result = core::CommandExchange(request, response, core::StatusCheck::kIgnore);
    if (result != KELVANE_SUCCESS) {
        return result;
    }
    DecodeChipSettings(response, source, settings);
    return response[kStatusByte];
}

}  // namespace

int ReadRuntimeSettings(DeviceSettings& settings) {
    Report request{};
    request[kCommandByte] = kGetRuntimeSettings;
    return ReadSettings(request, SettingsSource::kRuntime, settings);
}

int ReadFlashChipSettings(DeviceSettings& settings) {
    Report request{};
    request[kCommandByte] = kReadFlash;
    request[1] = kFlashChipSettings;
    return ReadSettings(request, SettingsSource::kFlash, settings);
}

int WriteFlashChipSettings(const DeviceSettings& settings, const core::Password* password) {
    Report request{};
    request[kCommandByte] = kWriteFlash;
    request[1] = kFlashChipSettings;
    EncodeChipSettings(settings, request);
    const core::Password& sent = password != nullptr ? *password : core::State().rememberedPassword;
    std::copy(sent.begin(), sent.end(), request.begin() + kSettingsPasswordByte);
    Report response{};
    return core::CommandExchange(request, response, core::StatusCheck::kExamine);
}

}  // namespace kelvane::config
