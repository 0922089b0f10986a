// Who a hidraw interface is and where it sits: the identifiers come from the
// kernel's name of the HID device, the place from a uevent of the kernel's
// shape only, so that no device can pass for a chip or take a chip's place
// through its own strings.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/hidraw/fake_hidraw.h"
#include "platform/hidraw/identity.h"

namespace kelvane::platform {
namespace {

using kelvane::testing::FakeHidraw;

constexpr char kChipHardwareId[] = "HID\\VID_1209&PID_4B56";
constexpr char kKeyboardHardwareId[] = "HID\\VID_046D&PID_C52B";
constexpr char kChipPhys[] = "usb-0000:00:14.0-2/input0";
constexpr char kKeyboardPhys[] = "usb-0000:00:14.0-1/input0";

// A uevent as the kernel writes it, with the device's strings as given.
std::string Uevent(const std::string& hidId, const std::string& name, const std::string& phys,
                   const std::string& uniq) {
    return "DRIVER=hid-generic\nHID_ID=" + hidId + "\nHID_NAME=" + name + "\nHID_PHYS=" + phys +
           "\nHID_UNIQ=" + uniq + "\nMODALIAS=hid:b0003g0001v00001209p00004B56\n";
}

class HidrawIdentity : public ::testing::Test {
protected:
    const HidInterface& Only() {
        interfaces_ = platform_.EnumerateInterfaces();
        EXPECT_EQ(interfaces_.size(), 1U);
        return interfaces_.at(0);
    }

    FakeHidraw fake_;
    HidrawPlatform platform_{fake_.ClassDir(), fake_.DevDir(), fake_.Opener()};
    std::vector<HidInterface> interfaces_;
};

TEST_F(HidrawIdentity, StringsThatForgeIdAndPlaceGiveNeitherAway) {
    // A keyboard whose product string carries a chip's HID_ID line and whose
    // serial-number string carries the chip's HID_PHYS line.
    fake_.AddNodeOfDevice("hidraw0", "0003:046D:C52B.0001",
                          Uevent("0003:0000046D:0000C52B", "Keys\nHID_ID=0003:00001209:00004B56", kKeyboardPhys,
                                 std::string("\nHID_PHYS=") + kChipPhys));
    const HidInterface& keyboard = Only();
    EXPECT_EQ(keyboard.hardwareId, kKeyboardHardwareId);
    EXPECT_EQ(keyboard.path, fake_.NodePath("hidraw0"));
}

TEST_F(HidrawIdentity, ChipWithRepeatedKeysIsStillAChipNamedByItsNode) {
    // The chip's own strings can be set to anything, lines included.
    const std::vector<std::string> uevents = {
        Uevent("0003:00001209:00004B56", "Bridge\nHID_PHYS=elsewhere", kChipPhys, "KV1"),
        Uevent("0003:00001209:00004B56", "Bridge", kChipPhys, "KV1\nHID_PHYS=elsewhere"),
        Uevent("0003:00001209:00004B56", "Bridge\nHID_ID=0003:0000046D:0000C52B", kChipPhys, "KV1"),
    };
    for (std::size_t i = 0; i < uevents.size(); ++i) {
        FakeHidraw fake;
        HidrawPlatform platform(fake.ClassDir(), fake.DevDir(), fake.Opener());
        fake.AddNodeOfDevice("hidraw5", "0003:1209:4B56.0009", uevents[i]);
        const std::vector<HidInterface> interfaces = platform.EnumerateInterfaces();
        ASSERT_EQ(interfaces.size(), 1U);
        EXPECT_EQ(interfaces[0].hardwareId, kChipHardwareId) << "uevent " << i;
        EXPECT_EQ(interfaces[0].path, fake.NodePath("hidraw5")) << "uevent " << i;
    }
}

TEST_F(HidrawIdentity, NameAndHidIdThatDisagreeMatchNoChip) {
    fake_.AddNodeOfDevice("hidraw0", "0003:046D:C52B.0001",
                          Uevent("0003:00001209:00004B56", "Keys", kKeyboardPhys, ""));
    fake_.AddNodeOfDevice("hidraw1", "0003:1209:4B56.0002",
                          Uevent("0003:0000046D:0000C52B", "Bridge", kChipPhys, ""));
    fake_.AddNodeOfDevice("hidraw2", "0005:1209:4B56.0003",  // another bus
                          Uevent("0003:00001209:00004B56", "Bridge", "usb-3/input0", ""));
    fake_.AddNodeOfDevice("hidraw3", "0003:1209:4B56.0004",  // HID_ID not readable
                          Uevent("0003:00001209:00004BZZ", "Bridge", "usb-4/input0", ""));
    const std::vector<HidInterface> interfaces = platform_.EnumerateInterfaces();
    ASSERT_EQ(interfaces.size(), 4U);
    for (const HidInterface& interface : interfaces) {
        ASSERT_TRUE(interface.hardwareId.has_value());
        EXPECT_EQ(interface.hardwareId->find("VID_"), std::string::npos) << *interface.hardwareId;
    }
}

TEST_F(HidrawIdentity, OnlyTheKernelsFormOfTheDeviceNameIdentifies) {
    const std::string uevent = Uevent("0003:00001209:00004B56", "Bridge", kChipPhys, "");
    fake_.AddNodeOfDevice("hidraw0", "0003:1209:4B56", uevent);        // no instance
    fake_.AddNodeOfDevice("hidraw1", "0003:1209:4B56.0001x", uevent);  // trailing text
    fake_.AddNodeOfDevice("hidraw2", "03:1209:4B56.0001", uevent);     // short field
    fake_.AddNodeOfDevice("hidraw3", "0003:1209:4B56.12345678", uevent);
    const std::vector<HidInterface> interfaces = platform_.EnumerateInterfaces();
    ASSERT_EQ(interfaces.size(), 4U);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(interfaces[i].hardwareId->find("VID_"), std::string::npos) << "interface " << i;
    }
    EXPECT_EQ(interfaces[3].hardwareId, kChipHardwareId);

    const auto name = hidraw::ParseHidDeviceName("0018:04F3:3104.00A1");
    ASSERT_TRUE(name.has_value());
    EXPECT_EQ(name->bus, 0x18U);
    EXPECT_EQ(name->vendor, 0x04F3U);
    EXPECT_EQ(name->product, 0x3104U);
    EXPECT_EQ(name->instance, 0xA1U);
    EXPECT_FALSE(hidraw::ParseHidDeviceName("0003:123456789:4B56.0001").has_value());
    EXPECT_FALSE(hidraw::ParseHidDeviceName("0003:1209:4B56.").has_value());
    EXPECT_FALSE(hidraw::ParseHidDeviceName("").has_value());
}

}  // namespace
}  // namespace kelvane::platform
