// A named-pipe pair standing in for a HID device: the host end is a real
// overlapped handle on which the backend's transfers run, the device end a
// plain handle through which a test answers, stays silent or goes away.
// Message mode on both ends, so that every write is one report.
#pragma once

#include "platform/windows/win32.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace kelvane::testing {

// A name no other pipe of this machine carries.
inline std::wstring UniquePipeName(const std::wstring& stem) {
    static std::atomic<unsigned> serial{0};
    return L"\\\\.\\pipe\\kelvane-" + stem + L"-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
           std::to_wstring(serial++);
}

class PipePair {
public:
    // bufferBytes 0 makes every write wait for a reader.
    explicit PipePair(DWORD bufferBytes = 65536) {
        const std::wstring name = UniquePipeName(L"pair");
        host_ = ::CreateNamedPipeW(name.c_str(),
                                   PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
                                   PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, 1, bufferBytes,
                                   bufferBytes, 0, nullptr);
        device_ = ::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        DWORD mode = PIPE_READMODE_MESSAGE;
        ::SetNamedPipeHandleState(device_, &mode, nullptr, nullptr);
    }
    ~PipePair() {
        JoinCloser();
        CloseDevice();
        if (host_ != INVALID_HANDLE_VALUE) {
            ::CloseHandle(host_);
        }
    }
    PipePair(const PipePair&) = delete;
    PipePair& operator=(const PipePair&) = delete;

    bool Ready() const { return host_ != INVALID_HANDLE_VALUE && device_ != INVALID_HANDLE_VALUE; }
    HANDLE Host() const { return host_; }
    // Hands the host end over to the caller, who closes it.
    HANDLE TakeHost() {
        const HANDLE host = host_;
        host_ = INVALID_HANDLE_VALUE;
        return host;
    }

    // The device sends one report (one message) of the given bytes.
    bool DeviceSends(const std::vector<std::uint8_t>& bytes) {
        DWORD written = 0;
        return ::WriteFile(device_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
               written == bytes.size();
    }

    // The device takes the next message; empty when it could not.
    std::vector<std::uint8_t> DeviceReceives() {
        std::vector<std::uint8_t> bytes(256);
        DWORD read = 0;
        if (!::ReadFile(device_, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr)) {
            return {};
        }
        bytes.resize(read);
        return bytes;
    }

    // Bytes waiting for the device to read, without taking them.
    DWORD BytesWaitingForDevice() const {
        DWORD available = 0;
        ::PeekNamedPipe(device_, nullptr, 0, nullptr, &available, nullptr);
        return available;
    }

    void CloseDevice() {
        if (device_ != INVALID_HANDLE_VALUE) {
            ::CloseHandle(device_);
            device_ = INVALID_HANDLE_VALUE;
        }
    }

    // Closes the device end from another thread, after a delay, while the
    // test's own thread is waiting on a transfer.
    void CloseDeviceAfter(DWORD delayMs) {
        closeDelayMs_ = delayMs;
        closer_ = ::CreateThread(nullptr, 0, &PipePair::Closer, this, 0, nullptr);
    }
    void JoinCloser() {
        if (closer_ != nullptr) {
            ::WaitForSingleObject(closer_, 5000);
            ::CloseHandle(closer_);
            closer_ = nullptr;
        }
    }

private:
    static DWORD WINAPI Closer(void* self) {
        auto* pair = static_cast<PipePair*>(self);
        ::Sleep(pair->closeDelayMs_);
        pair->CloseDevice();
        return 0;
    }

    HANDLE host_ = INVALID_HANDLE_VALUE;
    HANDLE device_ = INVALID_HANDLE_VALUE;
    HANDLE closer_ = nullptr;
    DWORD closeDelayMs_ = 0;
};

// A report of 65 bytes: report number 0, then first, first + 1, ...
inline std::vector<std::uint8_t> NumberedReport(std::uint8_t first) {
    std::vector<std::uint8_t> bytes(65);
    for (std::size_t i = 1; i < bytes.size(); ++i) {
        bytes[i] = static_cast<std::uint8_t>(first + i);
    }
    return bytes;
}

// Milliseconds of real time taken by a call.
template <typename Call>
double ElapsedMs(Call&& call) {
    const auto start = std::chrono::steady_clock::now();
    call();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace kelvane::testing
