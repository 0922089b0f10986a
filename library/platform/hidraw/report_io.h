// Reports moved through an open hidraw node, and the clock that bounds every
// wait: the monotonic clock, the millisecond pauses of the backend and the
// deadline of a transfer; the wire form of a report that hidraw delivered;
// one report written to or read from the node, non-blocking, each bounded by
// a time limit on the monotonic clock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/platform.h"

namespace kelvane::platform::hidraw {

// ---- The clock --------------------------------------------------------------
// The monotonic clock and millisecond sleeps of the hidraw backend, and the
// deadline that bounds every wait of a report transfer.

// Milliseconds of CLOCK_MONOTONIC.
std::uint64_t MonotonicNowMs();

// Sleeps for the whole duration and ends close to its deadline: the thread
// sleeps until shortly before it and spins on the monotonic clock for the
// rest, so that the scheduler's wake-up lateness does not add up over the
// thousands of pauses of a long transfer. Signal interruptions resume the
// sleep.
void SleepForMs(std::uint32_t milliseconds);

// A point on the monotonic clock, a given number of milliseconds from now.
class Deadline {
public:
    explicit Deadline(std::uint32_t limitMs);

    // Milliseconds left, as a poll() time-out (0 once the deadline is past).
    int RemainingMs() const;
    bool Passed() const;

private:
    std::uint64_t endMs_;
};

// ---- Framing ----------------------------------------------------------------
// The wire form of a report that hidraw delivered.
//
// hidraw hands over an unnumbered input report as its bare 64 bytes, and a
// numbered one with the report number in front (65 bytes). The library works
// on the 65-byte wire form, report number first.

inline constexpr std::size_t kReportPayloadSize = kWireReportSize - 1;

// received holds what one read() returned, at most kWireReportSize bytes
// (longer input is cut to that size):
//  - 65 bytes: a numbered report, taken as it is;
//  - 1 to 64 bytes: an unnumbered report, placed after a report number 0;
//    a report shorter than 64 bytes is padded with zeros.
WireReport FrameInputReport(std::span<const std::uint8_t> received);

// ---- Report I/O -------------------------------------------------------------
// One report written to or read from an open hidraw node, non-blocking, each
// bounded by a time limit on the monotonic clock.
//
// Outcome of a failed call, by what the kernel said:
//  - ENODEV, EIO, EPIPE, ESHUTDOWN, end of file, POLLHUP, POLLERR, POLLNVAL:
//    the device has gone (kDeviceGone);
//  - EINTR, EAGAIN: waited for and retried within the limit;
//  - no progress within the limit: kTimedOut;
//  - anything else, and a write that took fewer than all 65 bytes: kFailed.

// Writes all 65 bytes: hidraw takes the report number as the first byte of
// the write. A hidraw write is synchronous in the kernel and bounded there
// by the USB output time-out; the limit here bounds only the waits for the
// node to accept a write (EAGAIN).
TransferStatus WriteReport(int fd, const WireReport& report, std::uint32_t timeoutMs);

// Waits at most timeoutMs for a report, then reads it into wire form (see
// FrameInputReport). Data already queued is delivered even when the device
// has hung up behind it.
TransferStatus ReadReport(int fd, WireReport& report, std::uint32_t timeoutMs);

// Whether the device behind an open node is still there, asked without
// waiting and without moving a report: poll() reports neither a hang-up nor
// an error on the node (the kernel reports both on every open file of a
// hidraw device once the device has gone). False for an invalid descriptor.
bool NodeStillThere(int fd);

// The kernel keeps at most this many input reports queued for each open
// hidraw file; older ones are dropped when it is full.
inline constexpr int kKernelInputQueueReports = 64;

// Reads and drops the reports already queued on the node, without waiting
// for any: at most kKernelInputQueueReports of them, so that a device that
// keeps sending cannot hold the caller. Ends quietly when the queue is empty
// and on any error (a device that has gone shows at the next transfer).
void DiscardQueuedReports(int fd);

}  // namespace kelvane::platform::hidraw
