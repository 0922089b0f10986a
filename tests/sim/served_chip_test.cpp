// The virtual chip served as a HID device (sim/uhid/served_chip.h), over a
// link that records what the kernel would see: the device created with the
// chip's identity, one input report per answered request and none for the
// reset request, the device gone during a reset and back with the
// identifiers the chip powered up with, unplug and replug.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "uhid/served_chip.h"

namespace kelvane::testing {
namespace {

using namespace kelvane::sim;

class RecordingLink : public HidLink {
public:
    bool Create(const DeviceIdentity& identity) override {
        created.push_back(identity);
        present = refuse == 0;
        refuse = refuse > 0 ? refuse - 1 : 0;
        return present;
    }
    void Destroy() override {
        ++destroyed;
        present = false;
    }
    bool SendInput(const Report& report) override {
        inputs.push_back(report);
        return present;
    }

    std::vector<DeviceIdentity> created;
    int destroyed = 0;
    std::vector<Report> inputs;
    bool present = false;
    int refuse = 0;  // creations to refuse
};

constexpr std::uint64_t kAbsenceUs = 500000;

// An output report as hidraw hands it over: report number 0, then the
// request bytes.
std::vector<std::uint8_t> Output(std::initializer_list<std::uint8_t> request) {
    std::vector<std::uint8_t> data(65, 0);
    std::copy(request.begin(), request.end(), data.begin() + 1);
    return data;
}

const std::vector<std::uint8_t> kReadSerial = Output({0xB0, 0x04});
const std::vector<std::uint8_t> kReset = Output({0x70, 0xAB, 0xCD, 0xEF});

std::string StringOf(const Report& response) {
    std::string text;
    for (std::size_t i = 0; i + 2 < response[2] && 4 + i < response.size(); i += 2) {
        text.push_back(static_cast<char>(response[4 + i]));
    }
    return text;
}

class ServedChipTest : public ::testing::Test {
protected:
    ServedChipTest() : chip(0x1209, 0x4B56), served(chip, link, "usb-test-1/input0", kAbsenceUs) {
        chip.Config().flash.serialNumber = u"KV000042";
        chip.Config().flash.product = u"Bridge \u00e9";
    }

