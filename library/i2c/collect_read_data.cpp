#include "i2c/collect_read_data.h"

#include <span>

#include "i2c/engine_state.h"
#include "i2c/i2c_protocol.h"
#include "i2c/poll_delay.h"
#include "kelvane.h"

namespace kelvane::i2c {

int CollectReadData(TransferReports& reports, ReadSink& sink, std::uint32_t delay) {
    const std::size_t total = sink.Total();
    long budget = 3 * (static_cast<long>(total) / static_cast<long>(kPieceSize) + 1);
    int tries = kNotReadyTries;
    std::uint32_t wait = delay;
    reports.request.fill(0);
    reports.request[kCommandByte] = kGetDataCommand;
    const Report& response = reports.response;
    while (!(total > 0 && sink.Received() >= total) && budget > 0) {
        Pause(reports, wait);
        if (const int result = Exchange(reports); result != KELVANE_SUCCESS) {
            return result;
        }
        if (response[kStatusByte] != 0) {
            return KELVANE_E_COMMAND_FAILED;
        }
        const std::size_t count = response[kDataCountByte];
        if (count == 0) {
            return KELVANE_SUCCESS;
        }
        if (response[kEngineStateByte] == kEngineReadAddressNack) {
            return KELVANE_E_ADDRESS_NACK;
        }
        if (count > kPieceSize) {  // not ready yet; costs no budget
            if (tries == 0) {
                return KELVANE_E_NO_DATA;
            }
            --tries;
            wait = HalfDelay(delay);
            continue;
        }
        if (sink.Received() + count > total) {
            return KELVANE_E_TOO_MUCH_DATA;
        }
        if (!sink.Take(std::span(response).subspan(kDataStart, count))) {
            return KELVANE_E_COPY;
        }
        --budget;
        tries = kNotReadyTries;
        wait = delay;
    }
    return KELVANE_SUCCESS;
}

}  // namespace kelvane::i2c
