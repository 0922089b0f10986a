// The first phase of an SMBus block read: the register index written to the
// slave with a 0x94 request, after which the engine waits for the read.
#pragma once

#include <cstdint>

#include "i2c/engine_exchange.h"

namespace kelvane::i2c {

// Writes the register index to a slave address byte (the acceptance loop,
// then a pause of D), and polls the status until the engine waits for the
// read (state 0x45). -11 when the engine went idle instead; otherwise the
// results of the acceptance loop and of the status poll.
int WriteRegisterIndex(TransferReports& reports, std::uint8_t address, std::uint8_t index, std::uint32_t delay);

}  // namespace kelvane::i2c
