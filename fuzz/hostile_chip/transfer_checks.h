// What a transfer that reports success must have done, judged from the
// reports that went to the chip and the answers that came back; and how
// long a transfer may take at most.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "hostile_chip/hostile_platform.h"

namespace kelvane::fuzz {

enum class TransferKind { kI2cWrite, kI2cRead, kSmbusWrite, kSmbusRead };

struct TransferCall {
    TransferKind kind = TransferKind::kI2cWrite;
    std::uint8_t address = 0;
    std::uint32_t count = 0;
    std::uint32_t speed = 0;
    bool pec = false;
    std::uint8_t index = 0;
};

// The packet error code: CRC-8 with polynomial x^8 + x^2 + x + 1, bit by bit.
std::uint8_t Crc8(std::span<const std::uint8_t> bytes, std::uint8_t crc = 0);

// The transfer's budget B on the platform clock (kelvane.h), in
// milliseconds; 0 for a call that is refused before anything is sent.
std::uint64_t TransferBudgetMs(const TransferCall& call);
// The longest the call may run: B and the overrun that kelvane.h allows.
std::uint64_t TransferBoundMs(const TransferCall& call);

// Checks any transfer, whatever its result: no exchange starts after the
// budget has passed, except the one cancel of a transfer that ran out of
// time, which then ends with -18.
void CheckDeadlineKept(const TransferCall& call, int result, std::uint64_t calledAtMs,
                       const std::vector<LoggedExchange>& log);

// Checks a successful write: the pieces of the 0x90 reports that the chip
// accepted, in order, are the caller's data (and the packet error code),
// every report carries the total and the address, and the transfer ended on
// a status answer that shows the engine idle (and, for I2C, the address
// acknowledged).
void CheckWriteSucceeded(const TransferCall& call, std::span<const std::uint8_t> data,
                         const std::vector<LoggedExchange>& log);

// Checks a successful read: the buffer starts with the data bytes of the
// chip's data reports and keeps its fill after them; with packet error
// checking, every byte and a matching code arrived.
void CheckReadSucceeded(const TransferCall& call, std::span<const std::uint8_t> buffer, std::uint8_t fill,
                        const std::vector<LoggedExchange>& log);

}  // namespace kelvane::fuzz
