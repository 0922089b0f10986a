// The argument checks that every transfer makes before it sends anything.
#pragma once

#include <cstdint>

#include "i2c/clock_divider.h"
#include "kelvane.h"

namespace kelvane::i2c {

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
