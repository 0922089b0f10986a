// The benchmark's default platform: an empty virtual bench, so that nothing
// ever reaches a real device. Each benchmark installs its own.
#include "bench/bench.h"
#include "bench/sim_platform.h"

namespace kelvane::platform {

Platform& DefaultPlatform() {
    static sim::Bench bench;
    static sim::SimPlatform platform(bench);
    return platform;
}

}  // namespace kelvane::platform
