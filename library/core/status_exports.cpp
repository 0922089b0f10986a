// Exports built on the status command, and the reset request.
#include "core/call_lock.h"
#include "core/report_channel.h"
#include "core/status_command.h"
#include "kelvane.h"

using namespace kelvane::core;

namespace {

// Runs the status command and hands back its records; the result as the
// command gave it.
struct Snapshot {
    ChipStatus status;
    ChipVersions versions{};
    int result = KELVANE_SUCCESS;
};

Snapshot TakeSnapshot(Cancel cancel, AdcValues* adc = nullptr) {
    Snapshot snapshot;
    snapshot.result = StatusCommand(cancel, snapshot.status, snapshot.versions, adc);
    return snapshot;
}

}  // namespace

extern "C" {

KELVANE_API int KELVANE_CALL ResetDevice(void) {
    const kelvane::core::CallLock lock;
    return SendResetRequest();
}

KELVANE_API int KELVANE_CALL GetAdcData(unsigned short* values) {
    const kelvane::core::CallLock lock;
    AdcValues adc{};
    const Snapshot snapshot = TakeSnapshot(Cancel::kYes, &adc);
    if (snapshot.result == KELVANE_SUCCESS && values != nullptr) {
        for (std::size_t i = 0; i < adc.size(); ++i) {
            values[i] = adc[i];
        }
    }
    return snapshot.result;
}

KELVANE_API int KELVANE_CALL StopI2cDataTransfer(void) {
    const kelvane::core::CallLock lock;
    const Snapshot snapshot = TakeSnapshot(Cancel::kYes);
    return snapshot.result != KELVANE_SUCCESS ? snapshot.result : snapshot.status.cancelStatus;
}

KELVANE_API int KELVANE_CALL GetSclLineValue(void) {
    const kelvane::core::CallLock lock;
    const Snapshot snapshot = TakeSnapshot(Cancel::kNo);
    return snapshot.result != KELVANE_SUCCESS ? snapshot.result : snapshot.status.sclLine;
}

KELVANE_API int KELVANE_CALL GetSdaLineValue(void) {
    const kelvane::core::CallLock lock;
    const Snapshot snapshot = TakeSnapshot(Cancel::kNo);
    return snapshot.result != KELVANE_SUCCESS ? snapshot.result : snapshot.status.sdaLine;
}

KELVANE_API int KELVANE_CALL GetFirmwareVersion(char* buffer) {
    const kelvane::core::CallLock lock;
    if (buffer == nullptr) {
        return KELVANE_E_ARGUMENT_1;
    }
    const Snapshot snapshot = TakeSnapshot(Cancel::kNo);
    if (snapshot.result == KELVANE_SUCCESS) {
        buffer[0] = snapshot.versions[0];
        buffer[1] = '.';
        buffer[2] = snapshot.versions[1];
        buffer[3] = '\0';
    }
    return snapshot.result;
}

KELVANE_API int KELVANE_CALL GetHardwareVersion(char* buffer) {
    const kelvane::core::CallLock lock;
    if (buffer == nullptr) {
        return KELVANE_E_ARGUMENT_1;
    }
    const Snapshot snapshot = TakeSnapshot(Cancel::kNo);
    if (snapshot.result == KELVANE_SUCCESS) {
        buffer[0] = snapshot.versions[2];
        buffer[1] = snapshot.versions[3];
        buffer[2] = '\0';
    }
    return snapshot.result;
}

}  // extern "C"
