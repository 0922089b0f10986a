// The start of the data phase of a read: one 0x91 (or 0x93) request.
#pragma once

#include <cstdint>

#include "i2c/engine_exchange.h"

namespace kelvane::i2c {

// Asks the chip to read count bytes from a slave address byte with a read
// command (0x91, or 0x93 after a 0x94 write). One try: -24 when the chip does
// not accept it; -4, -5.
int StartRead(TransferReports& reports, std::uint8_t command, std::uint8_t address, std::uint32_t count);

}  // namespace kelvane::i2c
