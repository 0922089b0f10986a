// How long a transfer is given, on the platform's monotonic clock from the
// moment it holds the chip, before it is cancelled on the chip and ends with
// -18. A healthy chip needs about one
// pause D and one exchange per 60-byte piece; the budget gives every piece
// three pauses and 50 ms of exchanges, and the whole transfer 3 s more for
// its speed exchanges, the start of a read, the register phase of an SMBus
// read and the end-of-transfer poll.
//
//     B = 3000 + N x (3 x D + 50) ms
//     D = 1,320,000 / speed (integer division, the pause of the pacing)
//     N = (count + p + 59) / 60, at least 1 (p: 1 for the PEC byte, else 0)
//
// No exchange starts and no pause lasts beyond B. The exchange under way at
// B, and the cancel after it, each take at most 1000 ms for the write and
// 1000 ms for the read, so the call returns within B + 4000 ms.
//
// Only constant expressions: test and fuzz harnesses include this header to
// check the exports' durations.
#pragma once

#include <cstdint>

#include "i2c/protocol.h"

namespace kelvane::i2c {

inline constexpr std::uint64_t kBudgetBaseMs = 3000;
inline constexpr std::uint64_t kBudgetDelaysPerPiece = 3;
inline constexpr std::uint64_t kBudgetExchangeMsPerPiece = 50;
inline constexpr std::uint64_t kBudgetPieceBytes = 60;
// The exchange under way when the budget runs out and the cancel exchange:
// two writes and two reads of at most 1000 ms each.
inline constexpr std::uint64_t kBudgetOverrunMs = 4000;

// The 60-byte pieces of a transfer of `bytes` bytes on the bus, at least one.
constexpr std::uint64_t TransferPieces(std::uint64_t bytes) {
    return bytes == 0 ? 1 : (bytes + kBudgetPieceBytes - 1) / kBudgetPieceBytes;
}

// B for a transfer of count data bytes at a speed in bit/s; pecBytes is 1
// for an SMBus transfer with PEC, else 0.
constexpr std::uint64_t TransferBudgetMs(std::uint32_t count, std::uint32_t speed, std::uint32_t pecBytes = 0) {
    return kBudgetBaseMs + TransferPieces(std::uint64_t{count} + pecBytes) *
                               (kBudgetDelaysPerPiece * PollDelay(speed) + kBudgetExchangeMsPerPiece);
}

// The longest a transfer export runs, from holding the chip to its return.
constexpr std::uint64_t TransferTimeBoundMs(std::uint32_t count, std::uint32_t speed, std::uint32_t pecBytes = 0) {
    return TransferBudgetMs(count, speed, pecBytes) + kBudgetOverrunMs;
}

// The figures that kelvane.h gives as examples.
static_assert(TransferBudgetMs(65535, 46333) == 149'462);
static_assert(TransferBudgetMs(65535, 400000) == 67'487);
static_assert(TransferBudgetMs(65534, 48000, 1) == 3000 + 1093 * (3 * 27 + 50));
static_assert(TransferBudgetMs(0, 400000) == 3059);

}  // namespace kelvane::i2c
