// The chip's lock across processes on Windows: a named mutex per device,
// whose name every process derives alike from the device path, taken with a
// bounded wait. A mutex whose holder ended without releasing it (the process
// died) is handed to the next waiter as abandoned; that counts as taken, and
// the next transfer's speed setting cancels whatever the dead process left
// running on the chip.
//
// A mutex belongs to the thread that took it: the library takes and releases
// it within one call, on the caller's thread. Names live in the Global
// namespace, so that programs of every session share them. A program that
// may not open the mutex another one created (another user's, with the
// default access rights) cannot take the chip: its lock fails (kFailed).
#pragma once

#include "platform/windows/win32.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/platform.h"

namespace kelvane::platform::windows {

// "Global\kelvane-chip-" and the 16 hexadecimal digits of the 64-bit FNV-1a
// hash of the device path's UTF-8 bytes with ASCII letters in lower case
// (paths differ in case only where the system hands them over differently):
// the same in every process, 32-bit or 64-bit, and far within the length
// limit of object names whatever the path.
std::wstring DeviceMutexName(std::string_view devicePath);

// The mutexes of the write handles the backend opened.
class DeviceMutexes {
public:
    DeviceMutexes() = default;
    ~DeviceMutexes();
    DeviceMutexes(const DeviceMutexes&) = delete;
    DeviceMutexes& operator=(const DeviceMutexes&) = delete;

    // The device path a write handle was opened on.
    void Track(HANDLE handle, std::string_view devicePath);

    // Opens the device's mutex (creating it when no process has) at the
    // first lock on the handle, then waits for it at most waitMs.
    // kAcquired also when it was abandoned; kBusy when the wait ran out;
    // kFailed for a handle that Track did not see or a mutex that cannot be
    // opened.
    LockStatus Lock(HANDLE handle, std::uint32_t waitMs);
    void Unlock(HANDLE handle);

    // The handle is being closed: its mutex is closed with it (released
    // first, when it is held).
    void Forget(HANDLE handle);

private:
    struct Entry {
        std::wstring name;
        HANDLE mutex = nullptr;
        bool held = false;
    };
    std::unordered_map<HANDLE, Entry> entries_;
};

}  // namespace kelvane::platform::windows
