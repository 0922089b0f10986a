// Report transfers on overlapped handles, with one control block shared by
// every write and read; and the platform's device handles as Windows HANDLEs.
//
// The block holds one OVERLAPPED record, the 65-byte transfer buffer and one
// manual-reset completion event (created signalled). A transfer:
//  1. starts WriteFile or ReadFile of exactly 65 bytes on the block. A call
//     that fails at once (anything but ERROR_IO_PENDING) is a device that
//     has gone: nobody will signal the event, so nothing is waited for;
//  2. waits on the event, at most the time limit (1000 ms for reports);
//  3. after a read's wait, whatever its outcome, sets the event back to
//     non-signalled;
//  4. once the transfer has ended (the event signalled, or the call done at
//     once), asks GetOverlappedResult for its outcome: completed only when
//     it succeeded with all 65 bytes. A transfer that ended with an error or
//     with fewer bytes is a device that has gone (an unplugged chip ends a
//     pending read with ERROR_ACCESS_DENIED and still signals the event;
//     shortly after an unplug a write can also be accepted and then fail so).
//  5. A time-out leaves the transfer pending on the block. Cancel, Close, and
//     any later use of the block first cancel it (CancelIoEx on that very
//     control block) and wait for it to end: a cancelled transfer can end
//     tens of milliseconds after the cancel call returns, and until then the
//     system may still write into the block and its buffer.
// The data of a read is copied to the caller only after the read completed,
// so a transfer that ends late never writes into the caller's memory.
//
// Waiting for a cancelled transfer is bounded too (kCancelLimitMs). If it
// has not ended by then, the block is abandoned: left allocated, with its
// event, for the late end to write into, and a new block serves the next
// transfers. This costs a little memory and one event per abandoned block,
// and happens only with a driver that does not end cancelled requests.
//
// Outcomes: kCompleted; kTimedOut (still pending, to be cancelled);
// kDeviceGone (refused at once, ended with an error or short, or an unusable
// handle); kFailed when the wait itself failed (the transfer is cancelled
// and waited for before returning) or no event could be created.
//
// One transfer at a time, from one thread at a time; the handles are the
// caller's.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

#include "platform/platform.h"
#include "platform/windows/win32.h"

namespace kelvane::platform::windows {

// ---- Handles ----------------------------------------------------------------
// A device handle of the platform layer is the value of a Windows HANDLE.
// kInvalidHandle (-1) is INVALID_HANDLE_VALUE, what CreateFileW returns on
// failure.

inline HANDLE ToHandle(DeviceHandle handle) {
    return reinterpret_cast<HANDLE>(handle);
}

inline DeviceHandle FromHandle(HANDLE handle) {
    return reinterpret_cast<DeviceHandle>(handle);
}

// Neither INVALID_HANDLE_VALUE nor the null handle: worth giving to a call.
inline bool IsUsable(HANDLE handle) {
    return handle != INVALID_HANDLE_VALUE && handle != nullptr;
}

static_assert(sizeof(DeviceHandle) == sizeof(HANDLE));

// ---- The channel ------------------------------------------------------------

// The bound of the wait for a cancelled transfer to end.
inline constexpr DWORD kCancelLimitMs = 1000;

class OverlappedChannel {
public:
    OverlappedChannel();
    ~OverlappedChannel();
    OverlappedChannel(const OverlappedChannel&) = delete;
    OverlappedChannel& operator=(const OverlappedChannel&) = delete;

    TransferStatus Write(HANDLE handle, const WireReport& report, DWORD timeoutMs);
    // On kCompleted, report holds the 65 bytes read; otherwise it is untouched.
    TransferStatus Read(HANDLE handle, WireReport& report, DWORD timeoutMs);

    // Cancels the transfer that a time-out left pending on handle and waits
    // for it to end. Nothing to do when none is pending there.
    void Cancel(HANDLE handle);

    // Closes a handle, after cancelling and waiting for a transfer pending on
    // it. Handles given to the other calls are closed only through here.
    void Close(HANDLE handle);

    // Takes the reports already waiting on a read handle and drops them,
    // without waiting for any (see the .cpp for how).
    void DiscardPendingReports(HANDLE handle);

    // Whether a transfer is still pending on the block.
    bool TransferPending() const;

private:
    struct Block;

    // A write of *outgoing, or a read when it is null.
    TransferStatus Transfer(HANDLE handle, const WireReport* outgoing, DWORD timeoutMs);
    bool EnsureBlock();
    // Cancels the pending transfer, if any, and waits for it to end; true
    // when it had succeeded before the cancel took effect.
    bool SettlePending();
    bool DiscardWithoutWaiting(HANDLE handle);

    std::unique_ptr<Block> block_;
    // The handle whose HID class driver refused HidD_FlushQueue, and the
    // size of its input queue.
    HANDLE flushRefusedOn_ = nullptr;
    ULONG queueOfRefused_ = 0;
};

}  // namespace kelvane::platform::windows
