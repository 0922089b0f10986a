// The Windows platform as the library sees it: device paths handed back as
// UTF-8 reach CreateFileW as the same UTF-16 path (named pipes stand in for
// devices), transfers through its device handles, whether a handle reaches a
// HID device, pauses and the clock.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "platform/windows/pipe_pair.h"
#include "platform/windows/windows_platform.h"

namespace kelvane::platform {
namespace {

using kelvane::testing::ElapsedMs;
using kelvane::testing::NumberedReport;

// A pipe instance on the device's side, waiting for the library to open it.
class DeviceEnd {
public:
    explicit DeviceEnd(const std::wstring& name) {
        handle_ = ::CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE,
                                     PIPE_UNLIMITED_INSTANCES, 4096, 4096, 0, nullptr);
    }
    ~DeviceEnd() {
        if (handle_ != INVALID_HANDLE_VALUE) {
            ::CloseHandle(handle_);
        }
    }
    DeviceEnd(const DeviceEnd&) = delete;
    DeviceEnd& operator=(const DeviceEnd&) = delete;

    bool Ready() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Handle() const { return handle_; }

private:
    HANDLE handle_ = INVALID_HANDLE_VALUE;
};

// "\\.\pipe\kelvane-é€😀-<pid>" as UTF-16 and as UTF-8, written out apart.
struct PipeName {
    std::wstring wide;
    std::string utf8;
};

PipeName NonAsciiPipeName() {
    const std::string pid = std::to_string(::GetCurrentProcessId());
    PipeName name;
    name.wide = L"\\\\.\\pipe\\kelvane-\u00E9\u20AC\U0001F600-" + std::wstring(pid.begin(), pid.end());
    name.utf8 = "\\\\.\\pipe\\kelvane-\xC3\xA9\xE2\x82\xAC\xF0\x9F\x98\x80-" + pid;
    return name;
}

TEST(WindowsPlatform, OpensTheUtf8PathItListedAndMovesReportsThroughItsHandles) {
    const PipeName name = NonAsciiPipeName();
    DeviceEnd writeSide(name.wide);
    ASSERT_TRUE(writeSide.Ready());
    WindowsPlatform platform;
    const DeviceHandle write = platform.Open(name.utf8, OpenMode::kWrite);
    ASSERT_NE(write, kInvalidHandle);
    DeviceEnd readSide(name.wide);
    ASSERT_TRUE(readSide.Ready());
    const DeviceHandle read = platform.Open(name.utf8, OpenMode::kRead);
    ASSERT_NE(read, kInvalidHandle);

    WireReport request{};
    const std::vector<std::uint8_t> requestBytes = NumberedReport(0x10);
    std::copy(requestBytes.begin(), requestBytes.end(), request.begin());
    EXPECT_EQ(platform.Write(write, request, 1000), TransferStatus::kCompleted);
    std::uint8_t received[128] = {};
    DWORD count = 0;
    ASSERT_TRUE(::ReadFile(writeSide.Handle(), received, sizeof received, &count, nullptr));
    EXPECT_EQ(std::vector<std::uint8_t>(received, received + count), requestBytes);

    // The write handle was opened for writing only, the read handle for
    // reading only.
    WireReport response{};
    EXPECT_EQ(platform.Read(write, response, 1000), TransferStatus::kDeviceGone);
    EXPECT_EQ(platform.Write(read, request, 1000), TransferStatus::kDeviceGone);

    const std::vector<std::uint8_t> answer = NumberedReport(0x80);
    ASSERT_TRUE(::WriteFile(readSide.Handle(), answer.data(), static_cast<DWORD>(answer.size()), &count, nullptr));
    EXPECT_EQ(platform.Read(read, response, 1000), TransferStatus::kCompleted);
    EXPECT_EQ(std::vector<std::uint8_t>(response.begin(), response.end()), answer);

    platform.Close(write);
    platform.Close(read);
    // The device sees its host go away.
    EXPECT_FALSE(::WriteFile(readSide.Handle(), answer.data(), static_cast<DWORD>(answer.size()), &count, nullptr));
}

TEST(WindowsPlatform, PathsThatNameNoDeviceOrAnotherOneAreNotOpened) {
    const PipeName name = NonAsciiPipeName();
    DeviceEnd device(name.wide);
    ASSERT_TRUE(device.Ready());
    WindowsPlatform platform;
    // Cut at a NUL, this path would name the pipe above.
    EXPECT_EQ(platform.Open(name.utf8 + std::string(1, '\0') + "x", OpenMode::kWrite), kInvalidHandle);
    EXPECT_EQ(platform.Open("", OpenMode::kRead), kInvalidHandle);
    EXPECT_EQ(platform.Open("\\\\.\\pipe\\kelvane-\xC3(", OpenMode::kRead), kInvalidHandle);
    EXPECT_EQ(platform.Open("\\\\.\\pipe\\kelvane-\xED\xA0\x80", OpenMode::kRead), kInvalidHandle);
    EXPECT_EQ(platform.Open(name.utf8 + "-absent", OpenMode::kRead), kInvalidHandle);
    // The pipe itself is still waiting for its first client.
    const DeviceHandle handle = platform.Open(name.utf8, OpenMode::kRead);
    EXPECT_NE(handle, kInvalidHandle);
    platform.Close(handle);
}

TEST(WindowsPlatform, HandleThatIsNoHidCollectionDoesNotReachADevice) {
    const PipeName name = NonAsciiPipeName();
    DeviceEnd device(name.wide);
    ASSERT_TRUE(device.Ready());
    WindowsPlatform platform;
    const DeviceHandle handle = platform.Open(name.utf8, OpenMode::kRead);
    ASSERT_NE(handle, kInvalidHandle);
    // A pipe opens and moves bytes, but the HID class driver does not answer
    // for it: a scan would not keep it.
    EXPECT_FALSE(platform.StillReaches(handle));
    platform.Close(handle);
    EXPECT_FALSE(platform.StillReaches(kInvalidHandle));
    EXPECT_FALSE(platform.StillReaches(0));
}

TEST(WindowsPlatform, PausesLastAtLeastTheirDurationWithEitherTimer) {
    for (const bool highResolution : {true, false}) {
        WindowsPlatform platform(windows::SystemSetupApi(), highResolution);
        if (!highResolution) {
            EXPECT_EQ(platform.PauseTimer(), windows::Pause::Timer::kRaisedResolution);
        }
        for (const std::uint32_t ms : {1U, 3U, 13U}) {
            EXPECT_GE(ElapsedMs([&] { platform.SleepMs(ms); }), static_cast<double>(ms))
                << ms << " ms, high resolution " << highResolution;
        }
        EXPECT_LT(ElapsedMs([&] { platform.SleepMs(0); }), 1.0);
    }
}

TEST(WindowsPlatform, ClockFollowsRealTime) {
    WindowsPlatform platform;
    const std::uint64_t start = platform.NowMs();
    const auto realStart = std::chrono::steady_clock::now();
    ::Sleep(50);
    const std::uint64_t end = platform.NowMs();
    const double real = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - realStart).count();
    EXPECT_GE(end - start, 49U);
    EXPECT_LE(static_cast<double>(end - start), real + 2.0);
}

}  // namespace
}  // namespace kelvane::platform
