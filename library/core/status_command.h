// The chip's status and parameters command (0x10): a snapshot of the I2C
// engine, the bus lines, the revisions and the ADC readings, with an optional
// cancel of the transfer in progress.
#pragma once

#include <array>
#include <cstdint>

#include "core/report.h"

namespace kelvane::core {

inline constexpr std::uint8_t kStatusCommandCode = 0x10;

// Request bytes of the status command.
inline constexpr std::size_t kStatusCancelByte = 2;
inline constexpr std::size_t kStatusSetSpeedByte = 3;
inline constexpr std::size_t kStatusDividerByte = 4;
inline constexpr std::uint8_t kCancelTransfer = 0x10;
inline constexpr std::uint8_t kSetSpeed = 0x20;

// Response bytes of the status command.
inline constexpr std::size_t kStatusCancelStatusByte = 2;
inline constexpr std::size_t kStatusSpeedStatusByte = 3;
inline constexpr std::size_t kStatusEngineStateByte = 8;
inline constexpr std::size_t kStatusFlagsByte = 20;
inline constexpr std::uint8_t kFlagAddressNack = 0x40;
inline constexpr std::size_t kStatusSclByte = 22;
inline constexpr std::size_t kStatusSdaByte = 23;
inline constexpr std::size_t kStatusHardwareRevisionByte = 46;  // and 47
inline constexpr std::size_t kStatusFirmwareRevisionByte = 48;  // and 49
inline constexpr std::size_t kStatusAdcByte = 50;               // three readings, low byte first

struct ChipStatus {
    std::uint8_t sclLine = 0;
    std::uint8_t sdaLine = 0;
    std::uint8_t cancelStatus = 0;
};

// Firmware revision characters first, then the hardware revision.
using ChipVersions = std::array<char, 4>;

using AdcValues = std::array<std::uint16_t, 3>;

enum class Cancel { kNo, kYes };

// One status exchange. 0 with the records filled; -4, -5, -6; or the chip's
// non-zero status byte, with nothing written.
int StatusCommand(Cancel cancel, ChipStatus& status, ChipVersions& versions, AdcValues* adc);

// A 10-bit ADC reading from its low and high byte.
constexpr std::uint16_t DecodeAdcReading(std::uint8_t low, std::uint8_t high) {
    return static_cast<std::uint16_t>((high * 256 + low) & 0x3FF);
}

}  // namespace kelvane::core
