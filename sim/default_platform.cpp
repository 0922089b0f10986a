// The default platform of the virtual-chip flavour of the library: a bench
// of virtual chips described by the file that KELVANE_SIM_BENCH names, whose
// state is kept between runs in a state file. Built only into that flavour.
#include <cstdlib>

#include "bench/virtual_bench_session.h"
#include "platform/platform.h"

namespace kelvane::platform {

Platform& DefaultPlatform() {
    // Made at the first library call that needs a device; destroyed (and its
    // state saved) when the process ends.
    static sim::VirtualBenchSession session(std::getenv(sim::kBenchFileVariable));
    return session.Platform();
}

}  // namespace kelvane::platform
