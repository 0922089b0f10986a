// Reports that are not the answer to the request just written, on the
// virtual chip: an answer the chip sends twice, a report it sends unasked, an
// answer whose read failed, and an answer that arrives only after the next
// request was written. None of them may be taken for a later answer.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "kelvane.h"
#include "support/chip_strings.h"
#include "support/i2c_fixture.h"

namespace kelvane::testing {
namespace {

using sim::FaultKind;

constexpr unsigned int kSpeed = 100000;

class StrayReportTest : public I2cFixture {
protected:
    void SetUp() override {
        I2cFixture::SetUp();
        sim::FlashStore& flash = chip->Config().flash;
        flash.manufacturer = u"Maker";
        flash.product = u"Widget";
        flash.serialNumber = u"SN-7";
        for (std::size_t i = 0; i < eeprom->Memory().size(); ++i) {
            eeprom->Memory()[i] = static_cast<std::uint8_t>(0x80 + i);
        }
    }

    // The string a getter returns, with its result in `result`.
    static std::u16string Text(int(KELVANE_CALL* get)(KelvaneChar*), int& result) {
        std::array<KelvaneChar, 64> buffer{};
        result = get(buffer.data());
        return TextOf(buffer.data());
    }

    // A report with a command code and bytes from byte 1 on.
    static Report ReportOf(std::uint8_t command, std::initializer_list<std::uint8_t> bytes) {
        Report report{};
        report[0] = command;
        std::size_t at = 1;
        for (const std::uint8_t byte : bytes) {
            report[at++] = byte;
        }
        return report;
    }
};

TEST_F(StrayReportTest, EveryAnswerSentTwiceStillGivesEachCommandItsOwn) {
    Fault(FaultKind::kStray, sim::kAnyCommand, 0, sim::kForever);
    int result = -1;

    EXPECT_EQ(Text(GetUsbStringManufacturer, result), u"Maker");
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Text(GetUsbStringDescriptor, result), u"Widget");
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Text(GetSerialNumber, result), u"SN-7");
    EXPECT_EQ(result, 0);

    const std::array<unsigned char, 3> written{0x10, 0xC1, 0xC2};  // pointer 0x10, then two bytes
    EXPECT_EQ(WriteI2cData(kEeprom, written.data(), 3, kSpeed), 0);
    EXPECT_EQ(eeprom->Memory()[0x10], 0xC1);
    EXPECT_EQ(eeprom->Memory()[0x11], 0xC2);
    eeprom->SetPointer(0x10);
    std::array<unsigned char, 4> read{};
    EXPECT_EQ(ReadI2cData(kEeprom | 1, read.data(), 4, kSpeed), 0);
    EXPECT_EQ(read, (std::array<unsigned char, 4>{0xC1, 0xC2, 0x92, 0x93}));
    EXPECT_EQ(ReadI2cData(kEeprom | 1, read.data(), 4, kSpeed), 0);
    EXPECT_EQ(read, (std::array<unsigned char, 4>{0x94, 0x95, 0x96, 0x97}));

    for (std::uint8_t i = 0; i < 4; ++i) {
        smbus->Registers()[5 + i] = static_cast<std::uint8_t>(0x50 + i);
    }
    std::array<unsigned char, 4> block{};
    EXPECT_EQ(SmbReadBlock(kSmbus, block.data(), 4, kSpeed, 1, 5), 0);
    EXPECT_EQ(block, (std::array<unsigned char, 4>{0x50, 0x51, 0x52, 0x53}));
    EXPECT_EQ(GetSclLineValue(), 1);
    // Each exchange left its copy behind, and the next request dropped it.
    EXPECT_GT(platform.DiscardedReportCount(), 10);
}

TEST_F(StrayReportTest, ReportsSentUnaskedBeforeACommandAreDropped) {
    ASSERT_TRUE(bench.SendUnasked("1", ReportOf(0x10, {0, 0, 0x20})));
    chip->sclLine = 0;
    EXPECT_EQ(GetSclLineValue(), 0);

    // A data report with four bytes, then one that says "no more data":
    // taken as answers, they would end the read at once with the wrong bytes.
    ASSERT_TRUE(bench.SendUnasked("1", ReportOf(0x40, {0, 0, 4, 1, 2, 3, 4})));
    ASSERT_TRUE(bench.SendUnasked("1", ReportOf(0x40, {0, 0, 0})));
    std::array<unsigned char, 4> read{};
    EXPECT_EQ(ReadI2cData(kEeprom | 1, read.data(), 4, kSpeed), 0);
    EXPECT_EQ(read, (std::array<unsigned char, 4>{0x80, 0x81, 0x82, 0x83}));

    EXPECT_FALSE(bench.SendUnasked("2", ReportOf(0x10, {})));  // no chip there
}

TEST_F(StrayReportTest, AnswerWhoseReadFailedIsNotTakenForTheNextCommand) {
    Fault(FaultKind::kReadWaitFails, 0xB0);
    const int scans = platform.EnumerationCount();
    int result = 0;

    Text(GetUsbStringManufacturer, result);
    EXPECT_EQ(result, KELVANE_E_READ_FAILED);
    // The manufacturer answer came all the same and waits; the product
    // request has the same command code, so only dropping it tells them apart.
    EXPECT_EQ(Text(GetUsbStringDescriptor, result), u"Widget");
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Text(GetSerialNumber, result), u"SN-7");
    EXPECT_EQ(result, 0);
    EXPECT_EQ(platform.EnumerationCount(), scans);  // the connection was kept
}

TEST_F(StrayReportTest, LateAnswerAfterTheNextRequestIsAWrongEchoAndLeavesNothingBehind) {
    Fault(FaultKind::kLateAnswer, 0x10);
    const int scans = platform.EnumerationCount();
    int result = 0;

    EXPECT_EQ(GetSclLineValue(), KELVANE_E_READ_FAILED);
    // The status answer arrives after the string request went out.
    Text(GetUsbStringDescriptor, result);
    EXPECT_EQ(result, KELVANE_E_WRONG_ECHO);
    // The string's own answer came after it and is dropped in turn.
    chip->sclLine = 0;
    EXPECT_EQ(GetSclLineValue(), 0);
    EXPECT_EQ(Text(GetUsbStringDescriptor, result), u"Widget");
    EXPECT_EQ(result, 0);
    EXPECT_EQ(platform.EnumerationCount(), scans);
}

TEST_F(StrayReportTest, ResetRequestAlsoDropsWhatWaits) {
    ASSERT_TRUE(bench.SendUnasked("1", ReportOf(0x10, {})));
    const int before = platform.DiscardedReportCount();
    EXPECT_EQ(ResetDevice(), 0);
    EXPECT_EQ(platform.DiscardedReportCount(), before + 1);
}

}  // namespace
}  // namespace kelvane::testing
