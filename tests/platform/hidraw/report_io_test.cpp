// Report transfers through an opened hidraw node: open flags, the 65-byte
// wire framing in both directions, time limits, a device that has gone, and
// discarding what waits on the node before a request.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <vector>

#include "platform/hidraw/fake_hidraw.h"

namespace kelvane::platform {
namespace {

using kelvane::testing::FakeHidraw;

constexpr char kPhys[] = "usb-0000:00:14.0-2/input0";

class HidrawTransfer : public ::testing::Test {
protected:
    void SetUp() override {
        // A socket whose peer has closed raises SIGPIPE on write; a hidraw
        // node returns an error instead. Let the stand-in behave alike.
        std::signal(SIGPIPE, SIG_IGN);
        fake_.AddHidNode("hidraw0", "0003:00000ACE:000000BF", kPhys);
        platform_.EnumerateInterfaces();
    }

    void TearDown() override {
        for (const DeviceHandle handle : handles_) {
            platform_.Close(handle);
        }
    }

    // Opens the chip's node; the device's end is fake_.Opens().back().device.
    DeviceHandle OpenChip(OpenMode mode) {
        const DeviceHandle handle = platform_.Open(kPhys, mode);
        if (handle != kInvalidHandle) {
            handles_.push_back(handle);
        }
        return handle;
    }

    int DeviceEnd() const { return fake_.Opens().back().device; }

    void DeviceSends(const std::vector<std::uint8_t>& bytes) {
        ASSERT_EQ(::send(DeviceEnd(), bytes.data(), bytes.size(), 0),
                  static_cast<ssize_t>(bytes.size()));
    }

    static std::vector<std::uint8_t> Counting(std::size_t size, std::uint8_t first) {
        std::vector<std::uint8_t> bytes(size);
        for (std::size_t i = 0; i < size; ++i) {
            bytes[i] = static_cast<std::uint8_t>(first + i);
        }
        return bytes;
    }