    Chip chip;
    RecordingLink link;
    ServedChip served;
};

TEST_F(ServedChipTest, AppearsWithTheChipsIdentity) {
    ASSERT_TRUE(served.Plug());
    ASSERT_EQ(link.created.size(), 1u);
    const DeviceIdentity& identity = link.created[0];
    EXPECT_EQ(identity.vendorId, 0x1209);
    EXPECT_EQ(identity.productId, 0x4B56);
    EXPECT_EQ(identity.name, "Kelvane Bridge ?");
    EXPECT_EQ(identity.phys, "usb-test-1/input0");
    EXPECT_EQ(identity.uniq, "KV000042");
    EXPECT_TRUE(served.Present());
    // Plugging a present device changes nothing.
    EXPECT_TRUE(served.Plug());
    EXPECT_EQ(link.created.size(), 1u);
}

TEST_F(ServedChipTest, AnswersEveryRequestWithOneInputReport) {
    served.Plug();
    served.OnOutputReport(kReadSerial, 0);
    served.OnOutputReport(Output({0x10}), 10);
    ASSERT_EQ(link.inputs.size(), 2u);
    EXPECT_EQ(link.inputs[0][0], 0xB0);
    EXPECT_EQ(StringOf(link.inputs[0]), "KV000042");
    EXPECT_EQ(link.inputs[1][0], 0x10);
    EXPECT_EQ(served.Requests(), 2u);
    // A reset request without its key is not acted on and not answered.
    served.OnOutputReport(Output({0x70}), 20);
    EXPECT_EQ(link.inputs.size(), 2u);
    EXPECT_TRUE(served.Present());
    EXPECT_EQ(served.Resets(), 0u);
}

TEST_F(ServedChipTest, TakesTheReportAfterItsNumberWhateverItsLength) {
    served.Plug();
    // Short: the rest of the request is zeros (sub-code 0: the settings).
    served.OnOutputReport(std::vector<std::uint8_t>{0, 0xB0}, 0);
    // Long: cut to 64 bytes after the report number.
    std::vector<std::uint8_t> longReport = kReadSerial;
    longReport.resize(200, 0xEE);
    served.OnOutputReport(longReport, 0);
    // Empty: nothing to do.
    served.OnOutputReport({}, 0);
    ASSERT_EQ(link.inputs.size(), 2u);
    EXPECT_EQ(link.inputs[0][1], 0x00);
    EXPECT_EQ(StringOf(link.inputs[1]), "KV000042");
    EXPECT_EQ(served.Requests(), 2u);
}

TEST_F(ServedChipTest, ResetTakesTheDeviceAwayAndBringsItBackAsItPowersUp) {
    served.Plug();
    // New identifiers in flash take effect at the next power-up.
    chip.Config().flash.settings.vendorId = 0x04D8;
    chip.Config().flash.settings.productId = 0x00DD;
    served.OnOutputReport(kReset, 1000);
    EXPECT_TRUE(link.inputs.empty());
    EXPECT_EQ(link.destroyed, 1);
    EXPECT_FALSE(served.Present());
    EXPECT_EQ(served.Resets(), 1u);
    ASSERT_TRUE(served.ReturnAtUs().has_value());
    EXPECT_EQ(*served.ReturnAtUs(), 1000 + kAbsenceUs);

    // Requests while away reach nothing.
    served.OnOutputReport(kReadSerial, 2000);
    served.Poll(1000 + kAbsenceUs - 1);
    EXPECT_FALSE(served.Present());
    EXPECT_EQ(link.created.size(), 1u);

    served.Poll(1000 + kAbsenceUs);
    EXPECT_TRUE(served.Present());
    ASSERT_EQ(link.created.size(), 2u);
    EXPECT_EQ(link.created[1].vendorId, 0x04D8);
    EXPECT_EQ(link.created[1].productId, 0x00DD);
    EXPECT_FALSE(served.ReturnAtUs().has_value());
    EXPECT_TRUE(link.inputs.empty());
}

TEST_F(ServedChipTest, UnplugAndReplugPowerTheChipUp) {
    served.Plug();
    // A runtime change is lost with the power.
    chip.Config().runtime.settings.dacValue = 17;
    served.Unplug();
    EXPECT_EQ(link.destroyed, 1);
    EXPECT_FALSE(served.Present());
    served.OnOutputReport(kReadSerial, 0);
    EXPECT_TRUE(link.inputs.empty());
    // Unplugging an absent device destroys nothing more.
    served.Unplug();
    EXPECT_EQ(link.destroyed, 1);

    ASSERT_TRUE(served.Plug());
    EXPECT_EQ(link.created.size(), 2u);
    EXPECT_EQ(chip.Config().runtime.settings.dacValue, chip.Config().flash.settings.dacValue);
    served.OnOutputReport(kReadSerial, 0);
    EXPECT_EQ(link.inputs.size(), 1u);
}

TEST_F(ServedChipTest, UnplugDuringAResetKeepsTheDeviceAway) {
    served.Plug();
    served.OnOutputReport(kReset, 0);
    served.Unplug();
    EXPECT_EQ(link.destroyed, 1);
    served.Poll(kAbsenceUs * 10);
    EXPECT_FALSE(served.Present());
    EXPECT_EQ(link.created.size(), 1u);

    // Plugged in before its reset absence ends, it is there at once, and
    // the end of the absence brings no second device.
    ASSERT_TRUE(served.Plug());
    served.OnOutputReport(kReset, 1000);
    ASSERT_TRUE(served.Plug());
    EXPECT_EQ(link.created.size(), 3u);
    served.Poll(1000 + kAbsenceUs);
    EXPECT_EQ(link.created.size(), 3u);
    EXPECT_EQ(link.destroyed, 2);
}

TEST_F(ServedChipTest, ARefusedCreationLeavesTheDeviceUnplugged) {
    link.refuse = 1;
    EXPECT_FALSE(served.Plug());
    EXPECT_FALSE(served.Present());
    served.OnOutputReport(kReadSerial, 0);
    EXPECT_TRUE(link.inputs.empty());
    EXPECT_TRUE(served.Plug());
    EXPECT_TRUE(served.Present());
}

}  // namespace
}  // namespace kelvane::testing
