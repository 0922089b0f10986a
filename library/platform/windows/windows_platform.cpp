#include "platform/windows/windows_platform.h"

#include <new>
#include <optional>
#include <string>

#include "platform/windows/clock.h"
#include "platform/windows/hid_enumeration.h"
#include "text/wide_text.h"

extern "C" {
#include <hidsdi.h>
}

namespace kelvane::platform {

using windows::FromHandle;
using windows::ToHandle;

WindowsPlatform::WindowsPlatform(const windows::SetupApi& setupApi, bool highResolutionPauses)
    : setupApi_(setupApi), pause_(highResolutionPauses) {}

std::vector<HidInterface> WindowsPlatform::EnumerateInterfaces() {
    return windows::EnumerateHidInterfaces(setupApi_);
}

DeviceHandle WindowsPlatform::Open(std::string_view path, OpenMode mode) {
    const std::optional<std::wstring> widePath = text::WideFromUtf8(path);
    if (!widePath || widePath->empty() || widePath->find(L'\0') != std::wstring::npos) {
        return kInvalidHandle;
    }
    const DWORD access = mode == OpenMode::kWrite ? GENERIC_WRITE : GENERIC_READ;
    const HANDLE handle = ::CreateFileW(widePath->c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        return kInvalidHandle;
    }
    if (mode == OpenMode::kWrite) {
        try {
            mutexes_.Track(handle, path);
        } catch (const std::bad_alloc&) {
            ::CloseHandle(handle);  // nobody else knows of it
            throw;
        }
    }
    return FromHandle(handle);
}

bool WindowsPlatform::StillReaches(DeviceHandle handle) {
    const HANDLE device = ToHandle(handle);
    if (!windows::IsUsable(device)) {
        return false;
    }
    HIDD_ATTRIBUTES attributes{};
    attributes.Size = sizeof attributes;
    return ::HidD_GetAttributes(device, &attributes) != FALSE;
}

LockStatus WindowsPlatform::LockDevice(DeviceHandle handle, std::uint32_t waitMs) {
    return mutexes_.Lock(ToHandle(handle), waitMs);
}

void WindowsPlatform::UnlockDevice(DeviceHandle handle) {
    mutexes_.Unlock(ToHandle(handle));
}

TransferStatus WindowsPlatform::Write(DeviceHandle handle, const WireReport& report, std::uint32_t timeoutMs) {
    return channel_.Write(ToHandle(handle), report, timeoutMs);
}

TransferStatus WindowsPlatform::Read(DeviceHandle handle, WireReport& report, std::uint32_t timeoutMs) {
    return channel_.Read(ToHandle(handle), report, timeoutMs);
}

void WindowsPlatform::Cancel(DeviceHandle handle) {
    channel_.Cancel(ToHandle(handle));
}

void WindowsPlatform::Close(DeviceHandle handle) {
    mutexes_.Forget(ToHandle(handle));
    channel_.Close(ToHandle(handle));
}

void WindowsPlatform::DiscardPendingReports(DeviceHandle readHandle) {
    channel_.DiscardPendingReports(ToHandle(readHandle));
}

void WindowsPlatform::SleepMs(std::uint32_t milliseconds) {
    pause_.For(milliseconds);
}

std::uint64_t WindowsPlatform::NowMs() {
    return windows::MonotonicNowMs();
}

}  // namespace kelvane::platform
