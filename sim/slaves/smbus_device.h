// An SMBus device on the virtual bus: a file of byte registers. A write
// carries the register index first and then the values of the registers from
// there on; a read continues from the index last written (a write of the
// index, then a repeated start to read).
//
// Packet error checking. The device has a block length, the number of data
// bytes of one of its blocks. A read that asks for one byte more than the
// block gets the PEC of the transaction (address bytes, index, data) after
// it; bytes read beyond that are 0xFF. A write carries a PEC as its last
// byte when the device is told that PEC is in use, or when its length says
// so (index, block and one byte more). The device holds a write until the
// stop, checks the PEC then, and drops the whole write when it is wrong.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "slaves/i2c_slave.h"

namespace kelvane::sim {

class SmbusDevice : public I2cSlave {
public:
    explicit SmbusDevice(std::size_t registerCount = 256, std::size_t blockLength = 4);

    bool Start(std::uint8_t addressByte) override;
    bool Write(std::uint8_t byte) override;
    std::uint8_t Read() override;
    void Stop() override;

    std::vector<std::uint8_t>& Registers() { return registers_; }
    void SetBlockLength(std::size_t length) { blockLength_ = length; }
    void SetPecRequired(bool on) { pecRequired_ = on; }

    int WritesTaken() const { return writesTaken_; }
    int PecErrors() const { return pecErrors_; }

private:
    void FinishWrite();

    std::vector<std::uint8_t> registers_;
    std::size_t blockLength_;
    bool pecRequired_ = false;

    // The transaction in progress.
    std::uint8_t writeAddress_ = 0;
    std::vector<std::uint8_t> held_;  // bytes of the write, capacity fixed at construction
    std::size_t heldCount_ = 0;
    bool writing_ = false;
    std::uint8_t readCrc_ = 0;
    std::size_t pointer_ = 0;
    std::size_t readCount_ = 0;

    int writesTaken_ = 0;
    int pecErrors_ = 0;
};

}  // namespace kelvane::sim
