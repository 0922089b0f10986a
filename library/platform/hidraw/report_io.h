// One report written to or read from an open hidraw node, non-blocking, each
// bounded by a time limit on the monotonic clock.
//
// Outcome of a failed call, by what the kernel said:
//  - ENODEV, EIO, EPIPE, ESHUTDOWN, end of file, POLLHUP, POLLERR, POLLNVAL:
//    the device has gone (kDeviceGone);
//  - EINTR, EAGAIN: waited for and retried within the limit;
//  - no progress within the limit: kTimedOut;
//  - anything else, and a write that took fewer than all 65 bytes: kFailed.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace kelvane::platform::hidraw {

// Writes all 65 bytes: hidraw takes the report number as the first byte of
// the write. A hidraw write is synchronous in the kernel and bounded there
// by the USB output time-out; the limit here bounds only the waits for the
// node to accept a write (EAGAIN).
TransferStatus WriteReport(int fd, const WireReport& report, std::uint32_t timeoutMs);

// Waits at most timeoutMs for a report, then reads it into wire form (see
// FrameInputReport). Data already queued is delivered even when the device
// has hung up behind it.
TransferStatus ReadReport(int fd, WireReport& report, std::uint32_t timeoutMs);

// The kernel keeps at most this many input reports queued for each open
// hidraw file; older ones are dropped when it is full.
inline constexpr int kKernelInputQueueReports = 64;

// Reads and drops the reports already queued on the node, without waiting
// for any: at most kKernelInputQueueReports of them, so that a device that
// keeps sending cannot hold the caller. Ends quietly when the queue is empty
// and on any error (a device that has gone shows at the next transfer).
void DiscardQueuedReports(int fd);

}  // namespace kelvane::platform::hidraw
