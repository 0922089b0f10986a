#include "i2c/start_read.h"

#include "i2c/i2c_protocol.h"
#include "kelvane.h"

namespace kelvane::i2c {

int StartRead(TransferReports& reports, std::uint8_t command, std::uint8_t address, std::uint32_t count) {
    Report& request = reports.request;
    request.fill(0);
    request[kCommandByte] = command;
    request[kCountLowByte] = static_cast<std::uint8_t>(count & 0xFF);
    request[kCountHighByte] = static_cast<std::uint8_t>((count >> 8) & 0xFF);
    request[kAddressByte] = address;
    if (const int result = Exchange(reports); result != KELVANE_SUCCESS) {
        return result;
    }
    return reports.response[kStatusByte] != 0 ? KELVANE_E_TRANSFER_REFUSED : KELVANE_SUCCESS;
}

}  // namespace kelvane::i2c