    FakeHidraw fake_;
    HidrawPlatform platform_{fake_.ClassDir(), fake_.DevDir(), fake_.Opener()};
    std::vector<DeviceHandle> handles_;
};

TEST_F(HidrawTransfer, OpensNonBlockingForTheRequestedDirection) {
    ASSERT_NE(OpenChip(OpenMode::kWrite), kInvalidHandle);
    EXPECT_EQ(fake_.Opens().back().flags, O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    ASSERT_NE(OpenChip(OpenMode::kRead), kInvalidHandle);
    EXPECT_EQ(fake_.Opens().back().flags, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
}

TEST_F(HidrawTransfer, WriteSendsReportNumberAndAllSixtyFourBytes) {
    const DeviceHandle handle = OpenChip(OpenMode::kWrite);
    ASSERT_NE(handle, kInvalidHandle);
    WireReport report{};
    for (std::size_t i = 1; i < report.size(); ++i) {
        report[i] = static_cast<std::uint8_t>(0x80 + i);
    }

    ASSERT_EQ(platform_.Write(handle, report, 1000), TransferStatus::kCompleted);

    std::array<std::uint8_t, 128> received{};
    ASSERT_EQ(::recv(DeviceEnd(), received.data(), received.size(), MSG_DONTWAIT), 65);
    EXPECT_EQ(received[0], 0x00);
    EXPECT_TRUE(std::equal(report.begin(), report.end(), received.begin()));
}

TEST_F(HidrawTransfer, ReadFramesUnnumberedNumberedAndShortReports) {
    const DeviceHandle handle = OpenChip(OpenMode::kRead);
    ASSERT_NE(handle, kInvalidHandle);
    WireReport report{};

    // Unnumbered: the 64 bytes go behind a report number 0.
    report.fill(0xEE);
    DeviceSends(Counting(64, 1));
    ASSERT_EQ(platform_.Read(handle, report, 1000), TransferStatus::kCompleted);
    EXPECT_EQ(report[0], 0x00);
    for (std::size_t i = 1; i <= 64; ++i) {
        EXPECT_EQ(report[i], i) << "byte " << i;
    }

    // Numbered: the 65 bytes as they came.
    DeviceSends(Counting(65, 0x40));
    ASSERT_EQ(platform_.Read(handle, report, 1000), TransferStatus::kCompleted);
    for (std::size_t i = 0; i < 65; ++i) {
        EXPECT_EQ(report[i], 0x40 + i) << "byte " << i;
    }

    // Short: what came, then zeros; nothing left over from the last report.
    report.fill(0xEE);
    DeviceSends(Counting(10, 0x10));
    ASSERT_EQ(platform_.Read(handle, report, 1000), TransferStatus::kCompleted);
    EXPECT_EQ(report[0], 0x00);
    for (std::size_t i = 1; i <= 10; ++i) {
        EXPECT_EQ(report[i], 0x10 + i - 1) << "byte " << i;
    }
    for (std::size_t i = 11; i < 65; ++i) {
        EXPECT_EQ(report[i], 0x00) << "byte " << i;
    }
}

TEST_F(HidrawTransfer, ReadTimesOutWhenNoReportComesAndStaysUsable) {
    const DeviceHandle handle = OpenChip(OpenMode::kRead);
    ASSERT_NE(handle, kInvalidHandle);
    WireReport report{};

    EXPECT_EQ(platform_.Read(handle, report, 1), TransferStatus::kTimedOut);
    EXPECT_EQ(platform_.Read(handle, report, 0), TransferStatus::kTimedOut);

    DeviceSends(Counting(64, 7));
    ASSERT_EQ(platform_.Read(handle, report, 0), TransferStatus::kCompleted);
    EXPECT_EQ(report[1], 7);
}

TEST_F(HidrawTransfer, WriteTimesOutWhileTheNodeTakesNoReport) {
    const DeviceHandle handle = OpenChip(OpenMode::kWrite);
    ASSERT_NE(handle, kInvalidHandle);
    const WireReport report{};
    // Fill the node's queue until it refuses more.
    std::size_t queued = 0;
    while (::send(static_cast<int>(handle), report.data(), report.size(), MSG_DONTWAIT) > 0) {
        ASSERT_LT(++queued, 1'000'000U);
    }
    ASSERT_TRUE(errno == EAGAIN || errno == EWOULDBLOCK);

    EXPECT_EQ(platform_.Write(handle, report, 1), TransferStatus::kTimedOut);
}

TEST_F(HidrawTransfer, UnpluggedDeviceIsGoneForReadAndWrite) {
    const DeviceHandle writer = OpenChip(OpenMode::kWrite);
    ASSERT_NE(writer, kInvalidHandle);
    fake_.HangUp(fake_.Opens().size() - 1);
    const DeviceHandle reader = OpenChip(OpenMode::kRead);
    ASSERT_NE(reader, kInvalidHandle);
    fake_.HangUp(fake_.Opens().size() - 1);
    WireReport report{};

    EXPECT_EQ(platform_.Write(writer, report, 1000), TransferStatus::kDeviceGone);
    EXPECT_EQ(platform_.Read(reader, report, 1000), TransferStatus::kDeviceGone);
}

TEST_F(HidrawTransfer, ReportQueuedBeforeUnplugIsStillDelivered) {
    const DeviceHandle handle = OpenChip(OpenMode::kRead);
    ASSERT_NE(handle, kInvalidHandle);
    DeviceSends(Counting(64, 0x21));
    fake_.HangUp(fake_.Opens().size() - 1);
    WireReport report{};

    ASSERT_EQ(platform_.Read(handle, report, 1000), TransferStatus::kCompleted);
    EXPECT_EQ(report[1], 0x21);
    EXPECT_EQ(platform_.Read(handle, report, 1000), TransferStatus::kDeviceGone);
}

TEST_F(HidrawTransfer, InvalidHandleIsRefusedAtOnce) {
    WireReport report{};
    EXPECT_EQ(platform_.Write(kInvalidHandle, report, 1), TransferStatus::kDeviceGone);
    EXPECT_EQ(platform_.Read(kInvalidHandle, report, 1), TransferStatus::kDeviceGone);
    platform_.DiscardPendingReports(kInvalidHandle);  // nothing to discard, nothing breaks
}

TEST_F(HidrawTransfer, DiscardDropsWhatWaitsAndLeavesTheNodeUsable) {
    const DeviceHandle handle = OpenChip(OpenMode::kRead);
    ASSERT_NE(handle, kInvalidHandle);
    platform_.DiscardPendingReports(handle);  // nothing waiting: returns at once
    DeviceSends(Counting(64, 1));
    DeviceSends(Counting(65, 2));
    DeviceSends(Counting(3, 3));
    WireReport report{};

    platform_.DiscardPendingReports(handle);

    EXPECT_EQ(platform_.Read(handle, report, 0), TransferStatus::kTimedOut);
    DeviceSends(Counting(64, 9));
    ASSERT_EQ(platform_.Read(handle, report, 0), TransferStatus::kCompleted);
    EXPECT_EQ(report[1], 9);
}

TEST_F(HidrawTransfer, DiscardTakesAtMostTheKernelQueue) {
    // More than the kernel ever queues: a device that keeps sending cannot
    // keep the discard going.
    const DeviceHandle handle = OpenChip(OpenMode::kRead);
    ASSERT_NE(handle, kInvalidHandle);
    constexpr int kSent = 70;
    for (int i = 0; i < kSent; ++i) {
        DeviceSends(Counting(64, static_cast<std::uint8_t>(i)));
    }

    platform_.DiscardPendingReports(handle);

    WireReport report{};
    int left = 0;
    while (platform_.Read(handle, report, 0) == TransferStatus::kCompleted) {
        EXPECT_EQ(report[1], 64 + left);  // the newest ones stay
        ASSERT_LT(++left, kSent);
    }
    EXPECT_EQ(left, kSent - 64);
}

TEST_F(HidrawTransfer, DiscardOnAGoneDeviceEndsQuietly) {
    const DeviceHandle handle = OpenChip(OpenMode::kRead);
    ASSERT_NE(handle, kInvalidHandle);
    DeviceSends(Counting(64, 1));
    fake_.HangUp(fake_.Opens().size() - 1);

    platform_.DiscardPendingReports(handle);
    platform_.DiscardPendingReports(handle);

    WireReport report{};
    EXPECT_EQ(platform_.Read(handle, report, 0), TransferStatus::kDeviceGone);
}

}  // namespace
}  // namespace kelvane::platform
