// The wire form of a report that hidraw delivered.
//
// hidraw hands over an unnumbered input report as its bare 64 bytes, and a
// numbered one with the report number in front (65 bytes). The library works
// on the 65-byte wire form, report number first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/platform.h"

namespace kelvane::platform::hidraw {

inline constexpr std::size_t kReportPayloadSize = kWireReportSize - 1;

// received holds what one read() returned, at most kWireReportSize bytes
// (longer input is cut to that size):
//  - 65 bytes: a numbered report, taken as it is;
//  - 1 to 64 bytes: an unnumbered report, placed after a report number 0;
//    a report shorter than 64 bytes is padded with zeros.
WireReport FrameInputReport(std::span<const std::uint8_t> received);

}  // namespace kelvane::platform::hidraw
