#include "pacing_ratio.h"

#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

#include "kelvane.h"

namespace kelvane::bench {
namespace {

constexpr unsigned kCount = 65535;
constexpr unsigned kSpeed = 400000;

struct Ratio {
    int result;
    double wallMs;
    std::uint64_t prescribedMs;
};

Ratio Measure(Sleeping sleeping, const std::function<int(unsigned char*)>& transfer) {
    BenchSetup setup(sleeping);
    std::vector<unsigned char> data(kCount, 0x5A);
    const auto start = std::chrono::steady_clock::now();
    const int result = transfer(data.data());
    const auto end = std::chrono::steady_clock::now();
    return {result, std::chrono::duration<double, std::milli>(end - start).count(), setup.Platform().PrescribedMs()};
}

void Print(const char* what, const char* sleeping, const Ratio& r) {
    std::printf("  %-34s %-8s result %d  wall %9.1f ms  prescribed %6llu ms  ratio %.4f\n", what, sleeping,
                r.result, r.wallMs, static_cast<unsigned long long>(r.prescribedMs),
                r.prescribedMs > 0 ? r.wallMs / static_cast<double>(r.prescribedMs) : 0.0);
}

}  // namespace

void ReportPacingRatios() {
    std::printf("\nWall time of a transfer against the pauses its pacing prescribes (really sleeping):\n");
    const auto write = [](unsigned char* data) {
        return WriteI2cData(BenchSetup::kEepromAddress, data, kCount, kSpeed);
    };
    const auto read = [](unsigned char* data) {
        return ReadI2cData(BenchSetup::kEepromAddress | 1, data, kCount, kSpeed);
    };
    for (const auto& [sleeping, name] : {std::pair{Sleeping::kPlain, "plain"}, {Sleeping::kPrecise, "precise"}}) {
        Print("WriteI2cData 65,535 B at 400 kHz", name, Measure(sleeping, write));
        Print("ReadI2cData 65,535 B at 400 kHz", name, Measure(sleeping, read));
    }
}

}  // namespace kelvane::bench
