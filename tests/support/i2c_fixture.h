// A virtual chip with devices on its I2C bus, connected, for the transfer
// tests: an EEPROM at 0x50, an SMBus device at 0x0B, nothing at 0x10.
#pragma once

#include <cstdint>
#include <vector>

#include "slaves/eeprom_slave.h"
#include "slaves/smbus_device.h"
#include "support/sim_fixture.h"

namespace kelvane::testing {

class I2cFixture : public SimFixture {
protected:
    // Slave address bytes in 8-bit form.
    static constexpr std::uint8_t kEeprom = 0xA0;
    static constexpr std::uint8_t kSmbus = 0x16;
    static constexpr std::uint8_t kAbsent = 0x20;

    void SetUp() override {
        chip = &AttachAndConnect();
        eeprom = &chip->Engine().Bus().Attach<sim::EepromSlave>(kEeprom >> 1, 256);
        smbus = &chip->Engine().Bus().Attach<sim::SmbusDevice>(kSmbus >> 1, 256, 4);
        MarkTime();
    }

    void Fault(sim::FaultKind kind, int command, std::uint8_t value = 0, int times = 1, int skip = 0,
               std::size_t index = 0) {
        sim::FaultRule rule;
        rule.kind = kind;
        rule.command = command;
        rule.value = value;
        rule.times = times;
        rule.skip = skip;
        rule.index = index;
        chip->Faults().Add(rule);
    }

    // Ends whatever the engine was left doing and drops the fault rules, so
    // that the next transfer starts without the speed exchange's cancel.
    void ResetEngine() {
        chip->Engine().Cancel(bench.Clock().NowUs());
        chip->Faults().Clear();
    }

    std::vector<Report> Sent(int code = -1) const { return RequestsOf(*chip, code); }

    // Virtual time, in microseconds since the mark, of each request with a code.
    std::vector<std::uint64_t> TimesOf(int code) const {
        std::vector<std::uint64_t> times;
        for (const sim::LoggedRequest& request : chip->Requests()) {
            if (request.bytes[0] == code) {
                times.push_back(request.atUs - MarkedUs());
            }
        }
        return times;
    }

    sim::Chip* chip = nullptr;
    sim::EepromSlave* eeprom = nullptr;
    sim::SmbusDevice* smbus = nullptr;
};

}  // namespace kelvane::testing
