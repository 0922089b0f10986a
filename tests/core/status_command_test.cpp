// The status and parameters command and the six exports built on it.
#include <gtest/gtest.h>

#include <cstring>

#include "kelvane.h"
#include "support/sim_fixture.h"

namespace kelvane::testing {
namespace {

using sim::FaultKind;

class StatusTest : public SimFixture {
protected:
    void SetUp() override { chip = &AttachAndConnect(); }

    void SetResponseByte(std::size_t index, std::uint8_t value) {
        sim::FaultRule rule;
        rule.kind = FaultKind::kSetByte;
        rule.command = 0x10;
        rule.index = index;
        rule.value = value;
        chip->Faults().Add(rule);
    }

    sim::Chip* chip = nullptr;
};

TEST_F(StatusTest, ReportsLinesAndRevisionsAsTheChipSendsThem) {
    chip->sclLine = 0;
    chip->sdaLine = 0xC3;
    chip->firmwareRevision = {'1', '2'};
    chip->hardwareRevision = {'A', '6'};
    EXPECT_EQ(GetSclLineValue(), 0);
    EXPECT_EQ(GetSdaLineValue(), 0xC3);

    char firmware[8];
    std::memset(firmware, 'x', sizeof firmware);
    ASSERT_EQ(GetFirmwareVersion(firmware), 0);
    EXPECT_EQ(0, std::memcmp(firmware, "1.2\0xxxx", 8));

    char hardware[8];
    std::memset(hardware, 'x', sizeof hardware);
    ASSERT_EQ(GetHardwareVersion(hardware), 0);
    EXPECT_EQ(0, std::memcmp(hardware, "A6\0xxxxx", 8));
}

TEST_F(StatusTest, AdcReadingsKeepTenBits) {
    SetResponseByte(50, 0xFF);
    SetResponseByte(51, 0xFF);
    SetResponseByte(52, 0x34);
    SetResponseByte(53, 0x12);
    SetResponseByte(54, 0x01);
    SetResponseByte(55, 0xFC);
    unsigned short values[4] = {7, 7, 7, 7};
    ASSERT_EQ(GetAdcData(values), 0);
    EXPECT_EQ(values[0], 1023);
    EXPECT_EQ(values[1], 0x234);
    EXPECT_EQ(values[2], 1);
    EXPECT_EQ(values[3], 7);
}

TEST_F(StatusTest, OnlyAdcAndStopAskTheChipToCancel) {
    ASSERT_EQ(GetAdcData(nullptr), 0);
    StopI2cDataTransfer();
    GetSclLineValue();
    GetSdaLineValue();
    char buffer[4];
    GetFirmwareVersion(buffer);
    GetHardwareVersion(buffer);
    const std::vector<Report> requests = RequestsOf(*chip, 0x10);
    ASSERT_EQ(requests.size(), 6u);
    const std::uint8_t cancel[] = {0x10, 0x10, 0, 0, 0, 0};
    for (std::size_t i = 0; i < requests.size(); ++i) {
        Report expected{};
        expected[0] = 0x10;
        expected[2] = cancel[i];
        EXPECT_EQ(requests[i], expected) << "request " << i;
    }
}

TEST_F(StatusTest, StopReturnsTheCancelStatusAsSent) {
    EXPECT_EQ(StopI2cDataTransfer(), 0);  // nothing in progress
    chip->Engine().ForceState(0x44);
    EXPECT_EQ(StopI2cDataTransfer(), 0x10);
    SetResponseByte(2, 0xE1);
    EXPECT_EQ(StopI2cDataTransfer(), 0xE1);
}

TEST_F(StatusTest, ChipStatusComesBackAsResultAndNothingIsWritten) {
    AddFault(*chip, FaultKind::kStatus, 0x10, 3, sim::kForever);
    EXPECT_EQ(GetSclLineValue(), 3);
    EXPECT_EQ(GetSdaLineValue(), 3);
    EXPECT_EQ(StopI2cDataTransfer(), 3);
    unsigned short values[3] = {9, 9, 9};
    EXPECT_EQ(GetAdcData(values), 3);
    EXPECT_EQ(values[0], 9);
    char version[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(GetFirmwareVersion(version), 3);
    EXPECT_EQ(GetHardwareVersion(version), 3);
    EXPECT_EQ(0, std::memcmp(version, "xxxx", 4));
}

TEST_F(StatusTest, WrongEchoIsReportedAndNothingIsWritten) {
    AddFault(*chip, FaultKind::kWrongEcho, 0x10, 0x11, sim::kForever);
    unsigned short values[3] = {9, 9, 9};
    EXPECT_EQ(GetAdcData(values), KELVANE_E_WRONG_ECHO);
    EXPECT_EQ(values[2], 9);
    char version[4] = {'x', 'x', 'x', 'x'};
    EXPECT_EQ(GetHardwareVersion(version), KELVANE_E_WRONG_ECHO);
    EXPECT_EQ(version[0], 'x');
    EXPECT_EQ(GetSclLineValue(), KELVANE_E_WRONG_ECHO);
}

TEST_F(StatusTest, VersionExportsRefuseANullBufferWithoutAnExchange) {
    EXPECT_EQ(GetFirmwareVersion(nullptr), KELVANE_E_ARGUMENT_1);
    EXPECT_EQ(GetHardwareVersion(nullptr), KELVANE_E_ARGUMENT_1);
    EXPECT_TRUE(chip->Requests().empty());
}

}  // namespace
}  // namespace kelvane::testing
