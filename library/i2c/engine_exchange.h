// One report exchange of the I2C engine. A transfer keeps one request and one
// response report for all of its exchanges; the engine sends and receives
// them and reads the response itself, without looking at the echoed command
// code.
#pragma once

#include "core/report.h"

namespace kelvane::i2c {

struct TransferReports {
    Report request{};
    Report response{};
};

// Sends the request (-4 when not written) and reads the response (-5 when
// none was read). 0 when both went through.
int Exchange(TransferReports& reports);

}  // namespace kelvane::i2c
