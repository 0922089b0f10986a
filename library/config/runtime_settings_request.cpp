#include "config/runtime_settings_request.h"

#include <algorithm>

#include "core/report_channel.h"

namespace kelvane::config {
namespace {

constexpr std::size_t kGpApplyByte = 7;
constexpr std::size_t kGpPinBytes = 8;

int Send(const Report& request) {
    Report response{};
    return core::CommandExchange(request, response, core::StatusCheck::kExamine);
}

}  // namespace

int SetRuntimeSettings(RuntimeGroup group, std::uint8_t fields) {
    Report request{};
    request[kCommandByte] = kSetRuntimeSettings;
    request[static_cast<std::size_t>(group)] = static_cast<std::uint8_t>(kApplyGroup | fields);
    return Send(request);
}

int SetRuntimeGpPins(const PinBytes& pins) {
    Report request{};
    request[kCommandByte] = kSetRuntimeSettings;
    request[kGpApplyByte] = kApplyGroup;
    std::copy(pins.begin(), pins.end(), request.begin() + kGpPinBytes);
    return Send(request);
}

}  // namespace kelvane::config
