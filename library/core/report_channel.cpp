#include "core/report_channel.h"

#include <algorithm>

#include "core/call_lock.h"
#include "core/device_registry.h"
#include "core/library_state.h"
#include "kelvane.h"
#include "platform/platform.h"

namespace kelvane::core {
namespace {

using platform::TransferStatus;

bool EnsureConnected() {
    return State().connected || ScanDevices();
}

// The connection is lost: cancel what is pending, close the current handles
// and mark them invalid in the table entry that holds them, so that the next
// scan does not close them a second time.
void DropConnection() {
    LibraryState& state = State();
    platform::Platform& platform = platform::ActivePlatform();
    ReleaseChipHeldBy(state.currentWrite);
    for (platform::DeviceHandle handle : {state.currentWrite, state.currentRead}) {
        if (handle != platform::kInvalidHandle) {
            platform.Cancel(handle);
        }
    }
    for (std::int32_t i = 0; i < state.deviceCount; ++i) {
        DeviceEntry& entry = state.deviceTable[static_cast<std::size_t>(i)];
        if (entry.writeHandle == state.currentWrite) {
            entry.writeHandle = platform::kInvalidHandle;
        }
        if (entry.readHandle == state.currentRead) {
            entry.readHandle = platform::kInvalidHandle;
        }
    }
    if (state.currentRead != platform::kInvalidHandle) {
        platform.Close(state.currentRead);
    }
    if (state.currentWrite != platform::kInvalidHandle) {
        platform.Close(state.currentWrite);
    }
    state.currentRead = platform::kInvalidHandle;
    state.currentWrite = platform::kInvalidHandle;
    state.connected = false;
}

// True when the transfer completed. A time-out, a refusal because the device
// has gone, and a handle that never opened all lose the connection, so that
// the next transfer scans again; any other failed wait leaves it as it is.
bool Settle(TransferStatus status) {
    switch (status) {
        case TransferStatus::kCompleted:
            return true;
        case TransferStatus::kTimedOut:
        case TransferStatus::kDeviceGone:
            DropConnection();
            return false;
        case TransferStatus::kFailed:
            return false;
    }
    return false;
}

// The chip is held for the call before anything goes out. Whatever already
// waits on the read handle (an answer that came after its read had given
// up, a report the chip sent unasked, the answers to another program's
// requests before this call took the chip) is then dropped, so that the next
// read returns an answer that came after this request.
int WriteWire(const platform::WireReport& wire) {
    const LibraryState& state = State();
    const platform::DeviceHandle handle = state.currentWrite;
    if (handle == platform::kInvalidHandle) {
        Settle(TransferStatus::kDeviceGone);
        return KELVANE_E_WRITE_FAILED;
    }
    if (const int held = HoldChip(handle); held != KELVANE_SUCCESS) {
        return held;
    }
    platform::Platform& platform = platform::ActivePlatform();
    if (state.currentRead != platform::kInvalidHandle) {
        platform.DiscardPendingReports(state.currentRead);
    }
    return Settle(platform.Write(handle, wire, kTransferLimitMs)) ? KELVANE_SUCCESS : KELVANE_E_WRITE_FAILED;
}

platform::WireReport ToWire(const Report& report) {
    platform::WireReport wire{};
    wire[0] = kReportNumber;
    std::copy(report.begin(), report.end(), wire.begin() + 1);
    return wire;
}

}  // namespace

int SendReport(const Report& request) {
    const platform::WireReport wire = ToWire(request);
    if (!EnsureConnected()) {
        return KELVANE_E_WRITE_FAILED;
    }
    return WriteWire(wire);
}

int HoldSelectedChip() {
    if (!EnsureConnected()) {
        return KELVANE_E_WRITE_FAILED;
    }
    const platform::DeviceHandle handle = State().currentWrite;
    return handle == platform::kInvalidHandle ? KELVANE_SUCCESS : HoldChip(handle);
}

bool ReceiveReport(Report& response) {
    if (!EnsureConnected()) {
        return false;
    }
    const platform::DeviceHandle handle = State().currentRead;
    if (handle == platform::kInvalidHandle) {
        return Settle(TransferStatus::kDeviceGone);
    }
    platform::WireReport wire{};
    if (!Settle(platform::ActivePlatform().Read(handle, wire, kTransferLimitMs))) {
        return false;
    }
    std::copy(wire.begin() + 1, wire.end(), response.begin());
    return true;
}

int CommandExchange(const Report& request, Report& response, StatusCheck check) {
    const std::uint8_t command = request[kCommandByte];
    if (const int sent = SendReport(request); sent != KELVANE_SUCCESS) {
        return sent;
    }
    if (!ReceiveReport(response)) {
        return KELVANE_E_READ_FAILED;
    }
    if (response[kCommandByte] != command) {
        return KELVANE_E_WRONG_ECHO;
    }
    if (check == StatusCheck::kExamine && response[kStatusByte] != 0) {
        return response[kStatusByte];
    }
    return KELVANE_SUCCESS;
}

int SendResetRequest() {
    Report request{};
    request[0] = 0x70;
    request[1] = 0xAB;
    request[2] = 0xCD;
    request[3] = 0xEF;
    return SendReport(request);
}

}  // namespace kelvane::core
