// The chip's lock across processes on Linux: flock(LOCK_EX) on the chip's
// hidraw node, through the descriptor the library writes its requests to.
// Every process that uses the library takes it for the whole of a call that
// talks to the chip; the kernel releases it when the descriptor is closed
// or the process ends, however it ends.
//
// flock cannot bound a wait, so the lock is asked for without blocking and
// asked again after short sleeps (50 microseconds at first, doubling up to
// 1 ms) until it is granted or the wait runs out. Waiters are therefore not
// queued: a release is noticed within about a millisecond, and a process
// that takes the chip again at once can hold off a waiter.
#pragma once

#include <cstdint>
#include <functional>

#include "platform/platform.h"

namespace kelvane::platform::hidraw {

// flock(2) on a descriptor: 0, or -1 with errno set.
using NodeLocker = std::function<int(int fd, int operation)>;

NodeLocker SystemLocker();

// Takes the exclusive lock on the node behind fd, waiting at most waitMs on
// the monotonic clock while another open file of the node holds it.
// kBusy when it stayed held; kFailed for an invalid descriptor and for any
// error but "held" (EWOULDBLOCK) and EINTR.
LockStatus LockNode(int fd, std::uint32_t waitMs, const NodeLocker& locker);

// Releases the lock taken on fd; errors are ignored (closing the descriptor
// releases it in any case).
void UnlockNode(int fd, const NodeLocker& locker);

}  // namespace kelvane::platform::hidraw
