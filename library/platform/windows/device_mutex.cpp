#include "platform/windows/device_mutex.h"

#include <cstdio>
#include <utility>

namespace kelvane::platform::windows {

std::wstring DeviceMutexName(std::string_view devicePath) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const char c : devicePath) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (byte >= 'A' && byte <= 'Z') {
            byte = static_cast<unsigned char>(byte - 'A' + 'a');
        }
        hash ^= byte;
        hash *= 0x100000001b3ULL;
    }
    wchar_t digits[17] = {};
    static constexpr wchar_t kHex[] = L"0123456789abcdef";
    for (int i = 15; i >= 0; --i) {
        digits[i] = kHex[hash & 0xF];
        hash >>= 4;
    }
    return std::wstring(L"Global\\kelvane-chip-") + digits;
}

DeviceMutexes::~DeviceMutexes() {
    for (auto& [handle, entry] : entries_) {
        if (entry.held) {
            ::ReleaseMutex(entry.mutex);
        }
        if (entry.mutex != nullptr) {
            ::CloseHandle(entry.mutex);
        }
    }
}

void DeviceMutexes::Track(HANDLE handle, std::string_view devicePath) {
    std::wstring name = DeviceMutexName(devicePath);
    Forget(handle);  // a handle value the system gave out again
    entries_[handle].name = std::move(name);
}

LockStatus DeviceMutexes::Lock(HANDLE handle, std::uint32_t waitMs) {
    const auto found = entries_.find(handle);
    if (found == entries_.end() || found->second.held) {
        return LockStatus::kFailed;
    }
    Entry& entry = found->second;
    if (entry.mutex == nullptr) {
        entry.mutex = ::CreateMutexW(nullptr, FALSE, entry.name.c_str());
        if (entry.mutex == nullptr) {
            return LockStatus::kFailed;
        }
    }
    switch (::WaitForSingleObject(entry.mutex, waitMs)) {
        case WAIT_OBJECT_0:
        case WAIT_ABANDONED:
            entry.held = true;
            return LockStatus::kAcquired;
        case WAIT_TIMEOUT:
            return LockStatus::kBusy;
        default:
            return LockStatus::kFailed;
    }
}

void DeviceMutexes::Unlock(HANDLE handle) {
    const auto found = entries_.find(handle);
    if (found != entries_.end() && found->second.held) {
        found->second.held = false;
        ::ReleaseMutex(found->second.mutex);
    }
}

void DeviceMutexes::Forget(HANDLE handle) {
    const auto found = entries_.find(handle);
    if (found == entries_.end()) {
        return;
    }
    if (found->second.held) {
        ::ReleaseMutex(found->second.mutex);
    }
    if (found->second.mutex != nullptr) {
        ::CloseHandle(found->second.mutex);
    }
    entries_.erase(found);
}

}  // namespace kelvane::platform::windows
