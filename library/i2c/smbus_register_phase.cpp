#include "i2c/smbus_register_phase.h"

#include <span>

#include "i2c/engine_state.h"
#include "i2c/i2c_protocol.h"
#include "i2c/send_write_chunks.h"
#include "i2c/status_poll.h"
#include "kelvane.h"

namespace kelvane::i2c {

int WriteRegisterIndex(TransferReports& reports, std::uint8_t address, std::uint8_t index, std::uint32_t delay) {
    const WriteStream stream(std::span<const std::uint8_t>(&index, 1));
    if (const int result = SendWriteChunks(reports, kWriteBeforeReadCommand, address, stream, delay);
        result != KELVANE_SUCCESS) {
        return result;
    }
    const PollGoal goal{kEngineAwaitingRead, KELVANE_E_SMB_DATA_NACK, false};
    return PollEngineStatus(reports, delay, goal);
}

}  // namespace kelvane::i2c
