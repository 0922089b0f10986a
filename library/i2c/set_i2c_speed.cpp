#include "i2c/set_i2c_speed.h"

#include "core/status_command.h"
#include "i2c/clock_divider.h"
#include "kelvane.h"

namespace kelvane::i2c {

int SetI2cSpeed(TransferReports& reports, std::uint32_t speed, int firstRefusal) {
    Report& request = reports.request;
    const Report& response = reports.response;
    request.fill(0);
    request[kCommandByte] = core::kStatusCommandCode;
    request[core::kStatusSetSpeedByte] = core::kSetSpeed;
    request[core::kStatusDividerByte] = ClockDivider(speed);
    if (const int result = Exchange(reports); result != KELVANE_SUCCESS) {
        return result;
    }
    if (response[kStatusByte] != 0) {
        return firstRefusal;
    }
    if (response[core::kStatusSpeedStatusByte] == core::kSetSpeed) {
        return KELVANE_SUCCESS;
    }
    // Not taken: cancel whatever the engine is doing and set the clock in the
    // same request. Whether it was taken this time is not asked again.
    request[core::kStatusCancelByte] = core::kCancelTransfer;
    if (const int result = Exchange(reports); result != KELVANE_SUCCESS) {
        return result;
    }
    return response[kStatusByte] != 0 ? KELVANE_E_I2C_STATUS : KELVANE_SUCCESS;
}

}  // namespace kelvane::i2c
