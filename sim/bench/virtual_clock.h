// The virtual clock of the bench: time passes only when the host sleeps, a
// transfer waits out its limit, or an exchange is given a latency.
#pragma once

#include <cstdint>

namespace kelvane::sim {

class VirtualClock {
public:
    std::uint64_t NowUs() const { return nowUs_; }
    std::uint64_t NowMs() const { return nowUs_ / 1000; }
    void AdvanceUs(std::uint64_t us) { nowUs_ += us; }
    void AdvanceMs(std::uint64_t ms) { nowUs_ += ms * 1000; }

private:
    std::uint64_t nowUs_ = 0;
};

}  // namespace kelvane::sim
