// GP pin configuration in the runtime settings and in flash, and the GPIO
// values and directions of single pins.
#include <gtest/gtest.h>

#include <array>

#include "kelvane.h"
#include "support/config_fixture.h"

namespace kelvane::testing {
namespace {

using sim::FaultKind;
using Pins = std::array<unsigned char, 4>;

class GpPinsTest : public ConfigFixture {
protected:
    int Set(int target, const Pins& designation, const Pins& direction, const Pins& value) {
        return SetGpPinConfiguration(target, designation.data(), direction.data(), value.data());
    }
    int Get(int target) {
        return GetGpPinConfiguration(target, designation.data(), direction.data(), value.data());
    }

    Pins designation{9, 9, 9, 9};
    Pins direction{9, 9, 9, 9};
    Pins value{9, 9, 9, 9};
};

TEST_F(GpPinsTest, RuntimeConfigurationTravelsAsPinBytes) {
    ASSERT_EQ(Set(0, {0, 0, 4, 0}, {1, 0, 0, 0}, {0, 1, 0, 0}), 0);
    EXPECT_EQ(Commands(), (std::vector<int>{0x60}));
    EXPECT_EQ(Last(0x60), RequestOf({{0, 0x60}, {7, 0x80}, {8, 0x08}, {9, 0x10}, {10, 0x04}, {11, 0x00}}));
    const sim::GpPins expected = {{{0, 1, 0}, {0, 0, 1}, {4, 0, 0}, {0, 0, 0}}};
    EXPECT_EQ(Runtime().pins, expected);

    ASSERT_EQ(Get(0), 0);
    EXPECT_EQ(designation, (Pins{0, 0, 4, 0}));
    EXPECT_EQ(direction, (Pins{1, 0, 0, 0}));
    EXPECT_EQ(value, (Pins{0, 1, 0, 0}));
}

TEST_F(GpPinsTest, FlashConfigurationIsItsOwnBlockWithoutReadModifyWrite) {
    ASSERT_EQ(Set(1, {1, 2, 3, 0}, {0, 1, 0, 1}, {1, 0, 0, 1}), 0);
    EXPECT_EQ(Commands(), (std::vector<int>{0xB1}));
    EXPECT_EQ(Last(0xB1), RequestOf({{0, 0xB1}, {1, 0x01}, {2, 0x11}, {3, 0x0A}, {4, 0x03}, {5, 0x18}}));
    EXPECT_EQ(Flash().gpPins[3], (sim::GpPin{0, 1, 1}));
    EXPECT_EQ(Runtime().pins, sim::GpPins{}) << "flash only";

    Flash().gpPins[2] = {7, 1, 1};  // pin byte 0x1F; the chip may set any designation
    ASSERT_EQ(Get(1), 0);
    EXPECT_EQ(Last(0xB0), RequestOf({{0, 0xB0}, {1, 0x01}}));
    EXPECT_EQ(designation, (Pins{1, 2, 7, 0}));
    EXPECT_EQ(direction, (Pins{0, 1, 1, 1}));
    EXPECT_EQ(value, (Pins{1, 0, 1, 1}));

    PatchResponse(0xB0, 4, 0xFF);
    ASSERT_EQ(Get(1), 0);
    EXPECT_EQ(designation[0], 7);
    EXPECT_EQ(direction[0], 1);
    EXPECT_EQ(value[0], 1);
}

TEST_F(GpPinsTest, BothTargetsWriteRuntimeFirstAndStopAtItsFailure) {
    ASSERT_EQ(Set(2, {0, 1, 0, 0}, {0, 0, 0, 1}, {1, 0, 0, 0}), 0);
    EXPECT_EQ(Commands(), (std::vector<int>{0x60, 0xB1}));
    EXPECT_EQ(Runtime().pins, Flash().gpPins);

    chip->ClearRequests();
    AddFault(*chip, FaultKind::kNoAnswer, 0x60);
    EXPECT_EQ(Set(2, {0, 0, 0, 0}, {1, 1, 1, 1}, {0, 0, 0, 0}), KELVANE_E_READ_FAILED);
    ASSERT_EQ(GetConnectionStatus(), 1);
    EXPECT_EQ(Commands(), (std::vector<int>{0x60}));
}

TEST_F(GpPinsTest, EntriesAreCheckedPinByPinBeforeAnythingIsSent) {
    EXPECT_EQ(Set(3, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}), KELVANE_E_ARGUMENT_1);
    EXPECT_EQ(Set(0, {0, 0, 0, 5}, {0, 0, 0, 0}, {0, 0, 0, 0}), KELVANE_E_ARGUMENT_2);
    EXPECT_EQ(Set(0, {0, 7, 0, 0}, {2, 0, 0, 0}, {0, 0, 0, 0}), KELVANE_E_ARGUMENT_3);
    EXPECT_EQ(Set(0, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 2}), KELVANE_E_ARGUMENT_4);
    EXPECT_EQ(Set(0, {0, 0, 0, 0}, {0, 0, 0, 0}, {0xFF, 0, 0, 0}), KELVANE_E_ARGUMENT_4);
    const Pins ok{};
    EXPECT_EQ(SetGpPinConfiguration(0, nullptr, ok.data(), ok.data()), KELVANE_E_ARGUMENT_2);
    EXPECT_EQ(SetGpPinConfiguration(1, ok.data(), nullptr, ok.data()), KELVANE_E_ARGUMENT_3);
    EXPECT_EQ(SetGpPinConfiguration(2, ok.data(), ok.data(), nullptr), KELVANE_E_ARGUMENT_4);
    EXPECT_EQ(GetGpPinConfiguration(0, nullptr, designation.data(), value.data()), KELVANE_E_ARGUMENT_2);
    EXPECT_EQ(GetGpPinConfiguration(1, designation.data(), direction.data(), nullptr), KELVANE_E_ARGUMENT_4);
    EXPECT_EQ(Get(2), KELVANE_E_ARGUMENT_1);
    EXPECT_TRUE(NothingSent());
    EXPECT_EQ(designation, (Pins{9, 9, 9, 9}));
}

