#include "core/status_command.h"

#include "core/report_channel.h"
#include "kelvane.h"

namespace kelvane::core {

int StatusCommand(Cancel cancel, ChipStatus& status, ChipVersions& versions, AdcValues* adc) {
    Report request{};
    request[kCommandByte] = kStatusCommandCode;
    request[kStatusCancelByte] = cancel == Cancel::kYes ? kCancelTransfer : 0;
    Report response{};
    const int result = CommandExchange(request, response, StatusCheck::kExamine);
    if (result != KELVANE_SUCCESS) {
        return result;
    }
    status.sclLine = response[kStatusSclByte];
    status.sdaLine = response[kStatusSdaByte];
    status.cancelStatus = response[kStatusCancelStatusByte];
    versions = {static_cast<char>(response[kStatusFirmwareRevisionByte]),
                static_cast<char>(response[kStatusFirmwareRevisionByte + 1]),
                static_cast<char>(response[kStatusHardwareRevisionByte]),
                static_cast<char>(response[kStatusHardwareRevisionByte + 1])};
    if (adc != nullptr) {
        for (std::size_t i = 0; i < adc->size(); ++i) {
            const std::size_t at = kStatusAdcByte + 2 * i;
            (*adc)[i] = DecodeAdcReading(response[at], response[at + 1]);
        }
    }
    return KELVANE_SUCCESS;
}

}  // namespace kelvane::core
