// A fixture for the chip-configuration suites: one virtual chip attached and
// connected, with short ways to its flash and runtime settings and to the
// requests it received.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "chip/chip.h"
#include "support/sim_fixture.h"

namespace kelvane::testing {

class ConfigFixture : public SimFixture {
protected:
    void SetUp() override { chip = &AttachAndConnect(); }

    sim::FlashStore& Flash() { return chip->Config().flash; }
    sim::RuntimeSettings& Runtime() { return chip->Config().runtime; }

    // Replaces one byte of the next response to a command.
    void PatchResponse(int command, std::size_t index, std::uint8_t value, int times = 1) {
        sim::FaultRule rule;
        rule.kind = sim::FaultKind::kSetByte;
        rule.command = command;
        rule.index = index;
        rule.value = value;
        rule.times = times;
        chip->Faults().Add(rule);
    }

    // The command codes received, in order.
    std::vector<int> Commands() const {
        std::vector<int> codes;
        for (const sim::LoggedRequest& logged : chip->Requests()) {
            codes.push_back(logged.bytes[0]);
        }
        return codes;
    }

    // The last request with this command code; fails the test when there is
    // none.
    Report Last(int command) const {
        const std::vector<Report> requests = RequestsOf(*chip, command);
        EXPECT_FALSE(requests.empty()) << "no request " << command;
        return requests.empty() ? Report{} : requests.back();
    }

    bool NothingSent() const { return chip->Requests().empty(); }

    sim::Chip* chip = nullptr;
};

// A request of the given bytes from byte 0, zero elsewhere.
inline Report RequestOf(std::initializer_list<std::pair<std::size_t, std::uint8_t>> bytes) {
    Report report{};
    for (const auto& [index, value] : bytes) {
        report[index] = value;
    }
    return report;
}

}  // namespace kelvane::testing
