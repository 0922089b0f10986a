#include "i2c/engine_exchange.h"

#include <algorithm>
#include <limits>

#include "core/report_channel.h"
#include "core/status_command.h"
#include "kelvane.h"
#include "platform/platform.h"

namespace kelvane::i2c {

TransferDeadline::TransferDeadline(std::uint64_t budgetMs)
    : endMs_(platform::ActivePlatform().NowMs() + budgetMs) {}

bool TransferDeadline::Passed() const {
    return endMs_ && platform::ActivePlatform().NowMs() >= *endMs_;
}

std::uint64_t TransferDeadline::RemainingMs() const {
    if (!endMs_) {
        return std::numeric_limits<std::uint64_t>::max();
    }
    const std::uint64_t now = platform::ActivePlatform().NowMs();
    return now >= *endMs_ ? 0 : *endMs_ - now;
}

int Exchange(TransferReports& reports) {
    if (reports.deadline.Passed()) {
        reports.deadline.MarkRunOut();
        return KELVANE_E_TIMEOUT;
    }
    if (!core::SendReport(reports.request)) {
        return KELVANE_E_WRITE_FAILED;
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

}  // namespace kelvane::i2c
