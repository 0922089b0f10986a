// Device paths of hidraw interfaces: named by where they are attached, kept
// apart from one another, and opened through the node that carries them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/hidraw/fake_hidraw.h"

namespace kelvane::platform {
namespace {

using kelvane::testing::FakeHidraw;

constexpr char kChipId[] = "0003:00000ACE:000000BF";

class HidrawPaths : public ::testing::Test {
protected:
    std::vector<std::string> EnumeratePaths() {
        std::vector<std::string> paths;
        for (const HidInterface& interface : platform_.EnumerateInterfaces()) {
            paths.push_back(interface.path.value_or("<none>"));
        }
        return paths;
    }

    // The node that Open(path) reaches, or "" when it opens nothing.
    std::string NodeOpenedFor(const std::string& path) {
        const std::size_t before = fake_.Opens().size();
        const DeviceHandle handle = platform_.Open(path, OpenMode::kRead);
        if (handle == kInvalidHandle) {
            return "";
        }
        platform_.Close(handle);
        return fake_.Opens().size() > before ? fake_.Opens().back().nodePath : "<not recorded>";
    }

    FakeHidraw fake_;
    HidrawPlatform platform_{fake_.ClassDir(), fake_.DevDir(), fake_.Opener()};
};

// No two paths of one enumeration may be equal: the registry folds equal
// paths into one entry.
void ExpectAllDistinct(const std::vector<std::string>& paths) {
    for (std::size_t a = 0; a < paths.size(); ++a) {
        for (std::size_t b = a + 1; b < paths.size(); ++b) {
            EXPECT_NE(paths[a], paths[b]);
        }
    }
}

TEST_F(HidrawPaths, NamedByPhysElseByNode) {
    fake_.AddHidNode("hidraw0", kChipId, "usb-0000:00:14.0-2/input0");
    fake_.AddHidNode("hidraw1", kChipId, "");
    fake_.AddNode("hidraw10", std::string("HID_ID=") + kChipId + "\n");

    const std::vector<std::string> paths = EnumeratePaths();

    ASSERT_EQ(paths.size(), 3U);
    EXPECT_EQ(paths[0], "usb-0000:00:14.0-2/input0");
    EXPECT_EQ(paths[1], fake_.NodePath("hidraw1"));
    EXPECT_EQ(paths[2], fake_.NodePath("hidraw10"));
    // hidraw1 is a prefix of hidraw10: each path still opens its own node.
    EXPECT_EQ(NodeOpenedFor(paths[0]), fake_.NodePath("hidraw0"));
    EXPECT_EQ(NodeOpenedFor(paths[1]), fake_.NodePath("hidraw1"));
    EXPECT_EQ(NodeOpenedFor(paths[2]), fake_.NodePath("hidraw10"));
}

TEST_F(HidrawPaths, SharedOrNestedPhysGivesPathsThatStayApart) {
    // Two interfaces behind one HID_PHYS, on nodes whose names are prefixes
    // of each other, and interface numbers 1 and 10 of one device.
    fake_.AddHidNode("hidraw1", kChipId, "usb-0000:00:14.0-3/input0");
    fake_.AddHidNode("hidraw10", kChipId, "usb-0000:00:14.0-3/input0");
    fake_.AddHidNode("hidraw11", kChipId, "usb-0000:00:14.0-4/input10");
    fake_.AddHidNode("hidraw12", kChipId, "usb-0000:00:14.0-4/input1");
    fake_.AddHidNode("hidraw13", kChipId, "usb-0000:00:14.0-5/input0");

    const std::vector<std::string> paths = EnumeratePaths();

    ASSERT_EQ(paths.size(), 5U);
    ExpectAllDistinct(paths);
    // Only a shared HID_PHYS needs the node name; nested ones stay stable.
    EXPECT_EQ(paths[2], "usb-0000:00:14.0-4/input10");
    EXPECT_EQ(paths[3], "usb-0000:00:14.0-4/input1");
    EXPECT_EQ(paths[4], "usb-0000:00:14.0-5/input0");
    EXPECT_EQ(NodeOpenedFor(paths[0]), fake_.NodePath("hidraw1"));
    EXPECT_EQ(NodeOpenedFor(paths[1]), fake_.NodePath("hidraw10"));
    EXPECT_EQ(NodeOpenedFor(paths[2]), fake_.NodePath("hidraw11"));
    EXPECT_EQ(NodeOpenedFor(paths[3]), fake_.NodePath("hidraw12"));
}

TEST_F(HidrawPaths, ReconnectedChipKeepsItsPathAndOpensItsNewNode) {
    fake_.AddHidNode("hidraw2", "0003:0000046D:0000C52B", "usb-0000:00:14.0-1/input0");
    fake_.AddHidNode("hidraw3", kChipId, "usb-0000:00:14.0-2/input0");
    const std::vector<std::string> before = EnumeratePaths();
    ASSERT_EQ(before.size(), 2U);

    // The chip resets while its old node is still held open: the old node
    // goes, the chip comes back in the same port under a new number.
    fake_.RemoveNode("hidraw3");
    fake_.AddHidNode("hidraw4", kChipId, "usb-0000:00:14.0-2/input0");
    const std::vector<std::string> after = EnumeratePaths();

    EXPECT_EQ(after, before);
    EXPECT_EQ(NodeOpenedFor(before[1]), fake_.NodePath("hidraw4"));
}

TEST_F(HidrawPaths, OpenRefusesWhatTheLastEnumerationDidNotList) {
    fake_.AddHidNode("hidraw0", kChipId, "usb-0000:00:14.0-2/input0");
    fake_.AddHidNode("hidraw1", kChipId, "usb-0000:00:14.0-3/input0");
    const std::vector<std::string> first = EnumeratePaths();
    ASSERT_EQ(first.size(), 2U);

    fake_.RemoveNode("hidraw1");
    EnumeratePaths();

    EXPECT_EQ(platform_.Open(first[1], OpenMode::kWrite), kInvalidHandle);
    EXPECT_EQ(platform_.Open("usb-0000:00:14.0-2", OpenMode::kWrite), kInvalidHandle);
    EXPECT_EQ(platform_.Open("", OpenMode::kWrite), kInvalidHandle);
    EXPECT_TRUE(fake_.Opens().empty());

    fake_.FailOpens();
    EXPECT_EQ(platform_.Open(first[0], OpenMode::kWrite), kInvalidHandle);
}

}  // namespace
}  // namespace kelvane::platform
