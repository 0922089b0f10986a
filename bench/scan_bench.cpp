// What finding and selecting chips costs when opening a device is slow: every
// open takes 50 ms on the virtual clock, as the first open of a hidraw node
// served by the USB HID class driver does (it starts the interrupt-IN
// transfer and waits 50 ms before it lets reports through), and more over
// USB/IP, where each open is also a round trip on the network.
//
// - BM_ConnectionStatus: GetConnectionStatus on a set of chips that does not
//   change, after a first scan.
// - BM_DeviceListing: what `KelvaneCLI -devices` does through the exports,
//   from a fresh initialisation: a status query, then for each chip SelectDev,
//   GetConnectionStatus and GetSerialNumber.
//
// Counters: opens and virtual milliseconds per scan (and per listing); the
// wall time is the library's own cost besides.
#include <benchmark/benchmark.h>

#include <string>

#include "bench_platform.h"
#include "kelvane.h"

namespace kelvane::bench {
namespace {

constexpr std::uint32_t kOpenCostMs = 50;

// A bench of `count` virtual chips, each in a port of its own, installed as
// the library's platform for the lifetime of the object, with a fresh
// initialisation.
class ChipRack {
public:
    explicit ChipRack(int count) : platform_(bench_, Sleeping::kSkipped) {
        for (int i = 0; i < count; ++i) {
            bench_.Attach(std::to_string(i + 1)).SetRecording(false);
        }
        platform_.SetOpenCostMs(kOpenCostMs);
        platform::SetActivePlatform(&platform_);
        DllInit();
    }
    ~ChipRack() {
        DllInit();
        platform::SetActivePlatform(nullptr);
    }
    ChipRack(const ChipRack&) = delete;
    ChipRack& operator=(const ChipRack&) = delete;

    std::uint64_t Opens() const { return static_cast<std::uint64_t>(platform_.OpenCount()); }
    std::uint64_t Scans() const { return static_cast<std::uint64_t>(platform_.EnumerationCount()); }
    std::uint64_t VirtualMs() const { return bench_.Clock().NowMs(); }

private:
    sim::Bench bench_;
    BenchPlatform platform_;
};

// Marks where a measurement starts and turns what happened since into
// counters per iteration.
struct Tally {
    explicit Tally(const ChipRack& rack) : rack(rack), opens(rack.Opens()), scans(rack.Scans()), ms(rack.VirtualMs()) {}

    void Report(benchmark::State& state, const char* unit) const {
        const double n = static_cast<double>(state.iterations());
        const double scanCount = static_cast<double>(rack.Scans() - scans);
        const double openCount = static_cast<double>(rack.Opens() - opens);
        const double virtualMs = static_cast<double>(rack.VirtualMs() - ms);
        state.counters["opens/scan"] = scanCount > 0 ? openCount / scanCount : 0;
        state.counters["virtual_ms/scan"] = scanCount > 0 ? virtualMs / scanCount : 0;
        if (unit != nullptr) {
            state.counters[std::string("scans/") + unit] = scanCount / n;
            state.counters[std::string("opens/") + unit] = openCount / n;
            state.counters[std::string("virtual_ms/") + unit] = virtualMs / n;
        }
    }

    const ChipRack& rack;
    std::uint64_t opens;
    std::uint64_t scans;
    std::uint64_t ms;
};

void BM_ConnectionStatus(benchmark::State& state) {
    ChipRack rack(static_cast<int>(state.range(0)));
    if (GetConnectionStatus() != 1) {
        state.SkipWithError("the chips did not connect");
        return;
    }
    const Tally tally(rack);
    for (auto _ : state) {
        if (GetConnectionStatus() != 1) {
            state.SkipWithError("connection lost");
            break;
        }
    }
    tally.Report(state, nullptr);
}
BENCHMARK(BM_ConnectionStatus)->Arg(1)->Arg(10)->Arg(64)->Unit(benchmark::kMicrosecond);

// KelvaneCLI -devices, as one run of the program makes it.
bool ListDevices() {
    if (DllInit() != 0 || GetConnectionStatus() != 1) {
        return false;
    }
    const int count = GetDevCount();
    for (int i = 0; i < count; ++i) {
        KelvaneChar serial[31];
        SelectDev(static_cast<unsigned>(i));
        GetConnectionStatus();
        if (GetSerialNumber(serial) != 0) {
            return false;
        }
    }
    return true;
}

void BM_DeviceListing(benchmark::State& state) {
    ChipRack rack(static_cast<int>(state.range(0)));
    const Tally tally(rack);
    for (auto _ : state) {
        if (!ListDevices()) {
            state.SkipWithError("listing failed");
            break;
        }
    }
    tally.Report(state, "listing");
}
BENCHMARK(BM_DeviceListing)->Arg(1)->Arg(10)->Arg(64)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kelvane::bench
