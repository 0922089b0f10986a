#include "platform/windows/overlapped_channel.h"

#include <new>

#include "platform/windows/clock.h"

extern "C" {
#include <hidsdi.h>
}

namespace kelvane::platform::windows {

struct OverlappedChannel::Block {
    OVERLAPPED overlapped{};
    WireReport buffer{};
    HANDLE event = nullptr;
    // The handle of the transfer still pending on this block, else null.
    HANDLE pendingOn = nullptr;

    Block() = default;
    Block(const Block&) = delete;
    Block& operator=(const Block&) = delete;
    ~Block() {
        if (event != nullptr) {
            ::CloseHandle(event);
        }
    }
};

namespace {

constexpr DWORD kWireSize = static_cast<DWORD>(kWireReportSize);
// The largest input queue the HID class driver keeps for a handle.
constexpr ULONG kLargestInputQueue = 512;

enum class WaitOutcome { kEnded, kTimedOut, kWaitFailed };

// Whether the system has ended the transfer of this record: it writes the
// final status over STATUS_PENDING before it signals the event.
bool Ended(const OVERLAPPED& overlapped) {
    return *reinterpret_cast<const volatile ULONG_PTR*>(&overlapped.Internal) != STATUS_PENDING;
}

// Waits until the transfer on the block has ended, at most limitMs. The
// event only wakes the wait; whether the transfer ended is read from the
// record, so a signal left over from elsewhere is not taken for an end.
WaitOutcome WaitForEnd(const OVERLAPPED& overlapped, HANDLE event, DWORD limitMs) {
    const Deadline deadline(limitMs);
    for (;;) {
        if (Ended(overlapped)) {
            return WaitOutcome::kEnded;
        }
        const DWORD remaining = deadline.RemainingMs();
        switch (::WaitForSingleObject(event, remaining)) {
            case WAIT_OBJECT_0:
                if (Ended(overlapped)) {
                    return WaitOutcome::kEnded;
                }
                ::ResetEvent(event);
                if (remaining == 0) {
                    return Ended(overlapped) ? WaitOutcome::kEnded : WaitOutcome::kTimedOut;
                }
                break;
            case WAIT_TIMEOUT:
                return Ended(overlapped) ? WaitOutcome::kEnded : WaitOutcome::kTimedOut;
            default:
                return WaitOutcome::kWaitFailed;
        }
    }
}

// As WaitForEnd, without the event: looks at the record every millisecond.
bool PollForEnd(const OVERLAPPED& overlapped, DWORD limitMs) {
    const Deadline deadline(limitMs);
    while (!Ended(overlapped)) {
        if (deadline.RemainingMs() == 0) {
            return false;
        }
        ::Sleep(1);
    }
    return true;
}

}  // namespace

OverlappedChannel::OverlappedChannel() = default;

OverlappedChannel::~OverlappedChannel() {
    SettlePending();
}

bool OverlappedChannel::TransferPending() const {
    return block_ != nullptr && block_->pendingOn != nullptr;
}

bool OverlappedChannel::EnsureBlock() {
    if (block_ != nullptr) {
        return true;
    }
    std::unique_ptr<Block> block(new (std::nothrow) Block);
    if (block == nullptr) {
        return false;
    }
    // Manual reset, created signalled, unnamed.
    block->event = ::CreateEventW(nullptr, TRUE, TRUE, nullptr);
    if (block->event == nullptr) {
        return false;
    }
    block_ = std::move(block);
    return true;
}

bool OverlappedChannel::SettlePending() {
    if (block_ == nullptr || block_->pendingOn == nullptr) {
        return false;
    }
    Block& block = *block_;
    if (!Ended(block.overlapped)) {
        // Fails with ERROR_NOT_FOUND when the transfer ended meanwhile.
        ::CancelIoEx(block.pendingOn, &block.overlapped);
    }
    const Deadline deadline(kCancelLimitMs);
    WaitOutcome outcome = WaitForEnd(block.overlapped, block.event, kCancelLimitMs);
    if (outcome == WaitOutcome::kWaitFailed && PollForEnd(block.overlapped, deadline.RemainingMs())) {
        outcome = WaitOutcome::kEnded;
    }
    if (outcome != WaitOutcome::kEnded) {
        // The system may still write into the block: leave it to that late
        // end, and let the next transfer take a new one.
        static_cast<void>(block_.release());
        return false;
    }
    DWORD moved = 0;
    const bool succeeded = ::GetOverlappedResult(block.pendingOn, &block.overlapped, &moved, FALSE) != FALSE;
    ::ResetEvent(block.event);
    block.pendingOn = nullptr;
    return succeeded;
}

TransferStatus OverlappedChannel::Transfer(HANDLE handle, const WireReport* outgoing, DWORD timeoutMs) {
    if (!IsUsable(handle)) {
        return TransferStatus::kDeviceGone;
    }
    SettlePending();
    if (!EnsureBlock()) {
        return TransferStatus::kFailed;
    }
    Block& block = *block_;
    if (outgoing != nullptr) {
        block.buffer = *outgoing;
    }
    block.overlapped = OVERLAPPED{};
    block.overlapped.hEvent = block.event;
    const bool isRead = outgoing == nullptr;
    const BOOL done = isRead ? ::ReadFile(handle, block.buffer.data(), kWireSize, nullptr, &block.overlapped)
                             : ::WriteFile(handle, block.buffer.data(), kWireSize, nullptr, &block.overlapped);
    if (!done && ::GetLastError() != ERROR_IO_PENDING) {
        // Refused at once: nothing is pending and nothing will signal.
        if (isRead) {
            ::ResetEvent(block.event);
        }
        return TransferStatus::kDeviceGone;
    }
    block.pendingOn = handle;
    const WaitOutcome outcome = done ? WaitOutcome::kEnded : WaitForEnd(block.overlapped, block.event, timeoutMs);
    if (isRead) {
        ::ResetEvent(block.event);
    }
    switch (outcome) {
        case WaitOutcome::kEnded:
            break;
        case WaitOutcome::kTimedOut:
            return TransferStatus::kTimedOut;  // still pending: Cancel ends it
        case WaitOutcome::kWaitFailed:
            SettlePending();
            return TransferStatus::kFailed;
    }
    block.pendingOn = nullptr;
    DWORD moved = 0;
    if (!::GetOverlappedResult(handle, &block.overlapped, &moved, FALSE) || moved != kWireSize) {
        return TransferStatus::kDeviceGone;
    }
    return TransferStatus::kCompleted;
}

TransferStatus OverlappedChannel::Write(HANDLE handle, const WireReport& report, DWORD timeoutMs) {
    return Transfer(handle, &report, timeoutMs);
}

TransferStatus OverlappedChannel::Read(HANDLE handle, WireReport& report, DWORD timeoutMs) {
    const TransferStatus status = Transfer(handle, nullptr, timeoutMs);
    if (status == TransferStatus::kCompleted) {
        report = block_->buffer;
    }
    return status;
}

void OverlappedChannel::Cancel(HANDLE handle) {
    if (block_ != nullptr && block_->pendingOn == handle && handle != nullptr) {
        SettlePending();
    }
}

void OverlappedChannel::Close(HANDLE handle) {
    Cancel(handle);
    if (handle == flushRefusedOn_) {
        // The value may come back for another handle.
        flushRefusedOn_ = nullptr;
    }
    if (IsUsable(handle)) {
        ::CloseHandle(handle);
    }
}

// The HID class driver keeps the input reports of each handle in a queue.
// HidD_FlushQueue empties it in one request that the class driver answers at
// once, so it is the way taken first. Where it is refused (wine's HID class
// driver answers ERROR_NOT_SUPPORTED; a handle that is not a HID collection
// refuses it too) the reports are taken off one by one with reads that do
// not wait: a read that finds a report ends at once; one that finds none is
// cancelled and waited for. Taking reports off is bounded by the size of the
// handle's queue (HidD_GetNumInputBuffers, else the largest queue the class
// driver keeps), plus one for a report that arrives during the drain.
// A refusal is remembered for the handle until it is closed: under wine each
// of the two requests costs more than a millisecond, and the drain runs
// before every request to the chip.
void OverlappedChannel::DiscardPendingReports(HANDLE handle) {
    if (!IsUsable(handle)) {
        return;
    }
    SettlePending();
    if (handle != flushRefusedOn_) {
        if (::HidD_FlushQueue(handle)) {
            return;
        }
        ULONG queue = 0;
        if (!::HidD_GetNumInputBuffers(handle, &queue) || queue == 0 || queue > kLargestInputQueue) {
            queue = kLargestInputQueue;
        }
        flushRefusedOn_ = handle;
        queueOfRefused_ = queue;
    }
    for (ULONG taken = 0; taken <= queueOfRefused_; ++taken) {
        if (!DiscardWithoutWaiting(handle)) {
            return;
        }
    }
}

bool OverlappedChannel::DiscardWithoutWaiting(HANDLE handle) {
    if (!EnsureBlock()) {
        return false;
    }
    Block& block = *block_;
    block.overlapped = OVERLAPPED{};
    block.overlapped.hEvent = block.event;
    const BOOL done = ::ReadFile(handle, block.buffer.data(), kWireSize, nullptr, &block.overlapped);
    if (!done && ::GetLastError() != ERROR_IO_PENDING) {
        ::ResetEvent(block.event);
        return false;
    }
    block.pendingOn = handle;
    if (!done && !Ended(block.overlapped)) {
        // Nothing was waiting. A report that arrives before the cancel
        // takes effect ends the read all the same, and is dropped too.
        return SettlePending();
    }
    block.pendingOn = nullptr;
    DWORD moved = 0;
    const bool taken = ::GetOverlappedResult(handle, &block.overlapped, &moved, FALSE) != FALSE;
    ::ResetEvent(block.event);
    return taken;
}

}  // namespace kelvane::platform::windows
