// The default platform of the fuzz targets over virtual chips: an empty
// bench, so that nothing reaches a real device when no target installs its
// own bench.
#include "platform/platform.h"
#include "sim/bench.h"
#include "sim/sim_platform.h"

namespace kelvane::platform {

Platform& DefaultPlatform() {
    static sim::Bench bench;
    static sim::SimPlatform platform(bench);
    return platform;
}

}  // namespace kelvane::platform
