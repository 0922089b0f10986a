// The chip's lock across processes on Windows: the mutex name that every
// process derives from a device path, and the backend's lock on a write
// handle against another process that holds the chip, lets it go, or dies
// holding it. The other process is this test program run again with
// KELVANE_TEST_HOLD_MUTEX set, which makes its DeviceMutexHolder test take
// the mutex and wait for the parent's word.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "platform/windows/device_mutex.h"
#include "platform/windows/win32.h"
#include "platform/windows/windows_platform.h"

namespace kelvane::testing {
namespace {

using platform::LockStatus;
using platform::OpenMode;

constexpr char kHoldVariable[] = "KELVANE_TEST_HOLD_MUTEX";

TEST(DeviceMutexName, IsTheSameForEveryProcessAndCaseOfAPathAndDiffersBetweenPaths) {
    const std::string path = "\\\\?\\hid#vid_1209&pid_4b56#7&1a2b3c4d&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";
    const std::wstring name = platform::windows::DeviceMutexName(path);
    // FNV-1a (64 bits) of the lower-case path, worked out apart from the
    // backend: the 32-bit and the 64-bit library must both arrive at it.
    EXPECT_EQ(name, L"Global\\kelvane-chip-fa8075e8a02b8ea6");
    EXPECT_EQ(platform::windows::DeviceMutexName("\\\\?\\HID#VID_1209&PID_4B56#7&1A2B3C4D&0&0000#"
                                                 "{4D1E55B2-F16F-11CF-88CB-001111000030}"),
              name);
    EXPECT_NE(platform::windows::DeviceMutexName(path + "x"), name);
    EXPECT_EQ(platform::windows::DeviceMutexName(""), L"Global\\kelvane-chip-cbf29ce484222325");
    EXPECT_EQ(platform::windows::DeviceMutexName("a"), L"Global\\kelvane-chip-af63dc4c8601ec8c");
}

// The other process's side: takes the mutex, signals "held", waits for the
// word to go on, then releases it ("release") or ends without ("die").
TEST(DeviceMutexHolder, HoldsTheMutexForTheParent) {
    const char* order = std::getenv(kHoldVariable);
    if (order == nullptr) {
        GTEST_SKIP() << "run by the cross-process tests only";
    }
    // mutex name|held event|go event|release or die
    std::string text = order;
    std::wstring parts[4];
    for (std::wstring& part : parts) {
        const std::size_t bar = text.find('|');
        part.assign(text.begin(), bar == std::string::npos ? text.end() : text.begin() + static_cast<long>(bar));
        text = bar == std::string::npos ? "" : text.substr(bar + 1);
    }
    const HANDLE mutex = ::CreateMutexW(nullptr, FALSE, parts[0].c_str());
    ASSERT_NE(mutex, nullptr);
    ASSERT_EQ(::WaitForSingleObject(mutex, 10'000), WAIT_OBJECT_0);
    const HANDLE held = ::OpenEventW(EVENT_MODIFY_STATE, FALSE, parts[1].c_str());
    const HANDLE go = ::OpenEventW(SYNCHRONIZE, FALSE, parts[2].c_str());
    ASSERT_NE(held, nullptr);
    ASSERT_NE(go, nullptr);
    ::SetEvent(held);
    ASSERT_EQ(::WaitForSingleObject(go, 20'000), WAIT_OBJECT_0);
    if (parts[3] == L"die") {
        ::ExitProcess(0);  // the mutex is abandoned, not released
    }
    ::ReleaseMutex(mutex);
}

// A write handle of the backend on a file whose path stands for the device
// path, and another process that holds the same device's mutex.
class DeviceMutexAcrossProcesses : public ::testing::Test {
protected:
    DeviceMutexAcrossProcesses() {
        const std::string stem = "kelvane-mutex-" + std::to_string(::GetCurrentProcessId());
        file_ = std::filesystem::temp_directory_path() / stem;
        std::ofstream(file_).put('x');
        handle_ = platform_.Open(file_.string(), OpenMode::kWrite);
        heldName_ = L"Local\\" + std::wstring(stem.begin(), stem.end()) + L"-held";
        goName_ = L"Local\\" + std::wstring(stem.begin(), stem.end()) + L"-go";
        held_ = ::CreateEventW(nullptr, TRUE, FALSE, heldName_.c_str());
        go_ = ::CreateEventW(nullptr, TRUE, FALSE, goName_.c_str());
    }
    ~DeviceMutexAcrossProcesses() override {
        if (child_.hProcess != nullptr) {
            ::SetEvent(go_);
            ::WaitForSingleObject(child_.hProcess, 10'000);
            ::CloseHandle(child_.hProcess);
            ::CloseHandle(child_.hThread);
        }
        platform_.Close(handle_);
        ::CloseHandle(held_);
        ::CloseHandle(go_);
        std::error_code ignored;
        std::filesystem::remove(file_, ignored);
    }

    // Starts the other process and waits until it holds the mutex.
    void StartHolder(const char* how) {
        wchar_t self[MAX_PATH] = {};
        ASSERT_GT(::GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
        const std::wstring mutexName = platform::windows::DeviceMutexName(file_.string());
        const std::wstring order = mutexName + L"|" + heldName_ + L"|" + goName_ + L"|" +
                                   std::wstring(how, how + std::char_traits<char>::length(how));
        ASSERT_TRUE(::SetEnvironmentVariableW(L"KELVANE_TEST_HOLD_MUTEX", order.c_str()));
        std::wstring commandLine = L"\"" + std::wstring(self) +
                                   L"\" --gtest_filter=DeviceMutexHolder.HoldsTheMutexForTheParent --gtest_brief=1";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        const BOOL started = ::CreateProcessW(self, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                              nullptr, &startup, &child_);
        ::SetEnvironmentVariableW(L"KELVANE_TEST_HOLD_MUTEX", nullptr);
        ASSERT_TRUE(started);
        ASSERT_EQ(::WaitForSingleObject(held_, 20'000), WAIT_OBJECT_0) << "the other process did not take the mutex";
    }

    // Tells the other process to go on, and waits for its end.
    DWORD LetHolderGoOn() {
        ::SetEvent(go_);
        EXPECT_EQ(::WaitForSingleObject(child_.hProcess, 20'000), WAIT_OBJECT_0);
        DWORD code = 1;
        ::GetExitCodeProcess(child_.hProcess, &code);
        return code;
    }

    static long long MsSince(std::chrono::steady_clock::time_point start) {
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
            .count();
    }

    platform::WindowsPlatform platform_;
    std::filesystem::path file_;
    platform::DeviceHandle handle_ = platform::kInvalidHandle;
    std::wstring heldName_;
    std::wstring goName_;
    HANDLE held_ = nullptr;
    HANDLE go_ = nullptr;
    PROCESS_INFORMATION child_{};
};

TEST_F(DeviceMutexAcrossProcesses, AChipHeldByAnotherProcessIsBusyUntilItLetsGo) {
    ASSERT_NE(handle_, platform::kInvalidHandle);
    StartHolder("release");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(platform_.LockDevice(handle_, 300), LockStatus::kBusy);
    EXPECT_GE(MsSince(start), 290);

    EXPECT_EQ(LetHolderGoOn(), 0u);
    EXPECT_EQ(platform_.LockDevice(handle_, 5000), LockStatus::kAcquired);
    platform_.UnlockDevice(handle_);
    // Released, it can be taken again at once.
    EXPECT_EQ(platform_.LockDevice(handle_, 0), LockStatus::kAcquired);
    platform_.UnlockDevice(handle_);
}

TEST_F(DeviceMutexAcrossProcesses, AMutexAbandonedByAProcessThatDiedCountsAsFree) {
    ASSERT_NE(handle_, platform::kInvalidHandle);
    StartHolder("die");
    EXPECT_EQ(platform_.LockDevice(handle_, 200), LockStatus::kBusy);
    LetHolderGoOn();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(platform_.LockDevice(handle_, 5000), LockStatus::kAcquired);
    EXPECT_LT(MsSince(start), 2000);
    platform_.UnlockDevice(handle_);
}

TEST(DeviceMutexes, OnlyATrackedWriteHandleCanBeLockedAndClosingItLetsGo) {
    platform::WindowsPlatform platform;
    const std::filesystem::path file = std::filesystem::temp_directory_path() /
                                       ("kelvane-mutex-close-" + std::to_string(::GetCurrentProcessId()));
    std::ofstream(file).put('x');
    const platform::DeviceHandle reader = platform.Open(file.string(), OpenMode::kRead);
    const platform::DeviceHandle writer = platform.Open(file.string(), OpenMode::kWrite);
    ASSERT_NE(writer, platform::kInvalidHandle);
    EXPECT_EQ(platform.LockDevice(reader, 0), LockStatus::kFailed);
    EXPECT_EQ(platform.LockDevice(platform::kInvalidHandle, 0), LockStatus::kFailed);

    EXPECT_EQ(platform.LockDevice(writer, 0), LockStatus::kAcquired);
    // Closed while held: the mutex is released with it, so another thread
    // (a mutex belongs to a thread) takes it at once.
    platform.Close(writer);
    LockStatus other = LockStatus::kFailed;
    std::thread([&] {
        platform::WindowsPlatform second;
        const platform::DeviceHandle handle = second.Open(file.string(), OpenMode::kWrite);
        other = second.LockDevice(handle, 0);
        second.Close(handle);
    }).join();
    EXPECT_EQ(other, LockStatus::kAcquired);
    platform.Close(reader);
    std::error_code ignored;
    std::filesystem::remove(file, ignored);
}

}  // namespace
}  // namespace kelvane::testing
