#include "i2c/wait_transfer_end.h"

#include "i2c/engine_state.h"
#include "i2c/status_poll.h"
#include "kelvane.h"

namespace kelvane::i2c {

int WaitTransferEnd(TransferReports& reports, std::uint32_t delay, AddressFlag flag) {
    const PollGoal goal{kEngineIdle, KELVANE_SUCCESS, flag == AddressFlag::kCheck};
    return PollEngineStatus(reports, delay, goal);
}

}  // namespace kelvane::i2c
