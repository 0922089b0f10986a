#include "config/gp_settings_exchange.h"

#include <algorithm>

#include "config/settings_exchange.h"
#include "core/report_channel.h"
#include "kelvane.h"

namespace kelvane::config {
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

}  // namespace kelvane::config
