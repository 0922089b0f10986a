#include "i2c/status_poll.h"

#include "core/status_command.h"
#include "i2c/engine_state.h"
#include "i2c/i2c_protocol.h"
#include "i2c/poll_delay.h"
#include "kelvane.h"
#include "platform/platform.h"

namespace kelvane::i2c {
namespace {

// What one status response means for the poll; kPollAgain when it decides nothing.
constexpr int kPollAgain = 1;

int Judge(const Report& response, const PollGoal& goal, bool countsLeft) {
    if (goal.checkAddressFlag && (response[core::kStatusFlagsByte] & core::kFlagAddressNack) != 0) {
        return KELVANE_E_ADDRESS_NACK;
    }
    const std::uint8_t state = response[core::kStatusEngineStateByte];
    if (state == goal.state) {
        return countsLeft ? KELVANE_SUCCESS : KELVANE_E_SEND;
    }
    if (IsPollFailureState(state)) {
        return KELVANE_E_TIMEOUT;
    }
    if (state == kEngineIdle) {
        return goal.idleResult;
    }
    return countsLeft ? kPollAgain : KELVANE_E_SEND;
}

}  // namespace

int PollEngineStatus(TransferReports& reports, std::uint32_t delay, const PollGoal& goal) {
    platform::Platform& platform = platform::ActivePlatform();
    reports.request.fill(0);
    reports.request[kCommandByte] = core::kStatusCommandCode;
    const std::uint64_t startMs = platform.NowMs();
    int counts = kStatusPollCounter;
    for (int answers = 1;; ++answers) {
        if (const int result = Exchange(reports); result != KELVANE_SUCCESS) {
            return result;
        }
        if (reports.response[kStatusByte] != 0) {
            --counts;
            Pause(reports, HalfDelay(delay));
        }
        const int verdict = Judge(reports.response, goal, counts > 0);
        if (verdict != kPollAgain) {
            return verdict;
        }
        if (answers >= kMaxInProgressAnswers || platform.NowMs() - startMs >= kPollTimeLimitMs) {
            return KELVANE_E_TIMEOUT;
        }
    }
}

}  // namespace kelvane::i2c
