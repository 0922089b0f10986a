// The overlapped transfer state machine on real overlapped handles: named
// pipes stand in for the device. These tests spend real time where a real
// wait is the point (the 1000 ms time-out); every other wait is short.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "platform/windows/overlapped_channel.h"
#include "platform/windows/pipe_pair.h"

namespace kelvane::platform::windows {
namespace {

using kelvane::testing::ElapsedMs;
using kelvane::testing::NumberedReport;
using kelvane::testing::PipePair;

constexpr DWORD kLimitMs = 1000;
// Longer than any transfer that ends without waiting takes, far shorter than
// the limit.
constexpr double kPromptMs = 300;

std::vector<std::uint8_t> Bytes(const WireReport& report) {
    return {report.begin(), report.end()};
}

WireReport Filled(std::uint8_t value) {
    WireReport report;
    report.fill(value);
    return report;
}

DWORD WINAPI SendAfterFiftyMs(void* pair) {
    ::Sleep(50);
    static_cast<PipePair*>(pair)->DeviceSends(NumberedReport(7));
    return 0;
}

// A read on the channel while the device sends report 7 from another thread,
// 50 ms after the read started.
TransferStatus ReadWhileTheDeviceSendsLater(OverlappedChannel& channel, PipePair& pair, WireReport& in) {
    HANDLE sender = ::CreateThread(nullptr, 0, &SendAfterFiftyMs, &pair, 0, nullptr);
    EXPECT_NE(sender, nullptr);
    const TransferStatus status = channel.Read(pair.Host(), in, kLimitMs);
    if (sender != nullptr) {
        ::WaitForSingleObject(sender, 5000);
        ::CloseHandle(sender);
    }
    return status;
}

TEST(OverlappedChannel, WritesAndReadsWholeReportsOverAndOverWithOneBlock) {
    PipePair pair;
    ASSERT_TRUE(pair.Ready());
    OverlappedChannel channel;
    for (std::uint8_t round = 0; round < 3; ++round) {
        const std::vector<std::uint8_t> request = NumberedReport(round);
        WireReport out{};
        std::copy(request.begin(), request.end(), out.begin());
        ASSERT_EQ(channel.Write(pair.Host(), out, kLimitMs), TransferStatus::kCompleted);
        EXPECT_EQ(pair.DeviceReceives(), request);

        const std::vector<std::uint8_t> answer = NumberedReport(static_cast<std::uint8_t>(100 + round));
        ASSERT_TRUE(pair.DeviceSends(answer));
        WireReport in{};
        ASSERT_EQ(channel.Read(pair.Host(), in, kLimitMs), TransferStatus::kCompleted);
        EXPECT_EQ(Bytes(in), answer);
        EXPECT_FALSE(channel.TransferPending());
    }
}

TEST(OverlappedChannel, ReadOfAnAnswerThatComesLaterCompletes) {
    PipePair pair;
    ASSERT_TRUE(pair.Ready());
    OverlappedChannel channel;
    // The answer arrives while the read is pending: the wait, not the call
    // that started the read, sees it.
    WireReport in{};
    EXPECT_EQ(ReadWhileTheDeviceSendsLater(channel, pair, in), TransferStatus::kCompleted);
    EXPECT_EQ(Bytes(in), NumberedReport(7));
}

TEST(OverlappedChannel, UnansweredReadTimesOutAfterTheLimitAndIsCancelledBeforeTheBlockIsReused) {
    PipePair pair;
    ASSERT_TRUE(pair.Ready());
    OverlappedChannel channel;
    WireReport in = Filled(0xEE);
    TransferStatus status{};
    const double waited = ElapsedMs([&] { status = channel.Read(pair.Host(), in, kLimitMs); });
    EXPECT_EQ(status, TransferStatus::kTimedOut);
    EXPECT_GE(waited, 950.0);
    EXPECT_LT(waited, 2500.0);
    EXPECT_EQ(in, Filled(0xEE)) << "a read that did not complete hands nothing over";
    EXPECT_TRUE(channel.TransferPending());

    const double cancelling = ElapsedMs([&] { channel.Cancel(pair.Host()); });
    EXPECT_FALSE(channel.TransferPending());
    EXPECT_LT(cancelling, kPromptMs);

    // Had the cancelled read still been pending, it would take this report
    // into the old transfer; the next read gets it instead.
    ASSERT_TRUE(pair.DeviceSends(NumberedReport(1)));
    WireReport next{};
    EXPECT_EQ(channel.Read(pair.Host(), next, kLimitMs), TransferStatus::kCompleted);
    EXPECT_EQ(Bytes(next), NumberedReport(1));
}

TEST(OverlappedChannel, TransferLeftPendingIsEndedBeforeTheNextOneStarts) {
    // A write that nobody takes (a pipe without buffer waits for a reader),
    // given a short limit; the next transfer must not reuse the block while
    // the write is still pending.
    PipePair pair(0);
    ASSERT_TRUE(pair.Ready());
    OverlappedChannel channel;
    EXPECT_EQ(channel.Write(pair.Host(), Filled(0x11), 50), TransferStatus::kTimedOut);
    EXPECT_TRUE(channel.TransferPending());

    // Without a buffer the device's answer waits for the host's read, so it
    // is sent from another thread.
    WireReport in{};
    EXPECT_EQ(ReadWhileTheDeviceSendsLater(channel, pair, in), TransferStatus::kCompleted);
    EXPECT_EQ(Bytes(in), NumberedReport(7));
    EXPECT_EQ(pair.BytesWaitingForDevice(), 0U) << "the cancelled write delivered nothing";
}

TEST(OverlappedChannel, ClosingAHandleEndsTheTransferPendingOnIt) {
    PipePair pair;
    ASSERT_TRUE(pair.Ready());
    OverlappedChannel channel;
    WireReport in{};
    ASSERT_EQ(channel.Read(pair.Host(), in, 30), TransferStatus::kTimedOut);
    HANDLE duplicate = nullptr;
    ASSERT_TRUE(::DuplicateHandle(::GetCurrentProcess(), pair.Host(), ::GetCurrentProcess(), &duplicate, 0,
                                  FALSE, DUPLICATE_SAME_ACCESS));
    // Another handle than the one of the pending read: nothing to cancel.
    channel.Cancel(duplicate);
    EXPECT_TRUE(channel.TransferPending());
    channel.Close(duplicate);
    EXPECT_TRUE(channel.TransferPending());
    channel.Close(pair.TakeHost());
    EXPECT_FALSE(channel.TransferPending());
}

TEST(OverlappedChannel, DeviceGoingAwayDuringAReadIsDeviceGoneNotACompletedRead) {
    PipePair pair;
    ASSERT_TRUE(pair.Ready());
    OverlappedChannel channel;
    pair.CloseDeviceAfter(100);
    WireReport in = Filled(0xEE);
    TransferStatus status{};
    const double waited = ElapsedMs([&] { status = channel.Read(pair.Host(), in, kLimitMs); });
    pair.JoinCloser();
    EXPECT_EQ(status, TransferStatus::kDeviceGone);
    EXPECT_LT(waited, 900.0) << "the end of the transfer ends the wait";
    EXPECT_EQ(in, Filled(0xEE));
    EXPECT_FALSE(channel.TransferPending());
}

TEST(OverlappedChannel, TransfersRefusedAtOnceDoNotWait) {
    PipePair pair;
    ASSERT_TRUE(pair.Ready());
    pair.CloseDevice();
    OverlappedChannel channel;
    WireReport in = Filled(0xEE);
    TransferStatus read{};
    TransferStatus write{};
    const double waited = ElapsedMs([&] {
        read = channel.Read(pair.Host(), in, kLimitMs);
        write = channel.Write(pair.Host(), Filled(0x22), kLimitMs);
    });
    EXPECT_EQ(read, TransferStatus::kDeviceGone);
    EXPECT_EQ(write, TransferStatus::kDeviceGone);
    EXPECT_LT(waited, kPromptMs);
    EXPECT_EQ(in, Filled(0xEE));
    EXPECT_FALSE(channel.TransferPending());

    // Handles that were never opened.
    EXPECT_EQ(channel.Read(INVALID_HANDLE_VALUE, in, kLimitMs), TransferStatus::kDeviceGone);
    EXPECT_EQ(channel.Write(nullptr, Filled(0), kLimitMs), TransferStatus::kDeviceGone);
}

TEST(OverlappedChannel, ShortOrLongReportIsNotACompletedTransfer) {
    PipePair pair;
    ASSERT_TRUE(pair.Ready());
    OverlappedChannel channel;
    WireReport in = Filled(0xEE);
    ASSERT_TRUE(pair.DeviceSends(std::vector<std::uint8_t>(10, 0x33)));
    EXPECT_EQ(channel.Read(pair.Host(), in, kLimitMs), TransferStatus::kDeviceGone);
    ASSERT_TRUE(pair.DeviceSends(std::vector<std::uint8_t>(64, 0x44)));
    EXPECT_EQ(channel.Read(pair.Host(), in, kLimitMs), TransferStatus::kDeviceGone);
    ASSERT_TRUE(pair.DeviceSends(std::vector<std::uint8_t>(70, 0x55)));
    EXPECT_EQ(channel.Read(pair.Host(), in, kLimitMs), TransferStatus::kDeviceGone);
    EXPECT_EQ(in, Filled(0xEE));
}

TEST(OverlappedChannel, DiscardDropsWaitingReportsWithoutWaitingAndKeepsTheChannelUsable) {
    PipePair pair;
    ASSERT_TRUE(pair.Ready());
    OverlappedChannel channel;
    for (std::uint8_t stale = 0; stale < 3; ++stale) {
        ASSERT_TRUE(pair.DeviceSends(NumberedReport(stale)));
    }
    double took = ElapsedMs([&] { channel.DiscardPendingReports(pair.Host()); });
    EXPECT_LT(took, kPromptMs);
    EXPECT_FALSE(channel.TransferPending());

    // Nothing left waiting: the next read gets the report sent after.
    ASSERT_TRUE(pair.DeviceSends(NumberedReport(9)));
    WireReport in{};
    EXPECT_EQ(channel.Read(pair.Host(), in, kLimitMs), TransferStatus::kCompleted);
    EXPECT_EQ(Bytes(in), NumberedReport(9));

    // With nothing waiting, the drain ends at once and takes nothing that
    // comes later.
    took = ElapsedMs([&] { channel.DiscardPendingReports(pair.Host()); });
    EXPECT_LT(took, kPromptMs);
    EXPECT_FALSE(channel.TransferPending());
    ASSERT_TRUE(pair.DeviceSends(NumberedReport(10)));
    EXPECT_EQ(channel.Read(pair.Host(), in, kLimitMs), TransferStatus::kCompleted);
    EXPECT_EQ(Bytes(in), NumberedReport(10));
}

TEST(OverlappedChannel, DiscardIsBoundedByTheLargestInputQueue) {
    // A pipe is not a HID collection: the drain takes reports one by one, at
    // most one more than the largest queue of the HID class driver (512).
    PipePair pair;
    ASSERT_TRUE(pair.Ready());
    OverlappedChannel channel;
    constexpr int kSent = 520;
    for (int i = 0; i < kSent; ++i) {
        ASSERT_TRUE(pair.DeviceSends(NumberedReport(static_cast<std::uint8_t>(i))));
    }
    channel.DiscardPendingReports(pair.Host());
    int left = 0;
    WireReport in{};
    while (left < kSent && channel.Read(pair.Host(), in, 0) == TransferStatus::kCompleted) {
        ++left;
    }
    channel.Cancel(pair.Host());
    EXPECT_EQ(left, kSent - 513);
    EXPECT_EQ(Bytes(in), NumberedReport(static_cast<std::uint8_t>(kSent - 1)));
}

TEST(OverlappedChannel, DiscardOnAHandleWhoseDeviceHasGoneReturnsAtOnce) {
    PipePair pair;
    ASSERT_TRUE(pair.Ready());
    pair.CloseDevice();
    OverlappedChannel channel;
    const double took = ElapsedMs([&] {
        channel.DiscardPendingReports(pair.Host());
        channel.DiscardPendingReports(INVALID_HANDLE_VALUE);
    });
    EXPECT_LT(took, kPromptMs);
    EXPECT_FALSE(channel.TransferPending());
}

}  // namespace
}  // namespace kelvane::platform::windows
