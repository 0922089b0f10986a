#include "config/settings_exchanges.h"

#include <algorithm>

#include "core/report_channel.h"
#include "kelvane.h"

namespace kelvane::config {

// ---- The chip-settings block ------------------------------------------------

namespace {

int ReadSettingsBlock(const Report& request, SettingsSource source, DeviceSettings& settings) {
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
    return ReadSettingsBlock(request, SettingsSource::kRuntime, settings);
}

int ReadFlashChipSettings(DeviceSettings& settings) {
    Report request{};
    request[kCommandByte] = kReadFlash;
    request[1] = kFlashChipSettings;
    return ReadSettingsBlock(request, SettingsSource::kFlash, settings);
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

// ---- Set runtime settings (0x60) --------------------------------------------

namespace {

constexpr std::size_t kGpApplyByte = 7;
constexpr std::size_t kGpPinBytes = 8;

int SendRuntimeRequest(const Report& request) {
    Report response{};
    return core::CommandExchange(request, response, core::StatusCheck::kExamine);
}

}  // namespace

int SetRuntimeSettings(RuntimeGroup group, std::uint8_t fields) {
    Report request{};
    request[kCommandByte] = kSetRuntimeSettings;
    request[static_cast<std::size_t>(group)] = static_cast<std::uint8_t>(kApplyGroup | fields);
    return SendRuntimeRequest(request);
}

int SetRuntimeGpPins(const PinBytes& pins) {
    Report request{};
    request[kCommandByte] = kSetRuntimeSettings;
    request[kGpApplyByte] = kApplyGroup;
    std::copy(pins.begin(), pins.end(), request.begin() + kGpPinBytes);
    return SendRuntimeRequest(request);
}

// ---- The flash GP block -----------------------------------------------------

namespace {

constexpr std::size_t kResponsePinBytes = 4;
constexpr std::size_t kRequestPinBytes = 2;

}  // namespace

int ReadFlashGpSettings(PinBytes& pins) {
    Report request{};
    request[kCommandByte] = kReadFlash;
    request[1] = kFlashGpSettings;
    Report response{};
    const int result = core::CommandExchange(request, response, core::StatusCheck::kIgnore);
    if (result != KELVANE_SUCCESS) {
        return result;
    }
    std::copy_n(response.begin() + kResponsePinBytes, pins.size(), pins.begin());
    return response[kStatusByte];
}

int WriteFlashGpSettings(const PinBytes& pins) {
    Report request{};
    request[kCommandByte] = kWriteFlash;
    request[1] = kFlashGpSettings;
    std::copy(pins.begin(), pins.end(), request.begin() + kRequestPinBytes);
    Report response{};
    return core::CommandExchange(request, response, core::StatusCheck::kExamine);
}

// ---- GPIO (0x51, 0x50) ------------------------------------------------------

namespace {

// 0x51 response: value then direction of each pin from byte 2.
constexpr std::size_t kReadPinBytes = 2;
// 0x50 request: four bytes per pin from byte 2: change-value flag, value,
// change-direction flag, direction.
constexpr std::size_t kWritePinGroups = 2;

}  // namespace

int GetGpioValues(PinArray* directions, PinArray* values) {
    Report request{};
    request[kCommandByte] = kGetGpioValues;
    Report response{};
    const int result = core::CommandExchange(request, response, core::StatusCheck::kIgnore);
    if (result != KELVANE_SUCCESS) {
        return result;
    }
    for (std::size_t pin = 0; pin < kGpPinCount; ++pin) {
        if (values != nullptr) {
            (*values)[pin] = response[kReadPinBytes + 2 * pin];
        }
        if (directions != nullptr) {
            (*directions)[pin] = response[kReadPinBytes + 2 * pin + 1];
        }
    }
    return response[kStatusByte];
}

int SetGpioValues(const GpioChange& change) {
    Report request{};
    request[kCommandByte] = kSetGpioValues;
    for (std::size_t pin = 0; pin < kGpPinCount; ++pin) {
        const std::size_t group = kWritePinGroups + 4 * pin;
        request[group] = change.changeValue[pin] == 1 ? 0x01 : 0x00;
        request[group + 1] = change.values[pin];
        request[group + 2] = change.changeDirection[pin] == 1 ? 0x01 : 0x00;
        request[group + 3] = change.directions[pin];
    }
    Report response{};
    return core::CommandExchange(request, response, core::StatusCheck::kExamine);
}

// ---- The access password (0xB2) ---------------------------------------------

namespace {

constexpr std::size_t kPasswordByte = 2;
constexpr int kStatusPasswordRejected = 3;

}  // namespace

std::optional<core::Password> PasswordFromString(const char* text) {
    if (text == nullptr) {
        return std::nullopt;
    }
    core::Password password{};
    for (std::size_t i = 0; i < password.size(); ++i) {
        if (text[i] == '\0') {
            return std::nullopt;
        }
        password[i] = static_cast<std::uint8_t>(text[i]);
    }
    return password;
}

int SendAccessPassword(const core::Password& password) {
    Report request{};
    request[kCommandByte] = kSendAccessPassword;
    std::copy(password.begin(), password.end(), request.begin() + kPasswordByte);
    Report response{};
    const int result = core::CommandExchange(request, response, core::StatusCheck::kExamine);
    if (result == kStatusPasswordRejected) {
        return KELVANE_E_PASSWORD_REJECTED;
    }
    return result;
}

}  // namespace kelvane::config
