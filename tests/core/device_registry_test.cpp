// Discovery, the device table and selection, against a bench of virtual chips.
#include <gtest/gtest.h>

#include <string>

#include "core/device_registry.h"
#include "kelvane.h"
#include "support/sim_fixture.h"

namespace kelvane::testing {
namespace {

using RegistryTest = SimFixture;

std::string SelectedInfo() {
    char buffer[256];
    std::fill(std::begin(buffer), std::end(buffer), 'x');
    EXPECT_EQ(GetSelectedDevInfo(buffer), 0);
    return buffer;
}

// The chip that answers a status command now.
int StatusCommandsSeenBy(const sim::Chip& chip) {
    return static_cast<int>(RequestsOf(chip, 0x10).size());
}

TEST(MatchString, PadsAndLowerCasesBothIdentifiers) {
    EXPECT_EQ(core::BuildMatchString(0x1209, 0x4B56), "vid_1209&pid_4b56");
    EXPECT_EQ(core::BuildMatchString(0x12, 0x3), "vid_0012&pid_0003");
    EXPECT_EQ(core::BuildMatchString(0, 0xFFFF), "vid_0000&pid_ffff");
    EXPECT_EQ(core::BuildMatchString(0xABCD, 0x00EF)->size(), 17u);
}

TEST(MatchString, IdentifiersOutsideSixteenBitsMatchNothing) {
    EXPECT_FALSE(core::BuildMatchString(0x12090, 0x4B56));
    EXPECT_FALSE(core::BuildMatchString(0x1209, -1));
    EXPECT_FALSE(core::BuildMatchString(0x10000, 0));
}

TEST(MatchString, HardwareIdIsCutTo21CharactersAndLowerCased) {
    EXPECT_EQ(core::NormaliseHardwareId("HID\\VID_1209&PID_4B56&REV_0100"), "hid\\vid_1209&pid_4b56");
    EXPECT_EQ(core::NormaliseHardwareId("HID"), "hid");
}

TEST_F(RegistryTest, NothingIsKnownBeforeTheFirstScan) {
    bench.Attach("1");
    bench.Attach("2");
    EXPECT_EQ(GetDevCount(), 0);
    EXPECT_EQ(SelectDev(0), KELVANE_E_SELECT_INDEX);
    EXPECT_EQ(SelectedInfo(), "");
    EXPECT_EQ(platform.EnumerationCount(), 0);

    EXPECT_EQ(GetConnectionStatus(), 1);
    EXPECT_EQ(GetDevCount(), 2);
    EXPECT_EQ(GetSelectedDevNumber(), 0);
    EXPECT_EQ(SelectedInfo(), sim::Bench::PathOf("1"));
}

TEST_F(RegistryTest, SelectDevRejectsIndicesNotBelowTheCount) {
    bench.Attach("1");
    bench.Attach("2");
    ASSERT_EQ(GetConnectionStatus(), 1);
    EXPECT_EQ(SelectDev(2), KELVANE_E_SELECT_INDEX);
    EXPECT_EQ(SelectDev(static_cast<unsigned>(-1)), KELVANE_E_SELECT_INDEX);
    EXPECT_EQ(GetSelectedDevNumber(), 0);
    EXPECT_EQ(SelectDev(1), 0);
    EXPECT_EQ(GetSelectedDevNumber(), 1);
    EXPECT_EQ(SelectedInfo(), sim::Bench::PathOf("2"));
}

TEST_F(RegistryTest, NoMatchingChipLeavesTheLibraryNotConnected) {
    bench.AttachForeign("kbd", "HID\\VID_046D&PID_C31C&REV_6400");
    EXPECT_EQ(GetConnectionStatus(), 0);
    EXPECT_EQ(GetDevCount(), 0);
    EXPECT_EQ(platform.OpenHandleCount(), 0);
}

TEST_F(RegistryTest, IndexFollowsEnumerationOrderAmongMatchingInterfacesOnly) {
    sim::Chip& first = bench.Attach("1");
    bench.AttachForeign("2", "HID\\VID_046D&PID_C31C");
    bench.Attach("3", 0x1209, 0x0001);  // another product of the same vendor
    sim::Chip& second = bench.Attach("4");
    ASSERT_EQ(GetConnectionStatus(), 1);
    EXPECT_EQ(GetDevCount(), 2);
    // Only the selected chip is open, twice; nothing else is.
    EXPECT_EQ(platform.OpenHandleCount(), 2);

    ASSERT_EQ(SelectDev(1), 0);
    ASSERT_EQ(GetConnectionStatus(), 1);
    EXPECT_EQ(GetSclLineValue(), 1);
    EXPECT_EQ(StatusCommandsSeenBy(second), 1);
    EXPECT_EQ(StatusCommandsSeenBy(first), 0);
}

TEST_F(RegistryTest, SelectionMovesWhenAnEarlierChipGoes) {
    bench.Attach("1");
    sim::Chip& middle = bench.Attach("2");
    bench.Attach("3");
    ASSERT_EQ(GetConnectionStatus(), 1);
    ASSERT_EQ(SelectDev(1), 0);
    ASSERT_EQ(GetConnectionStatus(), 1);

    bench.Detach("1");  // the selected chip now sits at index 0
    EXPECT_EQ(GetConnectionStatus(), 0);
    EXPECT_EQ(GetDevCount(), 2);
    // While not connected every transfer scans and fails.
    EXPECT_EQ(GetSclLineValue(), KELVANE_E_WRITE_FAILED);

    ASSERT_EQ(SelectDev(0), 0);
    EXPECT_EQ(GetConnectionStatus(), 1);
    middle.ClearRequests();
    EXPECT_EQ(GetSdaLineValue(), 1);
    EXPECT_EQ(StatusCommandsSeenBy(middle), 1);
}

TEST_F(RegistryTest, SelectionTakesEffectOnlyAtTheNextScan) {
    sim::Chip& first = bench.Attach("1");
    sim::Chip& second = bench.Attach("2");
    ASSERT_EQ(GetConnectionStatus(), 1);
    ASSERT_EQ(SelectDev(1), 0);

    EXPECT_EQ(GetSclLineValue(), 1);
    EXPECT_EQ(StatusCommandsSeenBy(first), 1);
    EXPECT_EQ(StatusCommandsSeenBy(second), 0);

    ASSERT_EQ(GetConnectionStatus(), 1);
    EXPECT_EQ(GetSclLineValue(), 1);
    EXPECT_EQ(StatusCommandsSeenBy(second), 1);
}

TEST_F(RegistryTest, HardwareIdMatchIgnoresCase) {
    bench.AttachForeign("1", "hid\\vid_abcd&pid_00ef");
    bench.AttachForeign("2", "HID\\VID_ABCD&PID_00EF&MI_00");
    bench.AttachForeign("3", "HID\\VID_ABCD&PID_00EE");
    DllInitCustom(0xABCD, 0xEF);
    GetConnectionStatus();
    EXPECT_EQ(GetDevCount(), 2);
}

TEST_F(RegistryTest, IdentifierOnlyBeyondTheMatchedPrefixDoesNotMatch) {
    // The identifiers must sit in the first 21 characters.
    bench.AttachForeign("1", "HID\\XYZ_VID_1209&PID_4B56");
    EXPECT_EQ(GetConnectionStatus(), 0);
    EXPECT_EQ(GetDevCount(), 0);
}

TEST_F(RegistryTest, OutOfRangeIdentifiersFindNoChip) {
    bench.Attach("1");
    DllInitCustom(0x12090, 0x4B56);
    EXPECT_EQ(GetConnectionStatus(), 0);
    EXPECT_EQ(GetDevCount(), 0);
    DllInitCustom(0x1209, -0x4B56);
    EXPECT_EQ(GetConnectionStatus(), 0);
}

TEST_F(RegistryTest, TableHoldsSixtyFourChipsAndIgnoresFurtherInterfaces) {
    for (int i = 0; i < 66; ++i) {
        bench.Attach(std::to_string(i));
    }
    ASSERT_EQ(GetConnectionStatus(), 1);
    EXPECT_EQ(GetDevCount(), 64);
    ASSERT_EQ(SelectDev(63), 0);
    EXPECT_EQ(SelectedInfo(), sim::Bench::PathOf("63"));
    EXPECT_EQ(SelectDev(64), KELVANE_E_SELECT_INDEX);
    ASSERT_EQ(GetConnectionStatus(), 1);
    EXPECT_EQ(GetSclLineValue(), 1);
    // Chips 0 and 63 have been selected, and only they were opened; the
    // 65th and 66th chips never were.
    EXPECT_EQ(platform.OpenHandleCount(), 4);
    EXPECT_EQ(platform.OpenCount(), 4);
}

TEST_F(RegistryTest, UnreadableHardwareIdOrPathEndsTheWalk) {
    bench.Attach("1");
    bench.Attach("2");
    bench.Attach("3");
    bench.FindPort("2")->hardwareIdUnreadable = true;
    EXPECT_EQ(GetConnectionStatus(), 1);
    EXPECT_EQ(GetDevCount(), 1);

    bench.FindPort("2")->hardwareIdUnreadable = false;
    bench.FindPort("3")->pathUnreadable = true;
    EXPECT_EQ(GetConnectionStatus(), 1);
    EXPECT_EQ(GetDevCount(), 2);
    EXPECT_EQ(platform.OpenHandleCount(), 2);
}

TEST_F(RegistryTest, PathsThatArePrefixesOfEachOtherStayTwoDevices) {
    bench.Attach("10");
    bench.Attach("1");
    bench.FindPort("10")->path = "/dev/hidraw10";
    bench.FindPort("1")->path = "/dev/hidraw1";
    ASSERT_EQ(GetConnectionStatus(), 1);
    EXPECT_EQ(GetDevCount(), 2);
    ASSERT_EQ(SelectDev(1), 0);
    EXPECT_EQ(SelectedInfo(), "/dev/hidraw1");
}

TEST_F(RegistryTest, PathListedTwiceInOneScanIsOneDevice) {
    bench.Attach("a");
    bench.Attach("b");
    bench.FindPort("b")->path = sim::Bench::PathOf("a");
    ASSERT_EQ(GetConnectionStatus(), 1);
    EXPECT_EQ(GetDevCount(), 1);
    EXPECT_EQ(platform.OpenHandleCount(), 2);  // opened once, nothing leaked
}

TEST_F(RegistryTest, PathsTooLongForTheSlotAreNotListed) {
    bench.Attach("long");
    bench.Attach("fits");
    bench.FindPort("long")->path = std::string(256, 'p');
    bench.FindPort("fits")->path = std::string(255, 'q');
    ASSERT_EQ(GetConnectionStatus(), 1);
    EXPECT_EQ(GetDevCount(), 1);
    EXPECT_EQ(SelectedInfo(), std::string(255, 'q'));
}

TEST_F(RegistryTest, ScansCloseWhatTheyOpenedOnDevicesThatWent) {
    bench.Attach("1");
    bench.Attach("2");
    ASSERT_EQ(GetConnectionStatus(), 1);
    ASSERT_EQ(SelectDev(1), 0);
    for (int i = 0; i < 5; ++i) {
        ASSERT_EQ(GetConnectionStatus(), 1);
    }
    EXPECT_EQ(platform.OpenHandleCount(), 4);
    bench.Detach("2");
    EXPECT_EQ(GetConnectionStatus(), 0);
    EXPECT_EQ(platform.OpenHandleCount(), 2);
    bench.Detach("1");
    EXPECT_EQ(GetConnectionStatus(), 0);
    EXPECT_EQ(platform.OpenHandleCount(), 0);
}

TEST_F(RegistryTest, RepeatedInitialisationClosesHandlesAndScansAfresh) {
    bench.Attach("1");
    bench.Attach("2");
    ASSERT_EQ(GetConnectionStatus(), 1);
    ASSERT_EQ(SelectDev(1), 0);
    ASSERT_EQ(GetConnectionStatus(), 1);

    DllInit();
    EXPECT_EQ(platform.OpenHandleCount(), 0);
    EXPECT_EQ(GetDevCount(), 0);
    EXPECT_EQ(GetSelectedDevNumber(), 0);
    EXPECT_EQ(SelectedInfo(), "");

    const int scans = platform.EnumerationCount();
    EXPECT_EQ(GetSclLineValue(), 1);  // the transfer scans by itself
    EXPECT_EQ(platform.EnumerationCount(), scans + 1);
    EXPECT_EQ(SelectedInfo(), sim::Bench::PathOf("1"));
}

TEST_F(RegistryTest, ChipReplugedIntoTheSamePortIsFoundAgainWithoutNewSelection) {
    bench.Attach("1");
    ASSERT_EQ(GetConnectionStatus(), 1);
    std::unique_ptr<sim::Chip> chip = bench.Detach("1");
    EXPECT_EQ(GetSclLineValue(), KELVANE_E_WRITE_FAILED);
    EXPECT_EQ(GetConnectionStatus(), 0);
    bench.Attach("1", std::move(chip));
    EXPECT_EQ(GetSclLineValue(), 1);
}

}  // namespace
}  // namespace kelvane::testing
