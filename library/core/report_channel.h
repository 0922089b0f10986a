// The report channel to the selected chip: one 64-byte report written, one
// read back, each bounded by a 1000 ms wait, with the connection re-established
// by a scan whenever it is not connected.
#pragma once

#include <cstdint>

#include "core/report.h"

namespace kelvane::core {

inline constexpr std::uint32_t kTransferLimitMs = 1000;
inline constexpr std::uint8_t kReportNumber = 0x00;

// Writes one request, after taking the chip's lock for the call (see
// call_lock.h) and dropping the reports already waiting on the read handle
// (so that only an answer that comes after this request can be read as its
// answer). 0; KELVANE_E_WRITE_FAILED when not connected (after a scan) or
// when the write did not complete; KELVANE_E_CHIP_BUSY, with nothing
// written, when another process held the chip for the whole wait. A write
// that timed out, or that the platform refused because the device has gone,
// leaves the connection marked lost. The reset request goes the same way.
int SendReport(const Report& request);

// Connects when not connected (a scan) and takes the chip's lock for the
// call, before a sequence that must not count the wait for another program
// (a transfer's deadline starts after it). 0; KELVANE_E_WRITE_FAILED when
// the chip is not connected after the scan; KELVANE_E_CHIP_BUSY. A chip
// whose handle failed to open is left to the first request, which finds it
// so.
int HoldSelectedChip();

// Reads one response into the buffer; false when not connected or when no
// report was read in time (the connection is then marked lost as for a
// write). The report-number byte of the wire form is dropped unexamined.
bool ReceiveReport(Report& response);

enum class StatusCheck { kExamine, kIgnore };

// The common exchange of a simple command: send (-4, or -28 for a chip that
// another process holds), receive (-5), echo check (-6), then the status byte returned as a positive result when it is
// examined and not 0. Request and response may be the same buffer.
int CommandExchange(const Report& request, Report& response, StatusCheck check);

// Writes the reset request (no response follows). 0, -4 or -28.
int SendResetRequest();

}  // namespace kelvane::core
