// Reads and writes on one slave, made of the library's transfers: a
// register read is the chip's write-then-read with a repeated start
// (SmbReadBlock), a write is one I2C write with the register first, and
// reads and writes without a register are plain I2C reads and writes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "bus/access_mode.h"
#include "common/library.h"

namespace kelvane::tool {

// The longest SMBus block and the default I2C block length.
inline constexpr std::size_t kSmbusBlockMax = 32;

// A result that says the chip itself did not answer (a report was not
// written or read, or the answer was not the chip's): there is no point in
// going on with other addresses or registers.
bool ChipUnreachable(int result);

// The SMBus packet error code (CRC-8, polynomial x^8 + x^2 + x + 1) of bytes.
std::uint8_t SmbusPec(std::span<const std::uint8_t> bytes);

class SlaveAccess {
public:
    SlaveAccess(const Library& library, unsigned speed, std::uint8_t address7)
        : library_(library), speed_(speed), address7_(address7) {}

    std::uint8_t Address() const { return address7_; }

    // `count` bytes from register `reg` on (1 to 65,535), in one transfer,
    // with the packet error code after them checked when pec. A result code.
    int ReadRegisters(std::uint8_t reg, std::size_t count, bool pec, std::vector<std::uint8_t>& data) const;
    // An SMBus block read: the count byte, then the block (the chip has no
    // read whose length the slave decides: the count byte is read first,
    // then count byte and block again, with the PEC checked when pec). The
    // data without the count byte. Failure when the count byte is 0 or above
    // 32.
    int ReadSmbusBlock(std::uint8_t reg, bool pec, std::vector<std::uint8_t>& data) const;
    // The read of a mode: 1 byte (b), 2 (w, low byte first), an SMBus
    // block (s) or `length` bytes (i).
    int Read(std::uint8_t reg, AccessMode mode, std::size_t length, std::vector<std::uint8_t>& data) const;
    // A read of `count` bytes without a register (count 1 is i2cget's
    // "read byte").
    int ReadPlain(std::size_t count, std::vector<std::uint8_t>& data) const;
    // One I2C write of the bytes (0 of them: the address alone), with their
    // packet error code after them when pec. The chip reports a slave that
    // does not acknowledge its address.
    int Write(std::span<const std::uint8_t> bytes, bool pec) const;

    // "read of register 0x10 at 0x50" and the like, for messages.
    std::string What(const std::string& action) const;

private:
    const Library& library_;
    unsigned speed_;
    std::uint8_t address7_;
};

}  // namespace kelvane::tool
