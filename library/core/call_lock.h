// Who may use the library and the chip at a given moment.
//
// Every export holds the library for the whole of its call (CallLock): calls
// made from several threads run one after another, each with the
// process-wide state to itself. From its first request to the chip to its
// end, a call also holds the chip's own lock, which every process using the
// library honours (Platform::LockDevice): a whole exchange sequence (a status
// poll, a transfer with its pauses, a settings read-modify-write) then runs
// without another program's requests, and so without its answers, in
// between. Scans take no chip lock: they exchange no reports.
//
// A call that finds the chip held by another process waits for it at most
// kChipWaitLimitMs and then fails with KELVANE_E_CHIP_BUSY, without having
// sent anything. The library lock is held during that wait, so other threads
// of the process wait as long; no wait is longer.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace kelvane::core {

// The longest a call waits for a chip that another process holds: a little
// more than the longest a healthy chip takes for the largest transfer at the
// slowest speed (65,535 bytes at 46,333 bit/s: 1,093 pieces of a 28 ms pause
// and an exchange, about 33 s).
inline constexpr std::uint32_t kChipWaitLimitMs = 35'000;

// Held by every export for its whole call: waits for the calls of other
// threads to end. On release, the chip's lock is given up first, then the
// library.
class CallLock {
public:
    CallLock();
    ~CallLock();
    CallLock(const CallLock&) = delete;
    CallLock& operator=(const CallLock&) = delete;
};

// Takes the chip's lock on the current write handle, unless the call holds
// it there already (it is held across the call's requests). 0;
// KELVANE_E_CHIP_BUSY when another process held the chip for the whole wait;
// KELVANE_E_WRITE_FAILED when the lock could not be asked for. Called by the
// report channel before each request, inside a CallLock.
int HoldChip(platform::DeviceHandle writeHandle);

// Gives up the chip's lock when it is held through this handle. Called
// before the handle is closed, so that the lock never outlives the handle it
// was taken on (a Windows mutex does not go with the handle).
void ReleaseChipHeldBy(platform::DeviceHandle handle);

// The wait bound in effect: kChipWaitLimitMs unless a test shortened it.
std::uint32_t ChipWaitLimitMs();
void SetChipWaitLimitMs(std::uint32_t milliseconds);

}  // namespace kelvane::core
