// ReadI2cData on the virtual chip: the read request, the data reports, their
// pacing, tries and budget, and every way a read ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "kelvane.h"
#include "support/i2c_fixture.h"

namespace kelvane::testing {
namespace {

using sim::FaultKind;

constexpr std::uint8_t kUntouched = 0xEE;

class ReadTest : public I2cFixture {
protected:
    void SetUp() override {
        I2cFixture::SetUp();
        eeprom = &chip->Engine().Bus().Attach<sim::EepromSlave>(kEeprom >> 1, 1024);
        std::vector<std::uint8_t>& memory = eeprom->Memory();
        for (std::size_t i = 0; i < memory.size(); ++i) {
            memory[i] = static_cast<std::uint8_t>(0x80 ^ (i * 13));
        }
    }

    // Reads count bytes from the start of the EEPROM into a buffer with room
    // for a few bytes more.
    int Read(unsigned count, unsigned speed = 400000) {
        start = eeprom->Pointer();
        buffer.assign(count + 4, kUntouched);
        return ReadI2cData(kEeprom | 1, buffer.data(), count, speed);
    }

    // The buffer holds what the EEPROM holds from where the read began.
    bool Holds(std::size_t from, std::size_t to) const {
        const std::vector<std::uint8_t>& memory = eeprom->Memory();
        for (std::size_t i = from; i < to; ++i) {
            if (buffer[i] != memory[(start + i) % memory.size()]) {
                return false;
            }
        }
        return true;
    }
    bool Untouched(std::size_t from) const {
        return std::all_of(buffer.begin() + static_cast<long>(from), buffer.end(),
                           [](std::uint8_t b) { return b == kUntouched; });
    }