TEST_F(GpPinsTest, AReadReturnsTheStatusWithTheArraysFilledButAFailureLeavesThemAlone) {
    Runtime().pins[1] = {3, 0, 1};
    PatchResponse(0x61, 1, 2);
    EXPECT_EQ(Get(0), 2);
    EXPECT_EQ(designation[1], 3);
    PatchResponse(0xB0, 1, 4);
    EXPECT_EQ(Get(1), 4);
    EXPECT_EQ(designation[1], 0);

    designation.fill(9);
    AddFault(*chip, FaultKind::kWrongEcho, 0x61, 0x60);
    EXPECT_EQ(Get(0), KELVANE_E_WRONG_ECHO);
    AddFault(*chip, FaultKind::kWrongEcho, 0xB0, 0xB1);
    EXPECT_EQ(Get(1), KELVANE_E_WRONG_ECHO);
    EXPECT_EQ(designation, (Pins{9, 9, 9, 9}));
}

class GpioTest : public GpPinsTest {
protected:
    void SetUp() override {
        GpPinsTest::SetUp();
        Runtime().pins = {{{0, 0, 0}, {0, 1, 0}, {0, 0, 1}, {2, 0, 0}}};  // GP3 has a dedicated function
        Runtime().inputLevels = {0, 1, 0, 1};
    }
};

TEST_F(GpioTest, ValuesAndDirectionsOfGpioPinsAndMarkersOfTheOthers) {
    EXPECT_EQ(ReadGpioPinValue(0), 0);
    EXPECT_EQ(ReadGpioPinValue(1), 1) << "an input reads its level";
    EXPECT_EQ(ReadGpioPinValue(2), 1) << "an output reads its value";
    EXPECT_EQ(ReadGpioPinValue(3), KELVANE_E_NOT_GPIO);
    EXPECT_EQ(GetGpPinDirection(0, 1), 1);
    EXPECT_EQ(GetGpPinDirection(0, 2), 0);
    EXPECT_EQ(GetGpPinDirection(0, 3), KELVANE_E_NOT_GPIO);
    for (const Report& request : RequestsOf(*chip)) {
        EXPECT_EQ(request, RequestOf({{0, 0x51}}));
    }
}

TEST_F(GpioTest, WritingOnePinLeavesEveryOtherPinAndDirection) {
    ASSERT_EQ(WriteGpioPinValue(2, 0), 0);
    EXPECT_EQ(Last(0x50), RequestOf({{0, 0x50}, {10, 0x01}, {11, 0x00}}));
    ASSERT_EQ(WriteGpioPinValue(0, 1), 0);
    EXPECT_EQ(Last(0x50), RequestOf({{0, 0x50}, {2, 0x01}, {3, 0x01}}));
    EXPECT_EQ(ReadGpioPinValue(0), 1);
    EXPECT_EQ(ReadGpioPinValue(2), 0);

    ASSERT_EQ(SetGpPinDirection(0, 1, 0), 0);
    EXPECT_EQ(Last(0x50), RequestOf({{0, 0x50}, {8, 0x01}, {9, 0x00}}));
    ASSERT_EQ(WriteGpioPinValue(1, 1), 0);
    EXPECT_EQ(ReadGpioPinValue(1), 1);
    EXPECT_EQ(GetGpPinDirection(0, 1), 0);
    EXPECT_EQ(Flash().gpPins, sim::GpPins{}) << "runtime only";
}

