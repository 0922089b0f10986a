// What the bench-file and state-file targets do with a bench once it is
// built from what they read: the program's commands and the library's
// getters on its first chip, with exact caller buffers; and the round trip
// of the chips' state through the state file.
#pragma once

#include "bench/bench.h"
#include "bench/bench_description.h"

namespace kelvane::fuzz {

// Runs a fixed set of command lines of the program and library calls on the
// bench (installed as the active platform for the while).
void ExerciseBench(sim::Bench& bench);

// The state text of the bench, read back into a bench freshly built from
// the same description, must be taken and give the very same text.
void CheckStateRoundTrip(sim::Bench& bench, const sim::BenchDescription& description);

}  // namespace kelvane::fuzz
