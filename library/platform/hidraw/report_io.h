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

}  // namespace kelvane::platform::hidraw
