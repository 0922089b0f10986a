// The data phase of a write: the stream sent in pieces of at most 60 bytes.
#pragma once

#include <cstdint>

#include "i2c/engine_exchange.h"
#include "i2c/write_stream.h"

namespace kelvane::i2c {

// Sends the stream (at most 65,535 bytes) with a write command (0x90, or 0x94
// for a write that a read follows) to a slave address byte. Every report
// repeats the header: command, total count, address. Each piece goes through
// the acceptance loop and is followed by a pause of D; an empty stream is one
// report with the header alone. 0, or the acceptance loop's result; -17 when
// a piece could not be copied into the report.
int SendWriteChunks(TransferReports& reports, std::uint8_t command, std::uint8_t address,
                    const WriteStream& stream, std::uint32_t delay);

}  // namespace kelvane::i2c