TEST_F(GpioTest, ArgumentsAreCheckedInOrderWithoutAnExchange) {
    EXPECT_EQ(ReadGpioPinValue(4), KELVANE_E_ARGUMENT_1);
    EXPECT_EQ(WriteGpioPinValue(4, 2), KELVANE_E_ARGUMENT_1);
    EXPECT_EQ(WriteGpioPinValue(0, 2), KELVANE_E_ARGUMENT_2);
    EXPECT_EQ(GetGpPinDirection(3, 4), KELVANE_E_ARGUMENT_1);
    EXPECT_EQ(GetGpPinDirection(0, 4), KELVANE_E_ARGUMENT_2);
    EXPECT_EQ(SetGpPinDirection(3, 9, 9), KELVANE_E_ARGUMENT_1);
    EXPECT_EQ(SetGpPinDirection(0, 4, 9), KELVANE_E_ARGUMENT_2);
    EXPECT_EQ(SetGpPinDirection(2, 0, 2), KELVANE_E_ARGUMENT_3);
    EXPECT_TRUE(NothingSent());
}

TEST_F(GpioTest, ChipStatusAndExchangeFailuresComeBack) {
    AddFault(*chip, FaultKind::kStatus, 0x51, 6);
    EXPECT_EQ(ReadGpioPinValue(0), 6);
    AddFault(*chip, FaultKind::kStatus, 0x51, 6);
    EXPECT_EQ(GetGpPinDirection(0, 0), 6);
    AddFault(*chip, FaultKind::kStatus, 0x50, 8);
    EXPECT_EQ(WriteGpioPinValue(0, 1), 8);
    AddFault(*chip, FaultKind::kWriteTimeout, 0x50);
    EXPECT_EQ(SetGpPinDirection(0, 0, 1), KELVANE_E_WRITE_FAILED);
    AddFault(*chip, FaultKind::kWrongEcho, 0x51, 0x50);
    EXPECT_EQ(ReadGpioPinValue(1), KELVANE_E_WRONG_ECHO);
}

// Target 1 reaches the power-up configuration in the flash GP block.
TEST_F(GpioTest, PowerUpDirectionsLiveInTheFlashGpBlock) {
    Flash().gpPins = {{{0, 1, 1}, {0, 0, 0}, {3, 1, 0}, {0, 1, 0}}};
    EXPECT_EQ(GetGpPinDirection(1, 0), 1);
    EXPECT_EQ(GetGpPinDirection(1, 1), 0);
    EXPECT_EQ(GetGpPinDirection(1, 2), KELVANE_E_NOT_GPIO);
    EXPECT_EQ(GetGpPinDirection(2, 0), KELVANE_E_ARGUMENT_1) << "a getter reads one copy";
    EXPECT_EQ(Commands(), (std::vector<int>{0xB0, 0xB0, 0xB0}));

    chip->ClearRequests();
    const sim::GpPins runtimeBefore = Runtime().pins;
    ASSERT_EQ(SetGpPinDirection(1, 0, 0), 0);
    EXPECT_EQ(Commands(), (std::vector<int>{0xB0, 0xB1}));
    EXPECT_EQ(Flash().gpPins, (sim::GpPins{{{0, 0, 1}, {0, 0, 0}, {3, 1, 0}, {0, 1, 0}}}));
    EXPECT_EQ(Runtime().pins, runtimeBefore);

    chip->ClearRequests();
    ASSERT_EQ(SetGpPinDirection(2, 1, 1), 0);
    EXPECT_EQ(Commands(), (std::vector<int>{0x50, 0xB0, 0xB1}));
    EXPECT_EQ(Flash().gpPins[1].direction, 1);
    EXPECT_EQ(Runtime().pins[1].direction, 1);

    chip->ClearRequests();
    AddFault(*chip, FaultKind::kStatus, 0xB0, 2);
    EXPECT_EQ(SetGpPinDirection(1, 3, 0), 2) << "a refused read stops before the write";
    EXPECT_EQ(Commands(), (std::vector<int>{0xB0}));
    AddFault(*chip, FaultKind::kStatus, 0x50, 5);
    EXPECT_EQ(SetGpPinDirection(2, 3, 0), 5);
    EXPECT_EQ(Flash().gpPins[3].direction, 1);
}

}  // namespace
}  // namespace kelvane::testing
