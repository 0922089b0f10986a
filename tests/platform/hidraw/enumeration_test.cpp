// Enumeration of the hidraw class directory: order of the interfaces and
// the hardware identifiers that the device registry matches against.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "platform/hidraw/fake_hidraw.h"

namespace kelvane::platform {
namespace {

using kelvane::testing::FakeHidraw;

// The registry's view of a hardware identifier: its first 21 characters,
// lower-cased.
std::string MatchView(const std::string& hardwareId) {
    std::string view = hardwareId.substr(0, 21);
    std::transform(view.begin(), view.end(), view.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return view;
}

class HidrawEnumeration : public ::testing::Test {
protected:
    FakeHidraw fake_;
    HidrawPlatform platform_{fake_.ClassDir(), fake_.DevDir(), fake_.Opener()};
};

TEST_F(HidrawEnumeration, ListsNodesByNumberNotByName) {
    fake_.AddHidNode("hidraw10", "0003:00000ACE:000000BF", "usb-port-10/input0");
    fake_.AddHidNode("hidraw2", "0003:00000ACE:000000BF", "usb-port-2/input0");
    fake_.AddHidNode("hidraw1", "0003:00000ACE:000000BF", "usb-port-1/input0");

    const std::vector<HidInterface> interfaces = platform_.EnumerateInterfaces();

    ASSERT_EQ(interfaces.size(), 3U);
    EXPECT_EQ(interfaces[0].path, "usb-port-1/input0");
    EXPECT_EQ(interfaces[1].path, "usb-port-2/input0");
    EXPECT_EQ(interfaces[2].path, "usb-port-10/input0");
}

TEST_F(HidrawEnumeration, HardwareIdCarriesVendorAndProductAsFourUpperCaseDigits) {
    fake_.AddHidNode("hidraw0", "0003:00000ACE:000000BF", "a");
    fake_.AddHidNode("hidraw1", "0003:0000abcd:00001f2e", "b");
    fake_.AddHidNode("hidraw2", "0005:0001ABCD:00000001", "c");  // only the low 16 bits count

    const std::vector<HidInterface> interfaces = platform_.EnumerateInterfaces();

    ASSERT_EQ(interfaces.size(), 3U);
    EXPECT_EQ(interfaces[0].hardwareId, "HID\\VID_0ACE&PID_00BF");
    EXPECT_EQ(interfaces[1].hardwareId, "HID\\VID_ABCD&PID_1F2E");
    EXPECT_EQ(interfaces[2].hardwareId, "HID\\VID_ABCD&PID_0001");
    EXPECT_NE(MatchView(*interfaces[0].hardwareId).find("vid_0ace&pid_00bf"), std::string::npos);
}

TEST_F(HidrawEnumeration, DeviceWithoutUsableIdMatchesNothingAndTheWalkGoesOn) {
    fake_.AddNodeWithoutUevent("hidraw0");
    fake_.AddNode("hidraw1", "HID_ID=0003:vid_0ace:000000BF\nHID_PHYS=x\n");
    fake_.AddNode("hidraw2", "HID_NAME=no id\nHID_PHYS=y\n");
    fake_.AddNode("hidraw3", "HID_ID=0003:00000ACE\n");
    fake_.AddHidNode("hidraw4", "0003:00000ACE:000000BF", "usb-port-1/input0");

    const std::vector<HidInterface> interfaces = platform_.EnumerateInterfaces();

    ASSERT_EQ(interfaces.size(), 5U);
    for (std::size_t i = 0; i < 4; ++i) {
        ASSERT_TRUE(interfaces[i].hardwareId.has_value()) << "interface " << i;
        EXPECT_FALSE(interfaces[i].hardwareId->empty()) << "interface " << i;
        EXPECT_EQ(MatchView(*interfaces[i].hardwareId).find("vid_"), std::string::npos)
            << "interface " << i << ": " << *interfaces[i].hardwareId;
        EXPECT_TRUE(interfaces[i].path.has_value());
    }
    EXPECT_EQ(interfaces[4].hardwareId, "HID\\VID_0ACE&PID_00BF");
}

TEST_F(HidrawEnumeration, UeventThatFailsToReadGivesNoHardwareId) {
    fake_.AddNodeWithUnreadableUevent("hidraw0");
    fake_.AddHidNode("hidraw1", "0003:00000ACE:000000BF", "usb-port-1/input0");

    const std::vector<HidInterface> interfaces = platform_.EnumerateInterfaces();

    ASSERT_EQ(interfaces.size(), 2U);
    EXPECT_FALSE(interfaces[0].hardwareId.has_value());
    EXPECT_EQ(interfaces[1].hardwareId, "HID\\VID_0ACE&PID_00BF");
}

TEST_F(HidrawEnumeration, MissingClassDirectoryListsNothing) {
    HidrawPlatform platform(fake_.ClassDir() + "/absent", fake_.DevDir(), fake_.Opener());
    EXPECT_TRUE(platform.EnumerateInterfaces().empty());
}

}  // namespace
}  // namespace kelvane::platform
