// A device on the virtual chip's I2C bus, as the bus master sees it: start
// conditions with an address byte, bytes written and read, stop conditions.
#pragma once

#include <cstdint>

namespace kelvane::sim {

class I2cSlave {
public:
    virtual ~I2cSlave() = default;

    // A start or repeated start addressed to this device; bit 0 of the address
    // byte is 1 for a read. True when the device acknowledges.
    virtual bool Start(std::uint8_t addressByte) = 0;
    // A byte from the master; true when the device acknowledges it.
    virtual bool Write(std::uint8_t byte) = 0;
    // The next byte the master reads.
    virtual std::uint8_t Read() = 0;
    // A stop condition: the transaction is over.
    virtual void Stop() = 0;
};

}  // namespace kelvane::sim
