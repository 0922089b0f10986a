// The test suite's default platform: an empty virtual bench. Tests install
// their own bench; whatever runs without one finds no device at all.
#include "bench/bench.h"
#include "bench/sim_platform.h"

namespace kelvane::platform {

Platform& DefaultPlatform() {
    static sim::Bench bench;
    static sim::SimPlatform platform(bench);
    return platform;
}

}  // namespace kelvane::platform
