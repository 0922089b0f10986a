// The virtual chip's I2C engine as the status command sees it: engine state,
// address flag, bus clock divider and the cancel of a transfer in progress.
#pragma once

#include <cstdint>

namespace kelvane::sim {

class I2cEngine {
public:
    static constexpr std::uint8_t kIdle = 0x00;
    static constexpr std::uint8_t kCancelDone = 0x10;  // cancel status: a transfer was stopped
    static constexpr std::uint8_t kSpeedTaken = 0x20;  // set-speed status: divider taken
    static constexpr std::uint8_t kSpeedRefused = 0x21;
    static constexpr std::uint8_t kFlagAddressNack = 0x40;

    // Stops the transfer in progress; the cancel status for response byte 2.
    std::uint8_t Cancel(std::uint64_t nowUs);
    // Takes a new clock divider when the engine is idle; the set-speed status
    // for response byte 3.
    std::uint8_t SetDivider(std::uint8_t divider, std::uint64_t nowUs);

    std::uint8_t State(std::uint64_t nowUs) const;
    std::uint8_t Flags(std::uint64_t nowUs) const;
    std::uint8_t Divider() const { return divider_; }

    // Forces a state, for a chip whose engine is stuck in a transfer.
    void ForceState(std::uint8_t state) { state_ = state; }
    void Reset();

private:
    std::uint8_t divider_ = 117;  // 100 kHz
    std::uint8_t state_ = kIdle;
    std::uint8_t flags_ = 0;
};

}  // namespace kelvane::sim
