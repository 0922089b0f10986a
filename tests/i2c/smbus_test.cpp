// SmbWriteBlock and SmbReadBlock on the virtual chip with an SMBus device:
// the PEC byte in the stream, the register phase, the chained read and the
// SMBus-specific results.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "kelvane.h"
#include "slaves/smbus_crc.h"
#include "support/i2c_fixture.h"

namespace kelvane::testing {
namespace {

using sim::FaultKind;

constexpr std::uint8_t kUntouched = 0xEE;

std::uint8_t CrcOf(std::initializer_list<std::uint8_t> bytes, std::uint8_t crc = 0) {
    for (const std::uint8_t byte : bytes) {
        crc = sim::SmbusCrc(crc, byte);
    }
    return crc;
}

class SmbusTest : public I2cFixture {
protected:
    void SetUp() override {
        I2cFixture::SetUp();
        std::vector<std::uint8_t>& registers = smbus->Registers();
        for (std::size_t i = 0; i < registers.size(); ++i) {
            registers[i] = static_cast<std::uint8_t>(i * 5 + 1);
        }
    }

    int ReadBlock(unsigned count, bool pec, std::uint8_t index = 0x20, std::uint8_t address = kSmbus) {
        buffer.assign(count + 4, kUntouched);
        return SmbReadBlock(address, buffer.data(), count, 400000, pec ? 1 : 0, index);
    }
    bool HoldsRegisters(std::size_t index, std::size_t count) const {
        return std::equal(buffer.begin(), buffer.begin() + static_cast<long>(count),
                          smbus->Registers().begin() + static_cast<long>(index));
    }
    bool Untouched(std::size_t from) const {
        return std::all_of(buffer.begin() + static_cast<long>(from), buffer.end(),
                           [](std::uint8_t b) { return b == kUntouched; });
    }

