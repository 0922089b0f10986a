// WriteI2cData on the virtual chip: the pieces on the wire, pacing, the
// acceptance loop and the end-of-transfer poll with its bounds.
#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "kelvane.h"
#include "support/i2c_fixture.h"

namespace kelvane::testing {
namespace {

using sim::FaultKind;

std::vector<std::uint8_t> Pattern(std::size_t count) {
    std::vector<std::uint8_t> bytes(count + 1);  // never empty, so data() is never null
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
    }
    return bytes;
}

class WriteTest : public I2cFixture {};

TEST_F(WriteTest, EveryPieceRepeatsTheHeaderWithTheTotalAndCarriesAtMostSixtyBytes) {
    for (const unsigned count : {0u, 1u, 60u, 61u, 300u}) {
        chip->ClearRequests();
        const std::vector<std::uint8_t> data = Pattern(count);
        ASSERT_EQ(WriteI2cData(kEeprom, data.data(), count, 400000), 0) << count;
        const std::vector<Report> pieces = Sent(0x90);
        ASSERT_EQ(pieces.size(), count == 0 ? 1u : (count + 59) / 60) << count;
        std::vector<std::uint8_t> carried;
        for (std::size_t p = 0; p < pieces.size(); ++p) {
            const Report& piece = pieces[p];
            EXPECT_EQ(piece[1], count & 0xFF) << count << " piece " << p;
            EXPECT_EQ(piece[2], count >> 8) << count << " piece " << p;
            EXPECT_EQ(piece[3], kEeprom);
            const std::size_t length = std::min<std::size_t>(60, count - carried.size());
            carried.insert(carried.end(), piece.begin() + 4, piece.begin() + 4 + static_cast<long>(length));
            for (std::size_t i = 4 + length; i < piece.size(); ++i) {
                ASSERT_EQ(piece[i], 0) << count << " piece " << p << " byte " << i;
            }
        }
        EXPECT_TRUE(std::equal(carried.begin(), carried.end(), data.begin())) << count;
        EXPECT_EQ(carried.size(), count);
    }
}

TEST_F(WriteTest, SixtyOneBytesAt100kHzTakeExactlyTwoDelaysOfThirteenMilliseconds) {
    const std::vector<std::uint8_t> data = Pattern(61);
    ASSERT_EQ(WriteI2cData(kEeprom, data.data(), 61, 100000), 0);
    EXPECT_EQ(TimesOf(0x90), (std::vector<std::uint64_t>{0, 13000}));
    // The speed exchange at the start, the end-of-transfer poll after the last pause.
    EXPECT_EQ(TimesOf(0x10), (std::vector<std::uint64_t>{0, 26000}));
    EXPECT_EQ(ElapsedUs(), 26000u);
    EXPECT_EQ(platform.SleptMs(), 26u);
}

struct SpeedCase {
    unsigned speed;
    std::uint8_t divider;
    std::uint64_t delayMs;
};

class SpeedTest : public I2cFixture, public ::testing::WithParamInterface<SpeedCase> {};

// The divider in the speed exchange, D after an accepted piece, D / 2 after a
// refused one.
TEST_P(SpeedTest, DividerDelayAndHalfDelay) {
    const SpeedCase c = GetParam();
    Fault(FaultKind::kRefuse, 0x90, 0x41, 1, 1);  // the second piece is refused once
    const std::vector<std::uint8_t> data = Pattern(61);
    ASSERT_EQ(WriteI2cData(kEeprom, data.data(), 61, c.speed), 0);
    EXPECT_EQ(Sent(0x10)[0][4], c.divider);
    EXPECT_EQ(chip->Engine().Divider(), c.divider);
    const std::vector<std::uint64_t> times = TimesOf(0x90);
    ASSERT_EQ(times.size(), 3u);
    EXPECT_EQ(times[1] - times[0], c.delayMs * 1000);
    EXPECT_EQ(times[2] - times[1], c.delayMs / 2 * 1000);
}

INSTANTIATE_TEST_SUITE_P(Speeds, SpeedTest,
                         ::testing::Values(SpeedCase{48000, 247, 27}, SpeedCase{100000, 117, 13},
                                           SpeedCase{400000, 27, 3}, SpeedCase{46333, 255, 28},
                                           SpeedCase{1000000, 9, 1}));

TEST_F(WriteTest, AboveOnePointThreeTwoMegabitNothingIsSleptAndTheFastestDividerIsZero) {
    bench.SetExchangeLatencyUs(100);  // a real chip needs time to answer; the pacing adds none here
    const std::vector<std::uint8_t> data = Pattern(200);
    EXPECT_EQ(WriteI2cData(kEeprom, data.data(), 200, 2000000), 0);
    EXPECT_EQ(Sent(0x10)[0][4], 3);
    EXPECT_EQ(WriteI2cData(kEeprom, data.data(), 10, 4000000), 0);
    EXPECT_EQ(chip->Engine().Divider(), 0);
    EXPECT_EQ(platform.SleptMs(), 0u);
}

TEST_F(WriteTest, ARefusalWithAFailureStateEndsAtOnceAndNothingMoreIsSent) {
    for (const std::uint8_t state : {0x12, 0x17, 0x23, 0x25, 0x44, 0x52, 0x62}) {
        chip->ClearRequests();
        Fault(FaultKind::kRefuse, 0x90, state);
        const std::vector<std::uint8_t> data = Pattern(10);
        EXPECT_EQ(WriteI2cData(kEeprom, data.data(), 10, 100000), KELVANE_E_TIMEOUT) << int(state);
        EXPECT_EQ(Sent(0x90).size(), 1u);
        EXPECT_EQ(Sent().size(), 2u) << "no poll after the failure";
    }
}

TEST_F(WriteTest, ARefusalWithAnyOtherStateIsTriedAgainAfterHalfTheDelay) {
    for (const std::uint8_t state : {0x21, 0x41, 0x45, 0x00}) {
        chip->ClearRequests();
        MarkTime();
        Fault(FaultKind::kRefuse, 0x90, state, 2);
        const std::vector<std::uint8_t> data = Pattern(10);
        EXPECT_EQ(WriteI2cData(kEeprom, data.data(), 10, 100000), 0) << int(state);
        EXPECT_EQ(TimesOf(0x90), (std::vector<std::uint64_t>{0, 6000, 12000})) << int(state);
    }
}

TEST_F(WriteTest, FiftyRefusalsOfOnePieceGiveSendErrorAfterFiftySendsAndFiftyHalfDelays) {
    const std::vector<std::uint8_t> data = Pattern(61);
    Fault(FaultKind::kRefuse, 0x90, 0x41, 49, 1);
    EXPECT_EQ(WriteI2cData(kEeprom, data.data(), 61, 100000), 0);
    EXPECT_EQ(Sent(0x90).size(), 51u);

    chip->ClearRequests();
    MarkTime();
    Fault(FaultKind::kRefuse, 0x90, 0x41, 50, 1);
    EXPECT_EQ(WriteI2cData(kEeprom, data.data(), 61, 100000), KELVANE_E_SEND);
    EXPECT_EQ(Sent(0x90).size(), 51u);  // the first piece, then 50 tries of the second
    EXPECT_EQ(Sent(0x10).size(), 1u);
    EXPECT_EQ(ElapsedUs(), (13 + 50 * 6) * 1000u);
}

TEST_F(WriteTest, AnAbsentSlaveIsReportedByTheAddressFlagOfTheStatusPoll) {
    const std::vector<std::uint8_t> data = Pattern(130);
    EXPECT_EQ(WriteI2cData(kAbsent, data.data(), 1, 100000), KELVANE_E_ADDRESS_NACK);
    EXPECT_EQ(WriteI2cData(kAbsent, data.data(), 130, 100000), KELVANE_E_ADDRESS_NACK);
    EXPECT_EQ(WriteI2cData(kAbsent, data.data(), 0, 100000), KELVANE_E_ADDRESS_NACK);
    // The flag alone decides, even when the engine reports idle.
    Fault(FaultKind::kSetByte, 0x10, 0x40, 1, 1, 20);
    EXPECT_EQ(WriteI2cData(kEeprom, data.data(), 1, 100000), KELVANE_E_ADDRESS_NACK);
}

TEST_F(WriteTest, AFailureStateInTheStatusPollIsATimeout) {
    const std::vector<std::uint8_t> data = Pattern(4);
    for (const std::uint8_t state : {0x12, 0x17, 0x21, 0x23, 0x25, 0x44, 0x52, 0x62}) {
        Fault(FaultKind::kSetByte, 0x10, state, 1, 1, 8);
        EXPECT_EQ(WriteI2cData(kEeprom, data.data(), 4, 100000), KELVANE_E_TIMEOUT) << int(state);
    }
    // A data byte the device does not acknowledge leaves the engine in a failure state.
    eeprom->SetWriteProtect(true);
    EXPECT_EQ(WriteI2cData(kEeprom, data.data(), 4, 100000), KELVANE_E_TIMEOUT);
}

TEST_F(WriteTest, TheStatusPollToleratesFortyNineNonZeroStatusBytesButNotFifty) {
    const std::vector<std::uint8_t> data = Pattern(4);
    auto busyPolls = [&](int times) {
        chip->Faults().Clear();
        Fault(FaultKind::kStatus, 0x10, 3, times, 1);
        Fault(FaultKind::kSetByte, 0x10, 0x41, times, 1, 8);  // and still in progress
    };
    busyPolls(49);
    EXPECT_EQ(WriteI2cData(kEeprom, data.data(), 4, 100000), 0);

    busyPolls(50);
    chip->ClearRequests();
    MarkTime();
    EXPECT_EQ(WriteI2cData(kEeprom, data.data(), 4, 100000), KELVANE_E_SEND);
    EXPECT_EQ(Sent(0x10).size(), 51u);
    EXPECT_EQ(ElapsedUs(), (13 + 50 * 6) * 1000u);
}

// The chip answers "in progress" with status 0 for ever: the poll ends after
// 1000 ms on the platform clock.
TEST_F(WriteTest, AnEngineThatNeverFinishesIsATimeoutAfterOneSecondOfPolling) {
    bench.SetExchangeLatencyUs(500);  // one millisecond per exchange
    chip->Engine().HangBus(true);
    const std::vector<std::uint8_t> data = Pattern(4);
    EXPECT_EQ(WriteI2cData(kEeprom, data.data(), 4, 400000), KELVANE_E_TIMEOUT);
    const std::vector<std::uint64_t> polls = TimesOf(0x10);
    ASSERT_GE(polls.size(), 2u);
    const std::uint64_t pollStartUs = polls[1] - 500;  // its write began one latency earlier
    EXPECT_EQ(ElapsedUs() - pollStartUs, 1'000'000u);
    EXPECT_EQ(polls.size() - 1, 1000u);
}

TEST_F(WriteTest, AnEngineThatNeverFinishesOnAClockThatStandsStillStillEnds) {
    chip->Engine().HangBus(true);
    chip->SetRecording(false);
    const std::vector<std::uint8_t> data = Pattern(4);
    EXPECT_EQ(WriteI2cData(kEeprom, data.data(), 4, 400000), KELVANE_E_TIMEOUT);
    EXPECT_EQ(ElapsedUs(), 3000u);  // only the pause after the piece
}

}  // namespace
}  // namespace kelvane::testing
