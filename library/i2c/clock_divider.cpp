#include "i2c/clock_divider.h"

namespace kelvane::i2c {

std::uint8_t ClockDivider(std::uint32_t speed) {
    const std::uint32_t divider = 48'000'000u / (4u * speed) - 3u;
    return static_cast<std::uint8_t>(divider & 0xFFu);
}

}  // namespace kelvane::i2c
