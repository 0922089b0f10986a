// A write-only device on the virtual bus, such as a display controller: it
// acknowledges its address for a write and every byte written to it, and
// does not acknowledge its address for a read.
#pragma once

#include <cstdint>

#include "slaves/i2c_slave.h"

namespace kelvane::sim {

class WriteOnlySlave : public I2cSlave {
public:
    bool Start(std::uint8_t addressByte) override;
    bool Write(std::uint8_t byte) override;
    // Never called: no read is acknowledged. A bus master that reads anyway
    // sees the bus's idle level.
    std::uint8_t Read() override { return 0xFF; }
    void Stop() override {}
};

}  // namespace kelvane::sim
