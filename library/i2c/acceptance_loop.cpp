#include "i2c/acceptance_loop.h"

#include "i2c/engine_state.h"
#include "i2c/i2c_protocol.h"
#include "i2c/poll_delay.h"
#include "kelvane.h"

namespace kelvane::i2c {

int SendUntilAccepted(TransferReports& reports, std::uint32_t delay) {
    for (int attempt = 0; attempt < kAcceptanceTries; ++attempt) {
        if (const int result = Exchange(reports); result != KELVANE_SUCCESS) {
            return result;
        }
        if (reports.response[kStatusByte] == 0) {
            return KELVANE_SUCCESS;
        }
        if (IsRefusalFailureState(reports.response[kEngineStateByte])) {
            return KELVANE_E_TIMEOUT;
        }
        Pause(reports, HalfDelay(delay));
    }
    return KELVANE_E_SEND;
}

}  // namespace kelvane::i2c
