// The I2C engine's own cost over a virtual chip that answers at once and a
// platform that skips the pauses: per report exchange, per transfer, and the
// heap allocations of a transfer. Then the wall-time ratio of really paced
// transfers (pacing_ratio.cpp).
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "allocation_counter.h"
#include "bench_platform.h"
#include "kelvane.h"
#include "pacing_ratio.h"

namespace kelvane::bench {
namespace {

constexpr unsigned kSpeed = 400000;

// Adds the counters: reports written and heap allocations per transfer, and
// the time per report exchange.
void Finish(benchmark::State& state, std::uint64_t writes, std::uint64_t allocations,
            std::int64_t bytes) {
    const double transfers = static_cast<double>(state.iterations());
    state.counters["reports/transfer"] = static_cast<double>(writes) / transfers;
    state.counters["allocs/transfer"] = static_cast<double>(allocations) / transfers;
    state.counters["time/report"] =
        benchmark::Counter(static_cast<double>(writes), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.SetBytesProcessed(bytes * state.iterations());
}

void BM_StatusExchange(benchmark::State& state) {
    BenchSetup setup(Sleeping::kSkipped);
    const std::uint64_t writesBefore = setup.Platform().Writes();
    std::uint64_t allocations = 0;
    for (auto _ : state) {
        const std::uint64_t before = AllocationCount();
        benchmark::DoNotOptimize(GetSclLineValue());
        allocations += AllocationCount() - before;
    }
    Finish(state, setup.Platform().Writes() - writesBefore, allocations, 0);
}
BENCHMARK(BM_StatusExchange);

void BM_WriteI2cData(benchmark::State& state) {
    BenchSetup setup(Sleeping::kSkipped);
    const auto count = static_cast<unsigned>(state.range(0));
    std::vector<unsigned char> data(count + 1, 0x5A);
    const std::uint64_t writesBefore = setup.Platform().Writes();
    std::uint64_t allocations = 0;
    for (auto _ : state) {
        const std::uint64_t before = AllocationCount();
        const int result = WriteI2cData(BenchSetup::kEepromAddress, data.data(), count, kSpeed);
        allocations += AllocationCount() - before;
        if (result != 0) {
            state.SkipWithError("write failed");
            break;
        }
    }
    Finish(state, setup.Platform().Writes() - writesBefore, allocations, count);
}
BENCHMARK(BM_WriteI2cData)->Arg(1)->Arg(60)->Arg(61)->Arg(1024)->Arg(65535);

void BM_ReadI2cData(benchmark::State& state) {
    BenchSetup setup(Sleeping::kSkipped);
    const auto count = static_cast<unsigned>(state.range(0));
    std::vector<unsigned char> data(count + 1, 0);
    const std::uint64_t writesBefore = setup.Platform().Writes();
    std::uint64_t allocations = 0;
    for (auto _ : state) {
        const std::uint64_t before = AllocationCount();
        const int result = ReadI2cData(BenchSetup::kEepromAddress | 1, data.data(), count, kSpeed);
        allocations += AllocationCount() - before;
        if (result != 0) {
            state.SkipWithError("read failed");
            break;
        }
    }
    Finish(state, setup.Platform().Writes() - writesBefore, allocations, count);
}
BENCHMARK(BM_ReadI2cData)->Arg(1)->Arg(60)->Arg(61)->Arg(1024)->Arg(65535);

void BM_SmbReadBlockWithPec(benchmark::State& state) {
    BenchSetup setup(Sleeping::kSkipped);
    const auto count = static_cast<unsigned>(state.range(0));
    setup.SmbusDevice().SetBlockLength(count);  // the device appends its PEC after the block
    std::vector<unsigned char> data(count + 1, 0);
    const std::uint64_t writesBefore = setup.Platform().Writes();
    std::uint64_t allocations = 0;
    for (auto _ : state) {
        const std::uint64_t before = AllocationCount();
        const int result = SmbReadBlock(BenchSetup::kSmbusAddress, data.data(), count, kSpeed, 1, 0);
        allocations += AllocationCount() - before;
        if (result != 0) {
            state.SkipWithError("read failed");
            break;
        }
    }
    Finish(state, setup.Platform().Writes() - writesBefore, allocations, count);
}
BENCHMARK(BM_SmbReadBlockWithPec)->Arg(32)->Arg(65534);

}  // namespace
}  // namespace kelvane::bench

int main(int argc, char** argv) {
    bool pacing = true;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--no_pacing") == 0) {
            pacing = false;
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (pacing) {
        kelvane::bench::ReportPacingRatios();
    }
    return 0;
}
