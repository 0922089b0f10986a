// How much longer than its prescribed pauses a whole transfer takes when the
// pauses really sleep.
#pragma once

#include "bench_platform.h"

namespace kelvane::bench {

// Runs a 65,535-byte write and read at 400 kHz with each way of sleeping and
// prints wall time, the pauses the pacing prescribes, and their ratio.
void ReportPacingRatios();

}  // namespace kelvane::bench
