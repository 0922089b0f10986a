// The unit of the chip protocol: one 64-byte report.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace kelvane {

inline constexpr std::size_t kReportSize = 64;

// Request: byte 0 is the command code, every byte a command does not set is 0.
// Response: byte 0 echoes the command code, byte 1 is the status (0 = success).
using Report = std::array<std::uint8_t, kReportSize>;

inline constexpr std::size_t kCommandByte = 0;
inline constexpr std::size_t kStatusByte = 1;

}  // namespace kelvane
