// A write-only device on the virtual bus, such as a display controller: it
// acknowledges its address for a write and every byte written to it, and
// does not acknowledge its address for a read. It keeps the last bytes it
// was sent, as a display keeps its last commands.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "slaves/i2c_slave.h"

namespace kelvane::sim {

class WriteOnlySlave : public I2cSlave {
public:
    // The bytes of the last write are kept, up to this many.
    static constexpr std::size_t kKeptBytes = 64;

    bool Start(std::uint8_t addressByte) override;
    bool Write(std::uint8_t byte) override;
    // Never called: no read is acknowledged. A bus master that reads anyway
    // sees the bus's idle level.
    std::uint8_t Read() override { return 0xFF; }
    void Stop() override {}

    // The first bytes of the last write (of at most kKeptBytes).
    const std::vector<std::uint8_t>& LastWrite() const { return lastWrite_; }
    // The writes started since the device was made.
    int Writes() const { return writes_; }

private:
    std::vector<std::uint8_t> lastWrite_;
    int writes_ = 0;
};

}  // namespace kelvane::sim
