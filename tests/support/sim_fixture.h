// A test fixture with a bench of virtual chips installed as the library's
// platform, and helpers to look at what the chips received.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "bench/bench.h"
#include "bench/sim_platform.h"
#include "core/report.h"

namespace kelvane::testing {

// The requests a chip received, by command code (all when code < 0).
std::vector<Report> RequestsOf(const sim::Chip& chip, int code = -1);

class SimFixture : public ::testing::Test {
protected:
    SimFixture();
    ~SimFixture() override;

    // Attaches a chip with the default identifiers at a port and connects the
    // library to it (GetConnectionStatus must report connected).
    sim::Chip& AttachAndConnect(const char* port = "1");

    // Virtual time since the mark.
    void MarkTime() { markUs_ = bench.Clock().NowUs(); }
    std::uint64_t ElapsedUs() const { return bench.Clock().NowUs() - markUs_; }
    std::uint64_t MarkedUs() const { return markUs_; }

    void AddFault(sim::Chip& chip, sim::FaultKind kind, int command = sim::kAnyCommand, std::uint8_t value = 0,
                  int times = 1);

    sim::Bench bench;
    sim::SimPlatform platform{bench};

private:
    std::uint64_t markUs_ = 0;
};

}  // namespace kelvane::testing
