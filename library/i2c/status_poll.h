// Polling the chip's status until its I2C engine reaches a state, fails, or
// the poll runs out. The end-of-transfer poll and the SMBus wait for the read
// phase are both made of it.
#pragma once

#include <cstdint>

#include "i2c/engine_exchange.h"

namespace kelvane::i2c {

// Bounds on a poll whose answers keep saying "in progress" with status 0,
// which the 50-count alone would let run for ever: the time the platform's
// clock shows since the poll began, and, for a clock that does not advance,
// the number of in-progress answers. Either one ends the poll with -18.
inline constexpr std::uint64_t kPollTimeLimitMs = 1000;
inline constexpr int kMaxInProgressAnswers = 10'000;

struct PollGoal {
    std::uint8_t state;     // the engine state that ends the poll with success
    int idleResult;         // the result when the engine is idle and idle is not the goal
    bool checkAddressFlag;  // -23 when the status shows the address-not-acknowledged flag
};

// Sends plain 0x10 status requests. A response with a non-zero status byte
// costs one of 50 counts and a pause of D / 2, and is then read like any
// other. The goal state ends the poll: 0 while counts are left, -19 when none
// are; a failure state gives -18; an idle engine the goal's idle result.
// Any other state polls again at once, until the counts (-19) or the bounds
// above (-18) run out. Also -4, -5.
int PollEngineStatus(TransferReports& reports, std::uint32_t delay, const PollGoal& goal);

}  // namespace kelvane::i2c
