#include "i2c/engine_exchange.h"

#include "core/report_channel.h"
#include "kelvane.h"

namespace kelvane::i2c {

int Exchange(TransferReports& reports) {
    if (!core::SendReport(reports.request)) {
        return KELVANE_E_WRITE_FAILED;
    }
    if (!core::ReceiveReport(reports.response)) {
        return KELVANE_E_READ_FAILED;
    }
    return KELVANE_SUCCESS;
}

}  // namespace kelvane::i2c
