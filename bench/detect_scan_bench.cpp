// How long kelvane detect takes: a full scan (0x08 to 0x77, i2cdetect's
// probe for each address) over the virtual chip of BenchSetup (an EEPROM at
// 0x50, an SMBus device at 0x0b), at 100 and 400 kbit/s. The virtual chip
// answers at once, so the virtual time of a scan is the sum of the pauses
// that the library's pacing prescribes; a real chip adds the time of each
// report exchange on the USB (reports/scan of them).
#include <benchmark/benchmark.h>

#include "bench_platform.h"
#include "bus/probe.h"
#include "common/library.h"

namespace kelvane::bench {
namespace {

// The library's exports linked in here, bound as the program binds them
// from the loaded file.
tool::Library LinkedLibrary() {
    tool::Library library;
#define KELVANE_LINKED_ENTRY_POINT(name) library.name = &::name;
    KELVANE_TOOL_ENTRY_POINTS(KELVANE_LINKED_ENTRY_POINT)
#undef KELVANE_LINKED_ENTRY_POINT
    return library;
}

void BM_DetectScan(benchmark::State& state) {
    BenchSetup setup(Sleeping::kSkipped);
    const tool::Library library = LinkedLibrary();
    const auto speed = static_cast<unsigned>(state.range(0));
    const std::uint64_t writesBefore = setup.Platform().Writes();
    const std::uint64_t pausedBefore = setup.Platform().PrescribedMs();
    std::int64_t found = 0;
    for (auto _ : state) {
        for (unsigned address = 0x08; address <= 0x77; ++address) {
            const auto address7 = static_cast<std::uint8_t>(address);
            found += tool::ProbeAddress(library, speed, address7, tool::DefaultProbe(address)) == 0 ? 1 : 0;
        }
    }
    const double scans = static_cast<double>(state.iterations());
    state.counters["virtual_ms/scan"] = static_cast<double>(setup.Platform().PrescribedMs() - pausedBefore) / scans;
    state.counters["reports/scan"] = static_cast<double>(setup.Platform().Writes() - writesBefore) / scans;
    state.counters["slaves"] = static_cast<double>(found) / scans;
}
BENCHMARK(BM_DetectScan)->Arg(100000)->Arg(400000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kelvane::bench
