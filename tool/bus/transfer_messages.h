// The messages of i2ctransfer's descriptors, and how the chip runs them.
//
// A descriptor is {r|w}LENGTH[@ADDR]: a read or a write of LENGTH bytes
// (0 to 65,535; a read at least 1) at a 7-bit address, or at the address of
// the message before. A write's LENGTH data bytes follow it; a byte with a
// suffix fills the rest of its message: = the same value, + counting up,
// - counting down (wrapping at 0x00 and 0xff).
//
// The chip runs one write, one read, or a write of one byte followed by a
// read of the same address (the byte is the register, the read follows
// with a repeated start) as one transfer; anything else takes a stop
// between the messages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kelvane::tool {

struct Message {
    bool read = false;
    std::uint8_t address = 0;  // 7-bit
    std::size_t length = 0;
    std::vector<std::uint8_t> data;  // a write's bytes; a read's once it ran
};

// i2ctransfer's limit on the messages of one run.
inline constexpr std::size_t kMostMessages = 42;

// The messages of the arguments; UsageError for anything i2ctransfer would
// refuse (and for a read of 0 bytes, or the p suffix, which the chip has no
// use for).
std::vector<Message> ParseMessages(const std::vector<std::string>& arguments, bool allAddresses);

// The messages that go on the bus in one transfer: first and count (1, or 2
// for a write of the register followed by the read).
struct BusTransfer {
    std::size_t first = 0;
    std::size_t count = 1;
};

// The transfers for the messages. Without allowStop they must make one
// transfer, else UsageError that says what the chip can do; with it, each
// register write and the read after it make one transfer and every other
// message one of its own.
std::vector<BusTransfer> PlanTransfers(const std::vector<Message>& messages, bool allowStop);

// "write of 3 bytes at 0x50", for messages.
std::string Describe(const Message& message);

}  // namespace kelvane::tool