    std::vector<std::uint8_t> buffer;
    std::size_t start = 0;
};

TEST_F(ReadTest, TheReadRequestCarriesCountAndAddressAsPassed) {
    ASSERT_EQ(Read(300), 0);
    const std::vector<Report> reads = Sent(0x91);
    ASSERT_EQ(reads.size(), 1u);
    Report expected{};
    expected[0] = 0x91;
    expected[1] = 0x2C;
    expected[2] = 0x01;
    expected[3] = kEeprom | 1;
    EXPECT_EQ(reads[0], expected);
    EXPECT_TRUE(Holds(0, 300));
    EXPECT_TRUE(Untouched(300));
}

TEST_F(ReadTest, FiveBytesAt400kHzComeInOneReportAfterExactlyThreeMilliseconds) {
    ASSERT_EQ(Read(5), 0);
    EXPECT_EQ(TimesOf(0x40), std::vector<std::uint64_t>{3000});
    EXPECT_EQ(ElapsedUs(), 3000u);
    EXPECT_TRUE(Holds(0, 5));
    EXPECT_TRUE(Untouched(5));
}

TEST_F(ReadTest, EveryDataRequestWaitsAFullDelay) {
    ASSERT_EQ(Read(121, 100000), 0);
    EXPECT_EQ(TimesOf(0x40), (std::vector<std::uint64_t>{13000, 26000, 39000}));
    EXPECT_TRUE(Holds(0, 121));
}

TEST_F(ReadTest, AnEmptyReadAsksOnceAndEndsOnTheReportWithoutData) {
    ASSERT_EQ(Read(0), 0);
    EXPECT_EQ(Sent(0x40).size(), 1u);
    EXPECT_TRUE(Untouched(0));
}

TEST_F(ReadTest, NotReadyReportsAreToleratedFiftyTimesInARowWithHalfDelays) {
    Fault(FaultKind::kNotReady, 0x40, 0x7F, 50);
    ASSERT_EQ(Read(5), 0);
    EXPECT_EQ(Sent(0x40).size(), 51u);
    EXPECT_EQ(ElapsedUs(), (3 + 50 * 1) * 1000u);
    EXPECT_TRUE(Holds(0, 5));

    chip->ClearRequests();
    Fault(FaultKind::kNotReady, 0x40, 61, 51);  // 61 is the smallest count that means not ready
    EXPECT_EQ(Read(5), KELVANE_E_NO_DATA);
    EXPECT_EQ(Sent(0x40).size(), 51u);
    EXPECT_TRUE(Untouched(0));
}

TEST_F(ReadTest, TheTriesStartAfreshAfterEveryDataReport) {
    // 50 not-ready reports before each of three data reports.
    Fault(FaultKind::kNotReady, 0x40, 0x80, 50);
    Fault(FaultKind::kNotReady, 0x40, 0x80, 50, 51);
    Fault(FaultKind::kNotReady, 0x40, 0x80, 50, 102);
    ASSERT_EQ(Read(150), 0);
    EXPECT_TRUE(Holds(0, 150));
}

TEST_F(ReadTest, TheReadWaitsForAtMostThreeReportsPerSixtyBytesAndOneMore) {
    for (const auto& [count, budget] : {std::pair{5u, 3u}, {60u, 6u}, {65535u, 3279u}}) {
        chip->ClearRequests();
        chip->Faults().Clear();
        Fault(FaultKind::kSetByte, 0x40, 1, sim::kForever, 0, 3);  // one byte per report
        EXPECT_EQ(Read(count), 0) << count;
        EXPECT_EQ(Sent(0x40).size(), budget) << count;
    }
}

TEST_F(ReadTest, AReportWithoutDataEndsTheReadWithSuccessAndTheRestOfTheBufferAsItWas) {
    Fault(FaultKind::kSetByte, 0x40, 3, 1, 0, 3);  // 3 of the 5 bytes, then the chip has no more
    ASSERT_EQ(Read(5), 0);
    EXPECT_TRUE(Holds(0, 3));
    EXPECT_TRUE(Untouched(3));
    EXPECT_EQ(Sent(0x40).size(), 2u);
}

TEST_F(ReadTest, MoreBytesThanRequestedAreRefusedAndNeverStored) {
    Fault(FaultKind::kSetByte, 0x40, 3, 2, 0, 3);  // 3 bytes, then a report of 3 more
    EXPECT_EQ(Read(5), KELVANE_E_TOO_MUCH_DATA);
    EXPECT_TRUE(Untouched(3));

    chip->Faults().Clear();
    chip->Engine().SetExtraReadBytes(1);  // the chip hands out one byte too many
    EXPECT_EQ(Read(5), KELVANE_E_TOO_MUCH_DATA);
    EXPECT_TRUE(Untouched(0));
    EXPECT_EQ(Read(60), 0);  // the extra byte would come in a report the read no longer asks for
    EXPECT_EQ(Read(100), KELVANE_E_TOO_MUCH_DATA);
    EXPECT_TRUE(Holds(0, 60));
    EXPECT_TRUE(Untouched(60));
}

TEST_F(ReadTest, AnAbsentSlaveIsReportedByState0x25InADataReportWithACount) {
    buffer.assign(8, kUntouched);
    EXPECT_EQ(ReadI2cData(kAbsent | 1, buffer.data(), 5, 400000), KELVANE_E_ADDRESS_NACK);
    // With a count of 0 the report ends the read, whatever its state says.
    Fault(FaultKind::kSetByte, 0x40, 0x25, 1, 0, 2);
    Fault(FaultKind::kSetByte, 0x40, 0, 1, 0, 3);
    EXPECT_EQ(Read(5), 0);
    EXPECT_TRUE(Untouched(0));
    Fault(FaultKind::kSetByte, 0x40, 0x25, 1, 0, 2);
    EXPECT_EQ(Read(5), KELVANE_E_ADDRESS_NACK);
}

TEST_F(ReadTest, ARefusedReadRequestIsNotTriedAgain) {
    Fault(FaultKind::kRefuse, 0x91, 0x41);
    EXPECT_EQ(Read(5), KELVANE_E_TRANSFER_REFUSED);
    EXPECT_EQ(Sent(0x91).size(), 1u);
    EXPECT_TRUE(Sent(0x40).empty());
}

TEST_F(ReadTest, ADataReportWithANonZeroStatusEndsTheRead) {
    Fault(FaultKind::kStatus, 0x40, 2, 1, 1);
    EXPECT_EQ(Read(130), KELVANE_E_COMMAND_FAILED);
    EXPECT_EQ(Sent(0x40).size(), 2u);
    EXPECT_TRUE(Holds(0, 60));
}

}  // namespace
}  // namespace kelvane::testing
