#include "i2c/engine.h"

#include <algorithm>
#include <limits>
#include <span>

#include "core/report_channel.h"
#include "core/status_command.h"
#include "i2c/protocol.h"
#include "kelvane.h"
#include "platform/platform.h"

namespace kelvane::i2c {

// ---- Exchanges, the deadline and pauses -------------------------------

void TransferDeadline::Start() {
    if (started_) {
        return;
    }
    started_ = true;
    if (budgetMs_) {
        endMs_ = platform::ActivePlatform().NowMs() + *budgetMs_;
    }
}

bool TransferDeadline::Passed() const {
    return endMs_ && platform::ActivePlatform().NowMs() >= *endMs_;
}

std::uint64_t TransferDeadline::RemainingMs() const {
    if (!endMs_) {
        return budgetMs_.value_or(std::numeric_limits<std::uint64_t>::max());
    }
    const std::uint64_t now = platform::ActivePlatform().NowMs();
    return now >= *endMs_ ? 0 : *endMs_ - now;
}

int Exchange(TransferReports& reports) {
    if (!reports.deadline.Started()) {
        if (const int held = core::HoldSelectedChip(); held != KELVANE_SUCCESS) {
            return held;
        }
        reports.deadline.Start();
    }
    if (reports.deadline.Passed()) {
        reports.deadline.MarkRunOut();
        return KELVANE_E_TIMEOUT;
    }
    if (const int sent = core::SendReport(reports.request); sent != KELVANE_SUCCESS) {
        return sent;
    }
    if (!core::ReceiveReport(reports.response)) {
        return KELVANE_E_READ_FAILED;
    }
    return KELVANE_SUCCESS;
}

void Pause(const TransferReports& reports, std::uint32_t milliseconds) {
    const std::uint64_t pause = std::min<std::uint64_t>(milliseconds, reports.deadline.RemainingMs());
    platform::ActivePlatform().SleepMs(static_cast<std::uint32_t>(pause));
}

int EndTransfer(TransferReports& reports, int result) {
    if (!reports.deadline.RunOut()) {
        return result;
    }
    core::ChipStatus status;
    core::ChipVersions versions{};
    core::StatusCommand(core::Cancel::kYes, status, versions, nullptr);
    return KELVANE_E_TIMEOUT;
}

// ---- Speed setting ------------------------------------------------------

int SetI2cSpeed(TransferReports& reports, std::uint32_t speed, int firstRefusal) {
    Report& request = reports.request;
    const Report& response = reports.response;
    request.fill(0);
    request[kCommandByte] = core::kStatusCommandCode;
    request[core::kStatusSetSpeedByte] = core::kSetSpeed;
    request[core::kStatusDividerByte] = ClockDivider(speed);
    if (const int result = Exchange(reports); result != KELVANE_SUCCESS) {
        return result;
    }
    if (response[kStatusByte] != 0) {
        return firstRefusal;
    }
    if (response[core::kStatusSpeedStatusByte] == core::kSetSpeed) {
        return KELVANE_SUCCESS;
    }
    // Not taken: cancel whatever the engine is doing and set the clock in the
    // same request. Whether it was taken this time is not asked again.
    request[core::kStatusCancelByte] = core::kCancelTransfer;
    if (const int result = Exchange(reports); result != KELVANE_SUCCESS) {
        return result;
    }
    return response[kStatusByte] != 0 ? KELVANE_E_I2C_STATUS : KELVANE_SUCCESS;
}

// ---- The data phase of a write ------------------------------------------

int SendUntilAccepted(TransferReports& reports, std::uint32_t delay) {
    for (int attempt = 0; attempt < kAcceptanceTries; ++attempt) {
        if (const int result = Exchange(reports); result != KELVANE_SUCCESS) {
            return result;
        }
        if (reports.response[kStatusByte] == 0) {
            return KELVANE_SUCCESS;
        }
        if (IsRefusalFailureState(reports.response[kEngineStateByte])) {
            return KELVANE_E_TIMEOUT;
        }
        Pause(reports, HalfDelay(delay));
    }
    return KELVANE_E_SEND;
}

namespace {

void WriteHeader(Report& request, std::uint8_t command, std::size_t total, std::uint8_t address) {
    request.fill(0);
    request[kCommandByte] = command;
    request[kCountLowByte] = static_cast<std::uint8_t>(total & 0xFF);
    request[kCountHighByte] = static_cast<std::uint8_t>((total >> 8) & 0xFF);
    request[kAddressByte] = address;
}

}  // namespace

int SendWriteChunks(TransferReports& reports, std::uint8_t command, std::uint8_t address,
                    const WriteStream& stream, std::uint32_t delay) {
    const std::size_t total = stream.Size();
    WriteHeader(reports.request, command, total, address);
    const std::span<std::uint8_t> piece = std::span(reports.request).subspan(kPieceStart, kPieceSize);
    std::size_t offset = 0;
    do {
        const std::size_t count = std::min(total - offset, kPieceSize);
        std::fill(piece.begin(), piece.end(), 0);  // a short last piece leaves no stale bytes behind
        if (!stream.CopyOut(offset, count, piece)) {
            return KELVANE_E_COPY;
        }
        if (const int result = SendUntilAccepted(reports, delay); result != KELVANE_SUCCESS) {
            return result;
        }
        offset += count;
        Pause(reports, delay);
    } while (offset < total);
    return KELVANE_SUCCESS;
}

// ---- The data phase of a read -------------------------------------------

int StartRead(TransferReports& reports, std::uint8_t command, std::uint8_t address, std::uint32_t count) {
    Report& request = reports.request;
    request.fill(0);
    request[kCommandByte] = command;
    request[kCountLowByte] = static_cast<std::uint8_t>(count & 0xFF);
    request[kCountHighByte] = static_cast<std::uint8_t>((count >> 8) & 0xFF);
    request[kAddressByte] = address;
    if (const int result = Exchange(reports); result != KELVANE_SUCCESS) {
        return result;
    }
    return reports.response[kStatusByte] != 0 ? KELVANE_E_TRANSFER_REFUSED : KELVANE_SUCCESS;
}

int CollectReadData(TransferReports& reports, ReadSink& sink, std::uint32_t delay) {
    const std::size_t total = sink.Total();
    long budget = 3 * (static_cast<long>(total) / static_cast<long>(kPieceSize) + 1);
    int tries = kNotReadyTries;
    std::uint32_t wait = delay;
    reports.request.fill(0);
    reports.request[kCommandByte] = kGetDataCommand;
    const Report& response = reports.response;
    while (!(total > 0 && sink.Received() >= total) && budget > 0) {
        Pause(reports, wait);
        if (const int result = Exchange(reports); result != KELVANE_SUCCESS) {
            return result;
        }
        if (response[kStatusByte] != 0) {
            return KELVANE_E_COMMAND_FAILED;
        }
        const std::size_t count = response[kDataCountByte];
        if (count == 0) {
            return KELVANE_SUCCESS;
        }
        if (response[kEngineStateByte] == kEngineReadAddressNack) {
            return KELVANE_E_ADDRESS_NACK;
        }
        if (count > kPieceSize) {  // not ready yet; costs no budget
            if (tries == 0) {
                return KELVANE_E_NO_DATA;
            }
            --tries;
            wait = HalfDelay(delay);
            continue;
        }
        if (sink.Received() + count > total) {
            return KELVANE_E_TOO_MUCH_DATA;
        }
        if (!sink.Take(std::span(response).subspan(kDataStart, count))) {
            return KELVANE_E_COPY;
        }
        --budget;
        tries = kNotReadyTries;
        wait = delay;
    }
    return KELVANE_SUCCESS;
}

// ---- Status polls -------------------------------------------------------

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

int WaitTransferEnd(TransferReports& reports, std::uint32_t delay, AddressFlag flag) {
    const PollGoal goal{kEngineIdle, KELVANE_SUCCESS, flag == AddressFlag::kCheck};
    return PollEngineStatus(reports, delay, goal);
}

}  // namespace kelvane::i2c
