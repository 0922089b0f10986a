#include "support/sim_fixture.h"

#include "kelvane.h"
#include "platform/platform.h"

namespace kelvane::testing {

SimFixture::SimFixture() {
    platform::SetActivePlatform(&platform);
    DllInit();
}

SimFixture::~SimFixture() {
    // A fresh initialisation closes whatever the test left open.
    DllInit();
    EXPECT_EQ(platform.OpenHandleCount(), 0) << "handles left open";
    EXPECT_EQ(platform.StaleCloseCount(), 0) << "handles closed twice";
    platform::SetActivePlatform(nullptr);
}

sim::Chip& SimFixture::AttachAndConnect(const char* port) {
    sim::Chip& chip = bench.Attach(port);
    EXPECT_EQ(GetConnectionStatus(), 1);
    return chip;
}

std::vector<Report> RequestsOf(const sim::Chip& chip, int code) {
    std::vector<Report> requests;
    for (const sim::LoggedRequest& logged : chip.Requests()) {
        if (code < 0 || logged.bytes[0] == code) {
            requests.push_back(logged.bytes);
        }
    }
    return requests;
}

void SimFixture::AddFault(sim::Chip& chip, sim::FaultKind kind, int command, std::uint8_t value, int times) {
    sim::FaultRule rule;
    rule.kind = kind;
    rule.command = command;
    rule.value = value;
    rule.times = times;
    chip.Faults().Add(rule);
}

}  // namespace kelvane::testing
