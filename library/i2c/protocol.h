// The chip's I2C transfer commands as the library's engine uses them: command
// codes, request and response byte positions, the limits of a transfer, the
// states of the chip's I2C engine that the library acts upon, the pacing of
// the exchanges, the clock divider of a bus speed, and the argument checks
// that every transfer makes before it sends anything.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>

#include "kelvane.h"

namespace kelvane::i2c {

// ---- Commands, byte positions and limits -------------------------------

// Command codes.
inline constexpr std::uint8_t kI2cWriteCommand = 0x90;
inline constexpr std::uint8_t kI2cReadCommand = 0x91;
inline constexpr std::uint8_t kGetDataCommand = 0x40;
// A write that a read follows (the engine then waits in state 0x45), and the
// read that follows it.
inline constexpr std::uint8_t kWriteBeforeReadCommand = 0x94;
inline constexpr std::uint8_t kReadAfterWriteCommand = 0x93;

// Request bytes of 0x90, 0x91, 0x93 and 0x94.
inline constexpr std::size_t kCountLowByte = 1;
inline constexpr std::size_t kCountHighByte = 2;
inline constexpr std::size_t kAddressByte = 3;
inline constexpr std::size_t kPieceStart = 4;

// Response bytes of 0x90, 0x91, 0x93, 0x94 and 0x40 (byte 1 is the status).
inline constexpr std::size_t kEngineStateByte = 2;
inline constexpr std::size_t kDataCountByte = 3;  // 0x40 only
inline constexpr std::size_t kDataStart = 4;      // 0x40 only

// Limits.
inline constexpr std::uint32_t kMaxTransferCount = 65535;
inline constexpr std::size_t kPieceSize = 60;          // data bytes per report, both ways
inline constexpr int kAcceptanceTries = 50;            // sends of one report the chip refuses
inline constexpr int kNotReadyTries = 50;              // not-ready data reports in a row tolerated
inline constexpr int kStatusPollCounter = 50;          // non-zero status bytes a status poll tolerates

// The read-side bit of an 8-bit slave address byte.
inline constexpr std::uint8_t kReadBit = 0x01;

// ---- Engine states ------------------------------------------------------
// Byte 8 of a status response, byte 2 of the transfer and data responses.
// Every value not named here means that the transfer is still in progress.

inline constexpr std::uint8_t kEngineIdle = 0x00;
// After a 0x94 write: the register index is out and the engine waits for the
// read that follows.
inline constexpr std::uint8_t kEngineAwaitingRead = 0x45;
// In a data report with data: the slave did not acknowledge its address.
inline constexpr std::uint8_t kEngineReadAddressNack = 0x25;

inline constexpr std::array<std::uint8_t, 7> kFailureStates = {0x12, 0x17, 0x23, 0x25, 0x44, 0x52, 0x62};
// Counts as a failure only when a status poll sees it; a refused transfer
// command that shows it is still in progress.
inline constexpr std::uint8_t kPollOnlyFailureState = 0x21;

// A failure state in byte 2 of a refused transfer command.
constexpr bool IsRefusalFailureState(std::uint8_t state) {
    return std::find(kFailureStates.begin(), kFailureStates.end(), state) != kFailureStates.end();
}

// A failure state in byte 8 of a status poll: those of a refusal, and 0x21.
constexpr bool IsPollFailureState(std::uint8_t state) {
    return state == kPollOnlyFailureState || IsRefusalFailureState(state);
}

// ---- Pacing ---------------------------------------------------------------
// The delay D between exchanges, which grows as the bus speed falls.

// D in milliseconds for a bus speed in bit/s: 1,320,000 / speed, truncated
// toward zero; 0 above 1,320,000 bit/s, and 0 for a speed of 0, which has no
// delay. The integer quotient is the truncated real one: for a speed that
// does not divide 1,320,000 the quotient lies at least 1 / speed away from
// the next integer, far more than any rounding could bridge.
constexpr std::uint32_t PollDelay(std::uint32_t speed) {
    return speed == 0 ? 0 : 1'320'000u / speed;
}

// D / 2, rounded down: the pause between refused or not-ready attempts.
constexpr std::uint32_t HalfDelay(std::uint32_t delay) {
    return delay / 2;
}

// ---- Clock divider ------------------------------------------------------

// Slowest and fastest speed, in bit/s, whose divider fits the 8-bit divider
// byte: 48,000,000 / (4 x speed) - 3 lies within 0 to 255 exactly for these.
inline constexpr std::uint32_t kMinBusSpeed = 46'333;
inline constexpr std::uint32_t kMaxBusSpeed = 4'000'000;

// True when the speed admits a divider (and so a poll delay).
constexpr bool IsSupportedSpeed(std::uint32_t speed) {
    return speed >= kMinBusSpeed && speed <= kMaxBusSpeed;
}

// 48,000,000 / (4 x speed) - 3 with unsigned 32-bit arithmetic, low 8 bits.
// Only meaningful for a supported speed.
constexpr std::uint8_t ClockDivider(std::uint32_t speed) {
    const std::uint32_t divider = 48'000'000u / (4u * speed) - 3u;
    return static_cast<std::uint8_t>(divider & 0xFFu);
}

// ---- Argument checks ----------------------------------------------------

// -203 when the count is above the transfer's limit, then -204 when the speed
// (the fourth argument of every transfer) has no divider; 0 when both are
// usable.
constexpr int CheckCountAndSpeed(std::uint32_t count, std::uint32_t maxCount, std::uint32_t speed) {
    if (count > maxCount) {
        return KELVANE_E_ARGUMENT_3;
    }
    if (!IsSupportedSpeed(speed)) {
        return KELVANE_E_ARGUMENT_4;
    }
    return KELVANE_SUCCESS;
}

}  // namespace kelvane::i2c
