// The virtual chip's GPIO commands on the runtime pins. 0x51 answers value
// and direction of each pin from byte 2 (0xEE and 0xEF for a pin that is not
// a GPIO); 0x50 takes four bytes per pin from byte 2: change-value flag,
// value, change-direction flag, direction. Changes to a pin that is not a
// GPIO are ignored.
#pragma once

#include "chip/runtime_settings.h"
#include "core/report.h"

namespace kelvane::sim {

inline constexpr std::uint8_t kNotGpioValue = 0xEE;
inline constexpr std::uint8_t kNotGpioDirection = 0xEF;

void GetGpio(const RuntimeSettings& runtime, Report& response);
void SetGpio(RuntimeSettings& runtime, const Report& request);

}  // namespace kelvane::sim
