#include "i2c/engine_state.h"

#include <algorithm>
#include <array>

namespace kelvane::i2c {
namespace {

constexpr std::array<std::uint8_t, 7> kFailureStates = {0x12, 0x17, 0x23, 0x25, 0x44, 0x52, 0x62};
// Counts as a failure only when a status poll sees it; a refused transfer
// command that shows it is still in progress.
constexpr std::uint8_t kPollOnlyFailureState = 0x21;

}  // namespace

bool IsRefusalFailureState(std::uint8_t state) {
    return std::find(kFailureStates.begin(), kFailureStates.end(), state) != kFailureStates.end();
}

bool IsPollFailureState(std::uint8_t state) {
    return state == kPollOnlyFailureState || IsRefusalFailureState(state);
}

}  // namespace kelvane::i2c
