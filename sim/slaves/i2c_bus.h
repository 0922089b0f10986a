// The virtual chip's I2C bus: the devices on it by 7-bit address. An address
// without a device does not acknowledge.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <utility>

#include "slaves/i2c_slave.h"

namespace kelvane::sim {

class I2cBus {
public:
    // Puts a device at a 7-bit address, replacing whatever was there.
    template <typename Device, typename... Args>
    Device& Attach(std::uint8_t address7, Args&&... args) {
        auto device = std::make_unique<Device>(std::forward<Args>(args)...);
        Device& attached = *device;
        slaves_[address7 & 0x7F] = std::move(device);
        return attached;
    }
    void Detach(std::uint8_t address7) { slaves_[address7 & 0x7F].reset(); }

    // The device that answers an 8-bit address byte, or null.
    I2cSlave* Addressed(std::uint8_t addressByte) const { return slaves_[addressByte >> 1].get(); }

private:
    std::array<std::unique_ptr<I2cSlave>, 128> slaves_;
};

}  // namespace kelvane::sim
