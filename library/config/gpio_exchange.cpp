#include "config/gpio_exchange.h"

#include "core/report_channel.h"
#include "kelvane.h"

namespace kelvane::config {
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

}  // namespace kelvane::config
