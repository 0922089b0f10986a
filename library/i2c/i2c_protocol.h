// The chip's I2C transfer commands as the library's engine uses them: command
// codes, request and response byte positions, and the limits of a transfer.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kelvane::i2c {

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

}  // namespace kelvane::i2c
