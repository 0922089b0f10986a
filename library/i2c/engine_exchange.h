// One report exchange of the I2C engine, and the pauses between exchanges.
// A transfer keeps one request and one response report for all of its
// exchanges, and one deadline; the engine sends and receives the reports and
// reads the response itself, without looking at the echoed command code.
#pragma once

#include <cstdint>
#include <optional>

#include "core/report.h"

namespace kelvane::i2c {

// The point on the platform's clock by which a transfer must be done.
class TransferDeadline {
public:
    // Without a budget the deadline never passes.
    TransferDeadline() = default;
    // budgetMs from now.
    explicit TransferDeadline(std::uint64_t budgetMs);

    bool Passed() const;
    // Milliseconds left, 0 once passed; the largest value without a budget.
    std::uint64_t RemainingMs() const;

    // An exchange was refused because the deadline had passed.
    void MarkRunOut() { runOut_ = true; }
    bool RunOut() const { return runOut_; }

private:
    std::optional<std::uint64_t> endMs_;
    bool runOut_ = false;
};

struct TransferReports {
    Report request{};
    Report response{};
    TransferDeadline deadline;
};

// The reports of a transfer that is given budgetMs from now.
inline TransferReports BudgetedTransfer(std::uint64_t budgetMs) {
    return TransferReports{{}, {}, TransferDeadline(budgetMs)};
}

// Sends the request (-4 when not written) and reads the response (-5 when
// none was read). 0 when both went through. -18, with nothing sent, once the
// transfer's deadline has passed.
int Exchange(TransferReports& reports);

// Sleeps on the active platform, but not past the transfer's deadline.
void Pause(const TransferReports& reports, std::uint32_t milliseconds);

// The end of every transfer export: a transfer that ran out of time is
// cancelled on the chip (a status request with the cancel sub-command,
// whose answer is not looked at) and ends with -18; any other result is
// passed on as it is.
int EndTransfer(TransferReports& reports, int result);

}  // namespace kelvane::i2c
