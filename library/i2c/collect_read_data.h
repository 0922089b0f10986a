// The data phase of a read that the chip has started: 0x40 requests until the
// bytes are in.
#pragma once

#include <cstdint>

#include "i2c/engine_exchange.h"
#include "i2c/read_sink.h"

namespace kelvane::i2c {

// Fetches up to sink.Total() bytes into the sink. The first request goes out
// after a pause of D, each after a data report too; a not-ready report (count
// above 60) is followed by D / 2. The read waits for at most
// 3 x (total / 60 + 1) data reports and ends early, with 0, on a report that
// carries no data or when that budget is spent.
// -25: a data report with a non-zero status; -23: state 0x25 in a report with
// a count; -26: a 51st not-ready report in a row; -27: more bytes than the
// total; -17: bytes that could not be stored; -4, -5.
int CollectReadData(TransferReports& reports, ReadSink& sink, std::uint32_t delay);

}  // namespace kelvane::i2c
