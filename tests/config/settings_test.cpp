// The settings record: flash read-modify-write, the getters of either copy,
// the set-runtime-settings groups, target dispatch and the result codes.
#include <gtest/gtest.h>

#include "kelvane.h"
#include "support/config_fixture.h"

namespace kelvane::testing {
namespace {

using sim::FaultKind;

class SettingsTest : public ConfigFixture {
protected:
    // A flash block with a distinct value in every field.
    void FillFlash() {
        sim::ChipSettings& s = Flash().settings;
        s.serialEnumeration = true;
        s.ledUartRxInitial = 1;
        s.ledUartTxInitial = 0;
        s.ledI2cInitial = 1;
        s.sspndInitial = 0;
        s.usbcfgInitial = 1;
        s.protection = sim::kPasswordProtected;  // the chip enforces it from the next power-up
        s.clockDutyCycle = 2;
        s.clockDivider = 5;
        s.dacReference = 5;
        s.dacValue = 17;
        s.interruptMode = 3;
        s.adcReference = 7;
        s.vendorId = 0xBEEF;
        s.productId = 0xCAFE;
        s.usbAttributes = 0xA0;
        s.currentUnits = 125;
    }
};

TEST_F(SettingsTest, FlashSetterWritesBackEveryOtherFieldAsRead) {
    FillFlash();
    const sim::ChipSettings before = Flash().settings;
    ASSERT_EQ(SetUsbVidPid(0x1234, 0x5678), 0);

    EXPECT_EQ(Commands(), (std::vector<int>{0xB0, 0xB1}));
    const Report expected = RequestOf({{0, 0xB1}, {1, 0x00}, {2, 0xD5}, {3, 0x15}, {4, 0xB1}, {5, 0x7C},
                                       {6, 0x34}, {7, 0x12}, {8, 0x78}, {9, 0x56}, {10, 0xA0}, {11, 0x7D}});
    EXPECT_EQ(Last(0xB1), expected) << "password bytes 12 to 19 are zero before any password";

    sim::ChipSettings after = before;
    after.vendorId = 0x1234;
    after.productId = 0x5678;
    EXPECT_EQ(Flash().settings, after);
}

TEST_F(SettingsTest, FlashGettersDecodeEveryField) {
    FillFlash();
    EXPECT_EQ(GetUsbVid(), 0xBEEF);
    EXPECT_EQ(GetUsbPid(), 0xCAFE);
    EXPECT_EQ(GetUsbCurrentRequirement(), 250);
    EXPECT_EQ(GetSerialNumberEnumerationEnable(), 1);
    EXPECT_EQ(GetUsbPowerSource(), 0);
    EXPECT_EQ(GetUsbRemoteWakeupEnable(), 1);
    EXPECT_EQ(GetInitialPinValueLedUartRx(), 1);
    EXPECT_EQ(GetInitialPinValueLedUartTx(), 0);
    EXPECT_EQ(GetInitialPinValueLedI2c(), 1);
    EXPECT_EQ(GetInitialPinValueSspnd(), 0);
    EXPECT_EQ(GetInitialPinValueUsbcfg(), 1);
    EXPECT_EQ(GetInterruptPinMode(1), 3);
    EXPECT_EQ(GetClockPinDividerValue(1), 5);
    EXPECT_EQ(GetClockPinDutyCycle(1), 2);
    for (const Report& request : RequestsOf(*chip)) {
        EXPECT_EQ(request, RequestOf({{0, 0xB0}})) << "flash chip settings, sub-code 0";
    }
}

TEST_F(SettingsTest, TargetZeroReadsTheRuntimeCopy) {
    FillFlash();
    sim::ChipSettings& s = Runtime().settings;
    s.clockDivider = 3;
    s.clockDutyCycle = 1;
    s.interruptMode = 2;
    s.dacReference = 3;
    s.dacValue = 9;
    s.adcReference = 5;
    EXPECT_EQ(GetClockPinDividerValue(0), 3);
    EXPECT_EQ(GetClockPinDutyCycle(0), 1);
    EXPECT_EQ(GetInterruptPinMode(0), 2);
    EXPECT_EQ(GetDacVoltageReference(), 1);
    EXPECT_EQ(GetDacValue(), 9);
    EXPECT_EQ(GetAdcVoltageReference(), 2);
    EXPECT_EQ(RequestsOf(*chip, 0x61).size(), chip->Requests().size());
}

TEST_F(SettingsTest, ReferenceSelectorsDecodeByBitZeroFirst) {
    const std::pair<std::uint8_t, int> cases[] = {{0, 0}, {2, 0}, {4, 0}, {6, 0}, {3, 1}, {5, 2}, {7, 3}, {1, -9}};
    for (const auto& [selector, reference] : cases) {
        Runtime().settings.dacReference = selector;
        Runtime().settings.adcReference = selector;
        EXPECT_EQ(GetDacVoltageReference(), reference) << "selector " << int(selector);
        EXPECT_EQ(GetAdcVoltageReference(), reference) << "selector " << int(selector);
    }
}

TEST_F(SettingsTest, PowerSourceAndRemoteWakeupShareTheAttributesByte) {
    Flash().settings.usbAttributes = 0xA0;  // bus-powered, remote wake-up
    ASSERT_EQ(SetUsbPowerSource(1), 0);
    EXPECT_EQ(Flash().settings.usbAttributes, 0x40);
    EXPECT_EQ(GetUsbRemoteWakeupEnable(), 0);
    ASSERT_EQ(SetUsbRemoteWakeupEnable(1), 0);
    EXPECT_EQ(Flash().settings.usbAttributes, 0x60);
    EXPECT_EQ(GetUsbPowerSource(), 1);
    ASSERT_EQ(SetUsbRemoteWakeupEnable(0), 0);
    EXPECT_EQ(Flash().settings.usbAttributes, 0x40);
    ASSERT_EQ(SetUsbRemoteWakeupEnable(2), 0);
    EXPECT_EQ(Flash().settings.usbAttributes, 0x60);
    ASSERT_EQ(SetUsbPowerSource(0), 0);
    EXPECT_EQ(Flash().settings.usbAttributes, 0x80);

    Flash().settings.usbAttributes = 0xC0;
    EXPECT_EQ(GetUsbPowerSource(), 0);
    Flash().settings.usbAttributes = 0x20;
    EXPECT_EQ(GetUsbPowerSource(), KELVANE_E_NO_POWER_SOURCE);
    EXPECT_EQ(GetUsbRemoteWakeupEnable(), 1);
}

TEST_F(SettingsTest, CurrentRequirementTravelsInTwoMilliampereUnits) {
    ASSERT_EQ(SetUsbCurrentRequirement(100), 0);
    EXPECT_EQ(Last(0xB1)[11], 50);
    ASSERT_EQ(SetUsbCurrentRequirement(500), 0);
    EXPECT_EQ(Last(0xB1)[11], 250);
    EXPECT_EQ(Flash().settings.currentUnits, 250);
    EXPECT_EQ(GetUsbCurrentRequirement(), 500);
}

TEST_F(SettingsTest, SerialEnumerationIsEnabledOnlyByOne) {
    ASSERT_EQ(SetSerialNumberEnumerationEnable(2), 0);
    EXPECT_FALSE(Flash().settings.serialEnumeration);
    EXPECT_EQ(GetSerialNumberEnumerationEnable(), 0);
    ASSERT_EQ(SetSerialNumberEnumerationEnable(1), 0);
    EXPECT_TRUE(Flash().settings.serialEnumeration);
}

TEST_F(SettingsTest, EachInitialPinValueSetterChangesItsOwnBit) {
    struct Case {
        decltype(&SetInitialPinValueLedUartTx) set;
        decltype(&GetInitialPinValueLedUartTx) get;
        std::uint8_t sim::ChipSettings::*field;
    };
    const Case cases[] = {
        {SetInitialPinValueLedUartTx, GetInitialPinValueLedUartTx, &sim::ChipSettings::ledUartTxInitial},
        {SetInitialPinValueLedUartRx, GetInitialPinValueLedUartRx, &sim::ChipSettings::ledUartRxInitial},
        {SetInitialPinValueLedI2c, GetInitialPinValueLedI2c, &sim::ChipSettings::ledI2cInitial},
        {SetInitialPinValueSspnd, GetInitialPinValueSspnd, &sim::ChipSettings::sspndInitial},
        {SetInitialPinValueUsbcfg, GetInitialPinValueUsbcfg, &sim::ChipSettings::usbcfgInitial},
    };
    for (const Case& c : cases) {
        const sim::ChipSettings before = Flash().settings;
        ASSERT_EQ(c.set(1), 0);
        sim::ChipSettings expected = before;
        expected.*c.field = 1;
        EXPECT_EQ(Flash().settings, expected);
        EXPECT_EQ(c.get(), 1);
        ASSERT_EQ(c.set(0), 0);
        EXPECT_EQ(Flash().settings, before);
    }
}

TEST_F(SettingsTest, BadArgumentsAreRefusedBeforeAnythingIsSent) {
    for (int current : {99, 101, 501, 502, -2, 0}) {
        EXPECT_EQ(SetUsbCurrentRequirement(current), KELVANE_E_ARGUMENT_1) << current;
    }
    EXPECT_EQ(SetUsbPowerSource(2), KELVANE_E_ARGUMENT_1);
    EXPECT_EQ(SetUsbPowerSource(-1), KELVANE_E_ARGUMENT_1);
    for (auto set : {SetInitialPinValueLedUartTx, SetInitialPinValueLedUartRx, SetInitialPinValueLedI2c,
                     SetInitialPinValueSspnd, SetInitialPinValueUsbcfg}) {
        EXPECT_EQ(set(2), KELVANE_E_ARGUMENT_1);
        EXPECT_EQ(set(-1), KELVANE_E_ARGUMENT_1);
    }
    EXPECT_EQ(SetDacVoltageReference(4), KELVANE_E_ARGUMENT_1);
    EXPECT_EQ(SetAdcVoltageReference(-1), KELVANE_E_ARGUMENT_1);
    EXPECT_EQ(SetDacValue(32), KELVANE_E_ARGUMENT_1);
    EXPECT_EQ(SetDacValue(-1), KELVANE_E_ARGUMENT_1);
    EXPECT_EQ(GetInterruptPinMode(5), KELVANE_E_ARGUMENT_1);
    EXPECT_EQ(GetInterruptPinMode(2), KELVANE_E_ARGUMENT_1);
    EXPECT_EQ(GetClockPinDividerValue(-1), KELVANE_E_ARGUMENT_1);
    EXPECT_EQ(GetClockPinDutyCycle(2), KELVANE_E_ARGUMENT_1);
    EXPECT_EQ(SetInterruptPinMode(3, 1), KELVANE_E_ARGUMENT_1);
    EXPECT_EQ(SetInterruptPinMode(0, 0), KELVANE_E_ARGUMENT_2);
    EXPECT_EQ(SetInterruptPinMode(0, 4), KELVANE_E_ARGUMENT_2);
    EXPECT_EQ(SetClockPinConfiguration(3, 0, 9), KELVANE_E_ARGUMENT_1);
    EXPECT_TRUE(NothingSent());
}

TEST_F(SettingsTest, RuntimeSettersSendTheirGroupAlone) {
    struct Case {
        int result;
        std::size_t byte;
        std::uint8_t value;
    };
    const Case cases[] = {
        {SetDacVoltageReference(0), 3, 0x80}, {SetDacVoltageReference(1), 3, 0x83},
        {SetDacVoltageReference(2), 3, 0x85}, {SetDacVoltageReference(3), 3, 0x87},
        {SetAdcVoltageReference(2), 5, 0x85}, {SetDacValue(0), 4, 0x80},
        {SetDacValue(31), 4, 0x9F},           {SetInterruptPinMode(0, 1), 6, 0x9C},
        {SetInterruptPinMode(0, 2), 6, 0x96}, {SetInterruptPinMode(0, 3), 6, 0x9E},
        {ClearInterruptPinState(), 6, 0x81},
    };
    const std::vector<Report> requests = RequestsOf(*chip);
    ASSERT_EQ(requests.size(), std::size(cases));
    for (std::size_t i = 0; i < requests.size(); ++i) {
        EXPECT_EQ(cases[i].result, 0);
        EXPECT_EQ(requests[i], RequestOf({{0, 0x60}, {cases[i].byte, cases[i].value}})) << "case " << i;
    }
}

TEST_F(SettingsTest, TheChipTakesWhatTheRuntimeGroupsSay) {
    Runtime().interruptPending = true;
    ASSERT_EQ(SetInterruptPinMode(0, 2), 0);
    EXPECT_EQ(Runtime().settings.interruptMode, 2);
    EXPECT_TRUE(Runtime().interruptPending);
    ASSERT_EQ(ClearInterruptPinState(), 0);
    EXPECT_FALSE(Runtime().interruptPending);
    EXPECT_EQ(Runtime().settings.interruptMode, 2);
    ASSERT_EQ(SetDacVoltageReference(3), 0);
    ASSERT_EQ(SetDacValue(21), 0);
    ASSERT_EQ(SetAdcVoltageReference(1), 0);
    EXPECT_EQ(GetDacVoltageReference(), 3);
    EXPECT_EQ(GetDacValue(), 21);
    EXPECT_EQ(GetAdcVoltageReference(), 1);
    EXPECT_EQ(Flash().settings.dacReference, 0) << "runtime only";
}

TEST_F(SettingsTest, ClockConfigurationChecksTheChipBetweenTargetAndOtherArguments) {
    ASSERT_EQ(SetClockPinConfiguration(2, 3, 1), 0);
    EXPECT_EQ(Commands(), (std::vector<int>{0x10, 0x60, 0xB0, 0xB1}));
    EXPECT_EQ(Last(0x10), RequestOf({{0, 0x10}}));
    EXPECT_EQ(Last(0x60), RequestOf({{0, 0x60}, {2, 0x8B}}));
    EXPECT_EQ(Last(0xB1)[3], 0x0B);
    EXPECT_EQ(Runtime().settings.clockDivider, 3);
    EXPECT_EQ(Flash().settings.clockDutyCycle, 1);

    chip->ClearRequests();
    EXPECT_EQ(SetClockPinConfiguration(0, 0, 0), KELVANE_E_ARGUMENT_2);
    EXPECT_EQ(SetClockPinConfiguration(1, 8, 0), KELVANE_E_ARGUMENT_2);
    EXPECT_EQ(SetClockPinConfiguration(1, 7, 4), KELVANE_E_ARGUMENT_3);
    EXPECT_EQ(Commands(), (std::vector<int>{0x10, 0x10, 0x10}));

    chip->ClearRequests();
    AddFault(*chip, FaultKind::kStatus, 0x10, 5);
    EXPECT_EQ(SetClockPinConfiguration(0, 0, 9), 5) << "the status command's result comes before the arguments";
    EXPECT_EQ(Commands(), (std::vector<int>{0x10}));
}

TEST_F(SettingsTest, ARefusedRuntimeStepLeavesTheFlashUntouched) {
    AddFault(*chip, FaultKind::kStatus, 0x60, 1);
    EXPECT_EQ(SetInterruptPinMode(2, 1), 1);
    EXPECT_EQ(Commands(), (std::vector<int>{0x60}));
    EXPECT_EQ(Flash().settings.interruptMode, 0);

    chip->ClearRequests();
    ASSERT_EQ(SetInterruptPinMode(1, 2), 0);
    EXPECT_EQ(Commands(), (std::vector<int>{0xB0, 0xB1}));
    EXPECT_EQ(Flash().settings.interruptMode, 2);
}

TEST_F(SettingsTest, AFlashSetterStopsAtARefusedReadAndPassesOnARefusedWrite) {
    AddFault(*chip, FaultKind::kStatus, 0xB0, 7);
    EXPECT_EQ(SetUsbVidPid(1, 2), 7);
    EXPECT_EQ(Commands(), (std::vector<int>{0xB0}));
    AddFault(*chip, FaultKind::kStatus, 0xB1, 9);
    EXPECT_EQ(SetUsbPowerSource(1), 9);
}

TEST_F(SettingsTest, GettersPassAStatusOnExceptTheAnalogOnes) {
    Runtime().settings.dacValue = 12;
    Runtime().settings.dacReference = 7;
    AddFault(*chip, FaultKind::kStatus, sim::kAnyCommand, 1, sim::kForever);
    EXPECT_EQ(GetUsbVid(), 1);
    EXPECT_EQ(GetClockPinDutyCycle(0), 1);
    EXPECT_EQ(GetFlashProtectionState(), 1);
    EXPECT_EQ(GetDacValue(), 12);
    EXPECT_EQ(GetDacVoltageReference(), 3);
    EXPECT_EQ(GetAdcVoltageReference(), 0);
}

TEST_F(SettingsTest, ExchangeFailuresComeBackFromGettersAndSetters) {
    AddFault(*chip, FaultKind::kWriteTimeout, 0xB0);
    EXPECT_EQ(GetUsbPid(), KELVANE_E_WRITE_FAILED);
    AddFault(*chip, FaultKind::kNoAnswer, 0x61);
    EXPECT_EQ(GetDacValue(), KELVANE_E_READ_FAILED);
    AddFault(*chip, FaultKind::kWrongEcho, 0x61, 0x60);
    EXPECT_EQ(GetAdcVoltageReference(), KELVANE_E_WRONG_ECHO);
    AddFault(*chip, FaultKind::kNoAnswer, 0xB1);
    EXPECT_EQ(SetUsbVidPid(1, 2), KELVANE_E_READ_FAILED);
    AddFault(*chip, FaultKind::kWrongEcho, 0x60, 0x61);
    EXPECT_EQ(SetDacValue(3), KELVANE_E_WRONG_ECHO);
}

TEST_F(SettingsTest, PowerUpLoadsTheRuntimeSettingsFromFlash) {
    ASSERT_EQ(SetClockPinConfiguration(1, 6, 3), 0);
    ASSERT_EQ(SetInterruptPinMode(1, 2), 0);
    EXPECT_EQ(GetClockPinDividerValue(0), 1);
    ASSERT_EQ(ResetDevice(), 0);
    EXPECT_EQ(GetConnectionStatus(), 1);
    EXPECT_EQ(GetClockPinDividerValue(0), 6);
    EXPECT_EQ(GetClockPinDutyCycle(0), 3);
    EXPECT_EQ(GetInterruptPinMode(0), 2);
}

TEST_F(SettingsTest, AfterAResetTheChipAnswersToItsNewIdentifiers) {
    ASSERT_EQ(SetUsbVidPid(0x0ACE, 0x00BF), 0);
    ASSERT_EQ(ResetDevice(), 0);
    EXPECT_EQ(GetConnectionStatus(), 0);
    DllInitCustom(0x0ACE, 0x00BF);
    ASSERT_EQ(GetConnectionStatus(), 1);
    EXPECT_EQ(GetUsbVid(), 0x0ACE);
}

}  // namespace
}  // namespace kelvane::testing
