// The library's I2C engine: the steps that every I2C and SMBus transfer is
// made of, each one or more report exchanges with the chip's I2C engine.
//
// A transfer keeps one request and one response report for all of its
// exchanges, and one deadline; the engine sends and receives the reports and
// reads the response itself, without looking at the echoed command code.
// In the order a transfer takes them: the speed setting; then for a write
// the data pieces, each through the acceptance loop, and the end-of-transfer
// poll; for a read its start and the collection of its data. Every pause
// between exchanges is a multiple of the poll delay D (protocol.h) and never
// reaches past the transfer's deadline.
#pragma once

#include <cstdint>
#include <optional>

#include "core/report.h"
#include "i2c/streams.h"

namespace kelvane::i2c {

// ---- Exchanges, the deadline and pauses -------------------------------

// The point on the platform's clock by which a transfer must be done: its
// budget counted from the moment the transfer holds the chip (its first
// exchange), so that a wait for another program's use of the chip does not
// eat into it.
class TransferDeadline {
public:
    // Without a budget the deadline never passes.
    TransferDeadline() = default;
    explicit TransferDeadline(std::uint64_t budgetMs) : budgetMs_(budgetMs) {}

    // Starts the budget now; later calls change nothing.
    void Start();
    bool Started() const { return started_; }

    // Never before the start.
    bool Passed() const;
    // Milliseconds left, 0 once passed; the whole budget before the start,
    // the largest value without a budget.
    std::uint64_t RemainingMs() const;

    // An exchange was refused because the deadline had passed.
    void MarkRunOut() { runOut_ = true; }
    bool RunOut() const { return runOut_; }

private:
    std::optional<std::uint64_t> budgetMs_;
    std::optional<std::uint64_t> endMs_;
    bool started_ = false;
    bool runOut_ = false;
};

struct TransferReports {
    Report request{};
    Report response{};
    TransferDeadline deadline;
};

// The reports of a transfer that is given budgetMs from its first exchange.
inline TransferReports BudgetedTransfer(std::uint64_t budgetMs) {
    return TransferReports{{}, {}, TransferDeadline(budgetMs)};
}

// Sends the request (-4 when not written, -28 when another process holds
// the chip) and reads the response (-5 when none was read). 0 when both went
// through. -18, with nothing sent, once the transfer's deadline has passed.
// The first exchange of a transfer connects and takes the chip first (a
// scan when not connected: -4 when the chip is not there; -28), then starts
// the deadline.
int Exchange(TransferReports& reports);

// Sleeps on the active platform, but not past the transfer's deadline.
void Pause(const TransferReports& reports, std::uint32_t milliseconds);

// The end of every transfer export: a transfer that ran out of time is
// cancelled on the chip (a status request with the cancel sub-command,
// whose answer is not looked at) and ends with -18; any other result is
// passed on as it is.
int EndTransfer(TransferReports& reports, int result);

// ---- Speed setting ------------------------------------------------------

// Sets the bus clock for a supported speed with a 0x10 request, at the start
// of every transfer. When the chip does not take the new divider (a transfer
// stands in the way), the request goes again with the cancel sub-command.
// firstRefusal is the result when the first exchange answers with a non-zero
// status (-22 for I2C, -8 for SMBus); a refused second exchange gives -22.
// Also -4, -5.
int SetI2cSpeed(TransferReports& reports, std::uint32_t speed, int firstRefusal);

// ---- The data phase of a write ------------------------------------------

// Sends the request at most 50 times until a response carries status 0.
// A refusal that shows a failure state gives -18 at once; any other refusal
// is followed by a pause of D / 2, and the 50th gives -19. Also -4, -5.
int SendUntilAccepted(TransferReports& reports, std::uint32_t delay);

// Sends the stream (at most 65,535 bytes) in pieces of at most 60 bytes with
// a write command (0x90, or 0x94 for a write that a read follows) to a slave
// address byte. Every report repeats the header: command, total count,
// address. Each piece goes through the acceptance loop and is followed by a
// pause of D; an empty stream is one report with the header alone. 0, or the
// acceptance loop's result; -17 when a piece could not be copied into the
// report.
int SendWriteChunks(TransferReports& reports, std::uint8_t command, std::uint8_t address,
                    const WriteStream& stream, std::uint32_t delay);

// ---- The data phase of a read -------------------------------------------

// Asks the chip to read count bytes from a slave address byte with one read
// command (0x91, or 0x93 after a 0x94 write). One try: -24 when the chip does
// not accept it; -4, -5.
int StartRead(TransferReports& reports, std::uint8_t command, std::uint8_t address, std::uint32_t count);

// The data phase of a read that the chip has started: 0x40 requests until the
// bytes are in. Fetches up to sink.Total() bytes into the sink. The first
// request goes out after a pause of D, each after a data report too; a
// not-ready report (count above 60) is followed by D / 2. The read waits for
// at most 3 x (total / 60 + 1) data reports and ends early, with 0, on a
// report that carries no data or when that budget is spent.
// -25: a data report with a non-zero status; -23: state 0x25 in a report with
// a count; -26: a 51st not-ready report in a row; -27: more bytes than the
// total; -17: bytes that could not be stored; -4, -5.
int CollectReadData(TransferReports& reports, ReadSink& sink, std::uint32_t delay);

// ---- Status polls -------------------------------------------------------
// Polling the chip's status until its I2C engine reaches a state, fails, or
// the poll runs out. The end-of-transfer poll and the SMBus wait for the read
// phase are both made of it.

// Bounds on a poll whose answers keep saying "in progress" with status 0,
// which the 50-count alone would let run for ever: the time the platform's
// clock shows since the poll began, and, for a clock that does not advance,
// the number of in-progress answers. Either one ends the poll with -18.
inline constexpr std::uint64_t kPollTimeLimitMs = 1000;
inline constexpr int kMaxInProgressAnswers = 10'000;

struct PollGoal {
    std::uint8_t state;     // the engine state that ends the poll with success
    int idleResult;         // the result when the engine is idle and idle is not the goal
    bool checkAddressFlag;  // -23 when the status shows the address-not-acknowledged flag
};

// Sends plain 0x10 status requests. A response with a non-zero status byte
// costs one of 50 counts and a pause of D / 2, and is then read like any
// other. The goal state ends the poll: 0 while counts are left, -19 when none
// are; a failure state gives -18; an idle engine the goal's idle result.
// Any other state polls again at once, until the counts (-19) or the bounds
// above (-18) run out. Also -4, -5.
int PollEngineStatus(TransferReports& reports, std::uint32_t delay, const PollGoal& goal);

enum class AddressFlag { kCheck, kIgnore };

// The end-of-transfer poll of a write: polls the status until the engine is
// idle (0) or failed (-18). With the address-flag check (I2C writes), the
// flag gives -23 whatever the state. -19 after 50 non-zero status bytes; -18
// when the engine stays in progress beyond the poll's bounds; -4, -5.
int WaitTransferEnd(TransferReports& reports, std::uint32_t delay, AddressFlag flag);

}  // namespace kelvane::i2c
