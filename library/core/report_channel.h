// The report channel to the selected chip: one 64-byte report written, one
// read back, each bounded by a 1000 ms wait, with the connection re-established
// by a scan whenever it is not connected.
#pragma once

#include <cstdint>

#include "core/report.h"

namespace kelvane::core {

inline constexpr std::uint32_t kTransferLimitMs = 1000;
inline constexpr std::uint8_t kReportNumber = 0x00;

// Writes one request, after dropping the reports already waiting on the
// read handle (so that only an answer that comes after this request can be
// read as its answer). False when not connected (after a scan) or when the
// write did not complete; a write that timed out, or that the platform
// refused because the device has gone, leaves the connection marked lost.
// The reset request goes the same way.
bool SendReport(const Report& request);

// Reads one response into the buffer; false as SendReport. The report-number
// byte of the wire form is dropped unexamined.
bool ReceiveReport(Report& response);

enum class StatusCheck { kExamine, kIgnore };

// The common exchange of a simple command: send (-4), receive (-5), echo
// check (-6), then the status byte returned as a positive result when it is
// examined and not 0. Request and response may be the same buffer.
int CommandExchange(const Report& request, Report& response, StatusCheck check);

// Writes the reset request (no response follows). 0, or -4.
int SendResetRequest();

}  // namespace kelvane::core
