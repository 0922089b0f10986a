// Setting the bus clock at the start of every transfer.
#pragma once

#include <cstdint>

#include "i2c/engine_exchange.h"

namespace kelvane::i2c {

// Sets the bus clock for a supported speed with a 0x10 request. When the chip
// does not take the new divider (a transfer stands in the way), the request
// goes again with the cancel sub-command. firstRefusal is the result when the
// first exchange answers with a non-zero status (-22 for I2C, -8 for SMBus);
// a refused second exchange gives -22. Also -4, -5.
int SetI2cSpeed(TransferReports& reports, std::uint32_t speed, int firstRefusal);

}  // namespace kelvane::i2c