    std::vector<std::uint8_t> buffer;
};

TEST_F(SmbusTest, AWriteWithPecEndsWithTheCodeOverAddressAndDataAndTheDeviceTakesIt) {
    smbus->SetBlockLength(1);  // index, one data byte: a third byte is a PEC
    const std::uint8_t data[] = {0x05, 0xA7};
    ASSERT_EQ(SmbWriteBlock(kSmbus, data, 2, 100000, 1), 0);
    const std::vector<Report> pieces = Sent(0x90);
    ASSERT_EQ(pieces.size(), 1u);
    Report expected{};
    expected[0] = 0x90;
    expected[1] = 3;
    expected[3] = kSmbus;
    expected[4] = 0x05;
    expected[5] = 0xA7;
    expected[6] = CrcOf({kSmbus, 0x05, 0xA7});
    EXPECT_EQ(pieces[0], expected);
    EXPECT_EQ(smbus->PecErrors(), 0);
    EXPECT_EQ(smbus->Registers()[5], 0xA7);
}

TEST_F(SmbusTest, ThePecByteOfSixtyDataBytesTravelsAloneInASecondPieceWithTheSameTotal) {
    smbus->SetPecRequired(true);
    std::vector<std::uint8_t> data(60);
    for (std::size_t i = 0; i < data.size(); ++i) {
        data[i] = static_cast<std::uint8_t>(i + 1);
    }
    ASSERT_EQ(SmbWriteBlock(kSmbus, data.data(), 60, 100000, 1), 0);
    const std::vector<Report> pieces = Sent(0x90);
    ASSERT_EQ(pieces.size(), 2u);
    std::uint8_t pec = sim::SmbusCrc(0, kSmbus);
    for (const std::uint8_t byte : data) {
        pec = sim::SmbusCrc(pec, byte);
    }
    for (const Report& piece : pieces) {
        EXPECT_EQ(piece[1], 61);
        EXPECT_EQ(piece[2], 0);
    }
    EXPECT_EQ(pieces[1][4], pec);
    EXPECT_TRUE(std::all_of(pieces[1].begin() + 5, pieces[1].end(), [](std::uint8_t b) { return b == 0; }));
    EXPECT_EQ(smbus->PecErrors(), 0);
    EXPECT_EQ(smbus->WritesTaken(), 1);
}

TEST_F(SmbusTest, AnEmptyWriteIsTheHeaderAloneOrTheCodeOfTheAddress) {
    const std::uint8_t none[1] = {0};
    ASSERT_EQ(SmbWriteBlock(kSmbus, none, 0, 100000, 0), 0);
    ASSERT_EQ(SmbWriteBlock(kSmbus, none, 0, 100000, 1), 0);
    const std::vector<Report> pieces = Sent(0x90);
    ASSERT_EQ(pieces.size(), 2u);
    EXPECT_EQ(pieces[0][1], 0);
    EXPECT_EQ(pieces[0][4], 0);
    EXPECT_EQ(pieces[1][1], 1);
    EXPECT_EQ(pieces[1][4], CrcOf({kSmbus}));
}

TEST_F(SmbusTest, PecLeavesRoomForOneByteLess) {
    smbus = &chip->Engine().Bus().Attach<sim::SmbusDevice>(kSmbus >> 1, 65536);
    smbus->SetPecRequired(true);
    std::vector<std::uint8_t> data(65535, 0x5A);
    EXPECT_EQ(SmbWriteBlock(kSmbus, data.data(), 65535, 400000, 1), KELVANE_E_ARGUMENT_3);
    EXPECT_EQ(SmbReadBlock(kSmbus, data.data(), 65535, 400000, 1, 0), KELVANE_E_ARGUMENT_3);
    EXPECT_TRUE(chip->Requests().empty());
    chip->SetRecording(false);
    EXPECT_EQ(SmbWriteBlock(kSmbus, data.data(), 65534, 400000, 1), 0);
    EXPECT_EQ(smbus->PecErrors(), 0);
    smbus->SetPecRequired(false);
    EXPECT_EQ(SmbWriteBlock(kSmbus, data.data(), 65535, 400000, 0), 0);
    EXPECT_EQ(smbus->WritesTaken(), 2);
}

TEST_F(SmbusTest, AWriteEndsByTheEngineStateAloneAndNeverReportsTheAddressFlag) {
    const std::uint8_t data[] = {1, 2, 3};
    EXPECT_EQ(SmbWriteBlock(kAbsent, data, 3, 100000, 1), 0);
    Fault(FaultKind::kSetByte, 0x10, 0x40, 1, 1, 20);
    EXPECT_EQ(SmbWriteBlock(kSmbus, data, 3, 100000, 0), 0);
    Fault(FaultKind::kSetByte, 0x10, 0x52, 1, 1, 8);
    EXPECT_EQ(SmbWriteBlock(kSmbus, data, 3, 100000, 0), KELVANE_E_TIMEOUT);
}

TEST_F(SmbusTest, AReadWithPecAsksForOneByteMoreChecksItAndStoresOnlyTheData) {
    smbus->SetBlockLength(4);
    ASSERT_EQ(ReadBlock(4, true, 0x20), 0);
    const std::vector<Report> indexWrites = Sent(0x94);
    ASSERT_EQ(indexWrites.size(), 1u);
    Report expected{};
    expected[0] = 0x94;
    expected[1] = 1;
    expected[3] = kSmbus;
    expected[4] = 0x20;
    EXPECT_EQ(indexWrites[0], expected);
    const std::vector<Report> reads = Sent(0x93);
    ASSERT_EQ(reads.size(), 1u);
    expected = Report{};
    expected[0] = 0x93;
    expected[1] = 5;
    expected[3] = kSmbus | 1;
    EXPECT_EQ(reads[0], expected);
    EXPECT_TRUE(HoldsRegisters(0x20, 4));
    EXPECT_TRUE(Untouched(4));
}

TEST_F(SmbusTest, AChangedByteOnTheWayMakesTheCodesDiffer) {
    Fault(FaultKind::kSetByte, 0x40, 0x00, 1, 0, 6);  // the third data byte
    EXPECT_EQ(ReadBlock(4, true), KELVANE_E_WRONG_PEC);
    Fault(FaultKind::kSetByte, 0x40, 0x00, 1, 0, 6);
    EXPECT_EQ(ReadBlock(4, false), 0);  // nothing to check it against
}

TEST_F(SmbusTest, AReadThatEndsBeforeThePecByteArrivedIsNotASuccess) {
    Fault(FaultKind::kSetByte, 0x40, 2, 1, 0, 3);  // two bytes, then the chip has no more
    EXPECT_EQ(ReadBlock(4, true), KELVANE_E_WRONG_PEC);
    EXPECT_TRUE(HoldsRegisters(0x20, 2));
    Fault(FaultKind::kSetByte, 0x40, 2, 1, 0, 3);
    EXPECT_EQ(ReadBlock(4, false), 0);
    EXPECT_TRUE(Untouched(2));
}

TEST_F(SmbusTest, AnIdleEngineAfterTheRegisterIndexIsADataNackBeforeAnyRead) {
    EXPECT_EQ(ReadBlock(4, true, 0x20, kAbsent), KELVANE_E_SMB_DATA_NACK);
    EXPECT_TRUE(Sent(0x93).empty());
    EXPECT_TRUE(Untouched(0));
}

TEST_F(SmbusTest, TheRegisterPhaseHasTheAcceptanceLoopAndABoundedStatusPoll) {
    Fault(FaultKind::kRefuse, 0x94, 0x17);
    EXPECT_EQ(ReadBlock(4, false), KELVANE_E_TIMEOUT);
    ResetEngine();
    Fault(FaultKind::kRefuse, 0x94, 0x41, 50);
    EXPECT_EQ(ReadBlock(4, false), KELVANE_E_SEND);
    for (const std::uint8_t state : {0x62, 0x21}) {
        ResetEngine();
        Fault(FaultKind::kSetByte, 0x10, state, 1, 1, 8);
        EXPECT_EQ(ReadBlock(4, false), KELVANE_E_TIMEOUT) << int(state);
    }
    ResetEngine();
    Fault(FaultKind::kStatus, 0x10, 9, 50, 1);
    Fault(FaultKind::kSetByte, 0x10, 0x41, 50, 1, 8);
    EXPECT_EQ(ReadBlock(4, false), KELVANE_E_SEND);
    ResetEngine();
    chip->ClearRequests();
    Fault(FaultKind::kStatus, 0x10, 9, 49, 1);
    Fault(FaultKind::kSetByte, 0x10, 0x41, 49, 1, 8);
    EXPECT_EQ(ReadBlock(4, false), 0);
    EXPECT_EQ(Sent(0x10).size(), 1u + 50u);
    EXPECT_TRUE(HoldsRegisters(0x20, 4));
}

TEST_F(SmbusTest, TheWaitForTheReadPhaseEndsAfterOneSecondOfInProgress) {
    bench.SetExchangeLatencyUs(500);
    chip->Engine().HangBus(true);
    EXPECT_EQ(ReadBlock(4, false), KELVANE_E_TIMEOUT);
    EXPECT_TRUE(Sent(0x93).empty());
    // speed and index exchanges, D, then 1000 polls of one millisecond
    EXPECT_EQ(ElapsedUs(), 2000u + 3000u + 1'000'000u);
}

TEST_F(SmbusTest, TheChainedReadIsTriedOnceAndItsDataReportsAreReadAsForI2c) {
    Fault(FaultKind::kRefuse, 0x93, 0x41);
    EXPECT_EQ(ReadBlock(4, true), KELVANE_E_TRANSFER_REFUSED);
    EXPECT_EQ(Sent(0x93).size(), 1u);
    Fault(FaultKind::kStatus, 0x40, 4);
    EXPECT_EQ(ReadBlock(4, true), KELVANE_E_COMMAND_FAILED);
    Fault(FaultKind::kSetByte, 0x40, 0x25, 1, 0, 2);
    EXPECT_EQ(ReadBlock(4, true), KELVANE_E_ADDRESS_NACK);
    Fault(FaultKind::kNotReady, 0x40, 0x7F, 51);
    EXPECT_EQ(ReadBlock(4, true), KELVANE_E_NO_DATA);
    ResetEngine();
    chip->Engine().SetExtraReadBytes(2);
    EXPECT_EQ(ReadBlock(4, true), KELVANE_E_TOO_MUCH_DATA);
    EXPECT_TRUE(Untouched(0));
}

}  // namespace
}  // namespace kelvane::testing
