// The report channel: wire framing, the 1000 ms limit, lost connections and
// their recovery, and the reset request, on the virtual clock.
#include <gtest/gtest.h>

#include "core/report_channel.h"
#include "kelvane.h"
#include "support/sim_fixture.h"

namespace kelvane::testing {
namespace {

using sim::FaultKind;
using ChannelTest = SimFixture;

TEST_F(ChannelTest, WithoutAChipATransferFailsAtOnceAfterOneScan) {
    MarkTime();
    EXPECT_EQ(GetSclLineValue(), KELVANE_E_WRITE_FAILED);
    EXPECT_EQ(ElapsedUs(), 0u);
    EXPECT_EQ(platform.EnumerationCount(), 1);
    EXPECT_EQ(ResetDevice(), KELVANE_E_WRITE_FAILED);
    EXPECT_EQ(platform.EnumerationCount(), 2);
    EXPECT_EQ(ElapsedUs(), 0u);
}

TEST_F(ChannelTest, EveryRequestTravelsBehindReportNumberZero) {
    sim::Chip& chip = AttachAndConnect();
    GetSclLineValue();
    GetAdcData(nullptr);
    ResetDevice();
    ASSERT_EQ(chip.Requests().size(), 3u);
    for (const sim::LoggedRequest& request : chip.Requests()) {
        EXPECT_EQ(request.reportNumber, 0);
    }
}

TEST_F(ChannelTest, TheReportNumberOfAResponseIsDroppedUnexamined) {
    sim::Chip& chip = AttachAndConnect();
    platform.SetInputReportNumber(0xAA);
    chip.sclLine = 0x5C;
    EXPECT_EQ(GetSclLineValue(), 0x5C);
}

TEST_F(ChannelTest, UnansweredRequestTimesOutAfterOneSecondAndTheNextOneRecovers) {
    sim::Chip& chip = AttachAndConnect();
    AddFault(chip, FaultKind::kNoAnswer, 0x10);
    MarkTime();
    EXPECT_EQ(GetSclLineValue(), KELVANE_E_READ_FAILED);
    EXPECT_EQ(ElapsedUs(), 1'000'000u);
    EXPECT_EQ(platform.OpenHandleCount(), 0);  // the current handles are closed
    EXPECT_GE(platform.CancelCount(), 1);

    const int scans = platform.EnumerationCount();
    MarkTime();
    EXPECT_EQ(GetSclLineValue(), 1);
    EXPECT_EQ(ElapsedUs(), 0u);
    EXPECT_EQ(platform.EnumerationCount(), scans + 1);
    EXPECT_EQ(platform.OpenHandleCount(), 2);
}

TEST_F(ChannelTest, WriteThatNeverCompletesTimesOutAfterOneSecond) {
    sim::Chip& chip = AttachAndConnect();
    AddFault(chip, FaultKind::kWriteTimeout);
    MarkTime();
    EXPECT_EQ(GetSdaLineValue(), KELVANE_E_WRITE_FAILED);
    EXPECT_EQ(ElapsedUs(), 1'000'000u);
    EXPECT_EQ(platform.OpenHandleCount(), 0);
    EXPECT_EQ(GetSdaLineValue(), 1);
}

TEST_F(ChannelTest, TimedOutHandlesAreNotClosedTwiceByTheNextScan) {
    bench.Attach("1");
    sim::Chip& second = bench.Attach("2");
    ASSERT_EQ(GetConnectionStatus(), 1);
    ASSERT_EQ(SelectDev(1), 0);
    ASSERT_EQ(GetConnectionStatus(), 1);
    AddFault(second, FaultKind::kNoAnswer);
    EXPECT_EQ(GetSclLineValue(), KELVANE_E_READ_FAILED);
    EXPECT_EQ(platform.OpenHandleCount(), 2);  // chip 0 keeps its handles
    ASSERT_EQ(GetConnectionStatus(), 1);
    EXPECT_EQ(platform.StaleCloseCount(), 0);
    EXPECT_EQ(platform.OpenHandleCount(), 4);
    EXPECT_EQ(GetSclLineValue(), 1);
}

TEST_F(ChannelTest, LateOrForeignResponseIsAWrongEchoAndKeepsTheConnection) {
    sim::Chip& chip = AttachAndConnect();
    AddFault(chip, FaultKind::kWrongEcho, 0x10, 0x40);
    const int scans = platform.EnumerationCount();
    EXPECT_EQ(GetSclLineValue(), KELVANE_E_WRONG_ECHO);
    EXPECT_EQ(GetSclLineValue(), 1);
    EXPECT_EQ(platform.EnumerationCount(), scans);
}

TEST_F(ChannelTest, FailedWaitLeavesHandlesAndConnectionAsTheyAre) {
    sim::Chip& chip = AttachAndConnect();
    AddFault(chip, FaultKind::kWriteWaitFails);
    const int scans = platform.EnumerationCount();
    EXPECT_EQ(GetSclLineValue(), KELVANE_E_WRITE_FAILED);
    AddFault(chip, FaultKind::kReadWaitFails);
    EXPECT_EQ(GetSclLineValue(), KELVANE_E_READ_FAILED);
    EXPECT_EQ(platform.OpenHandleCount(), 2);
    EXPECT_EQ(GetSclLineValue(), 1);
    EXPECT_EQ(platform.EnumerationCount(), scans);
}

TEST_F(ChannelTest, TransferRefusedAtOnceLosesTheConnectionWithoutWaiting) {
    sim::Chip& chip = AttachAndConnect();
    AddFault(chip, FaultKind::kWriteRefused);
    MarkTime();
    EXPECT_EQ(GetSclLineValue(), KELVANE_E_WRITE_FAILED);
    AddFault(chip, FaultKind::kReadRefused);
    EXPECT_EQ(GetSclLineValue(), KELVANE_E_READ_FAILED);
    EXPECT_EQ(ElapsedUs(), 0u);
    const int scans = platform.EnumerationCount();
    EXPECT_EQ(GetSclLineValue(), 1);
    EXPECT_EQ(platform.EnumerationCount(), scans + 1);
}

TEST_F(ChannelTest, CommandExchangeExaminesTheStatusOnlyWhenAsked) {
    sim::Chip& chip = AttachAndConnect();
    Report request{};
    request[0] = 0x10;
    Report response{};
    AddFault(chip, FaultKind::kStatus, 0x10, 0x7F, 2);
    EXPECT_EQ(core::CommandExchange(request, response, core::StatusCheck::kExamine), 0x7F);
    EXPECT_EQ(core::CommandExchange(request, response, core::StatusCheck::kIgnore), 0);
    EXPECT_EQ(response[1], 0x7F);
    // Request and response may share one buffer.
    Report shared{};
    shared[0] = 0x10;
    EXPECT_EQ(core::CommandExchange(shared, shared, core::StatusCheck::kExamine), 0);
    EXPECT_EQ(shared[0], 0x10);
}

TEST_F(ChannelTest, ResetIsWrittenWithoutReadingAndTheChipIsFoundAgainAfterwards) {
    sim::Chip& chip = AttachAndConnect();
    const int scans = platform.EnumerationCount();
    MarkTime();
    EXPECT_EQ(ResetDevice(), 0);
    EXPECT_EQ(ElapsedUs(), 0u);
    EXPECT_EQ(platform.EnumerationCount(), scans);
    EXPECT_EQ(platform.OpenHandleCount(), 2);  // handles stay as they were

    const std::vector<Report> resets = RequestsOf(chip, 0x70);
    ASSERT_EQ(resets.size(), 1u);
    Report expected{};
    expected[0] = 0x70;
    expected[1] = 0xAB;
    expected[2] = 0xCD;
    expected[3] = 0xEF;
    EXPECT_EQ(resets[0], expected);

    // The chip re-enumerated: the old handles fail once, then the library
    // scans by itself and finds it at the same path.
    EXPECT_EQ(GetSclLineValue(), KELVANE_E_WRITE_FAILED);
    EXPECT_EQ(GetSclLineValue(), 1);
    EXPECT_EQ(GetSelectedDevNumber(), 0);
}

TEST_F(ChannelTest, ChipAbsentAfterResetIsRetriedByEachTransferUntilItIsBack) {
    AttachAndConnect();
    bench.SetResetAbsenceMs(300);
    ASSERT_EQ(ResetDevice(), 0);
    EXPECT_EQ(GetSclLineValue(), KELVANE_E_WRITE_FAILED);
    EXPECT_EQ(GetSclLineValue(), KELVANE_E_WRITE_FAILED);
    bench.Clock().AdvanceMs(300);
    EXPECT_EQ(GetSclLineValue(), 1);
}

TEST_F(ChannelTest, ResetWriteThatTimesOutLosesTheConnection) {
    sim::Chip& chip = AttachAndConnect();
    AddFault(chip, FaultKind::kWriteTimeout, 0x70);
    MarkTime();
    EXPECT_EQ(ResetDevice(), KELVANE_E_WRITE_FAILED);
    EXPECT_EQ(ElapsedUs(), 1'000'000u);
    EXPECT_EQ(platform.OpenHandleCount(), 0);
    AddFault(chip, FaultKind::kWriteWaitFails, 0x70);
    EXPECT_EQ(ResetDevice(), KELVANE_E_WRITE_FAILED);
    EXPECT_EQ(platform.OpenHandleCount(), 2);
}

}  // namespace
}  // namespace kelvane::testing
