#include "sim/i2c_engine.h"

namespace kelvane::sim {

std::uint8_t I2cEngine::Cancel(std::uint64_t nowUs) {
    const bool busy = State(nowUs) != kIdle;
    state_ = kIdle;
    flags_ = 0;
    return busy ? kCancelDone : 0;
}

std::uint8_t I2cEngine::SetDivider(std::uint8_t divider, std::uint64_t nowUs) {
    if (State(nowUs) != kIdle) {
        return kSpeedRefused;
    }
    divider_ = divider;
    return kSpeedTaken;
}

std::uint8_t I2cEngine::State(std::uint64_t) const {
    return state_;
}

std::uint8_t I2cEngine::Flags(std::uint64_t) const {
    return flags_;
}

void I2cEngine::Reset() {
    *this = I2cEngine{};
}

}  // namespace kelvane::sim
