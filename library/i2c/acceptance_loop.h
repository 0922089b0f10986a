// Sending one transfer report until the chip accepts it.
#pragma once

#include <cstdint>

#include "i2c/engine_exchange.h"

namespace kelvane::i2c {

// Sends the request at most 50 times until a response carries status 0.
// A refusal that shows a failure state gives -18 at once; any other refusal
// is followed by a pause of D / 2, and the 50th gives -19. Also -4, -5.
int SendUntilAccepted(TransferReports& reports, std::uint32_t delay);

}  // namespace kelvane::i2c
