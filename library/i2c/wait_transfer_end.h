// The end-of-transfer poll of a write.
#pragma once

#include <cstdint>

#include "i2c/engine_exchange.h"

namespace kelvane::i2c {

enum class AddressFlag { kCheck, kIgnore };

// Polls the status until the engine is idle (0) or failed (-18). With the
// address-flag check (I2C writes), the flag gives -23 whatever the state.
// -19 after 50 non-zero status bytes; -18 when the engine stays in progress
// beyond the poll's bounds; -4, -5.
int WaitTransferEnd(TransferReports& reports, std::uint32_t delay, AddressFlag flag);

}  // namespace kelvane::i2c
