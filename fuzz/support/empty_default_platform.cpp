// The default platform of the fuzz targets over virtual chips: an empty
// bench, so that nothing reaches a real device when no target installs its
// own bench.
#include "bench/bench.h"
#include "bench/sim_platform.h"
#include "platform/platform.h"

namespace kelvane::platform {

Platform& DefaultPlatform() {
    static sim::Bench bench;
    static sim::SimPlatform platform(bench);
    return platform;
}

}  // namespace kelvane::platform
