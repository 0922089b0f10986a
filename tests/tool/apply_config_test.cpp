// Applying a configuration file, on a virtual chip through the library's
// exports as the program binds them: only what differs is written and in
// which order, nothing is written before every check has passed, and a
// setter that fails or a chip that does not keep a value fails the run.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/failure.h"
#include "common/library.h"
#include "config/apply_config.h"
#include "config/chip_config.h"
#include "support/config_fixture.h"

namespace kelvane::tool {
namespace {

using kelvane::testing::RequestsOf;

constexpr int kFlashWrite = 0xB1;

// The exports of the library linked into this test, as the program binds
// them from the loaded file.
Library LinkedLibrary() {
    Library library;
#define KELVANE_TOOL_TEST_BIND(name) library.name = &::name;
    KELVANE_TOOL_ENTRY_POINTS(KELVANE_TOOL_TEST_BIND)
#undef KELVANE_TOOL_TEST_BIND
    return library;
}

// A product-string setter that reports success and writes nothing.
int KELVANE_CALL ForgetfulSetProduct(const KelvaneChar*) {
    return 0;
}

// A manufacturer setter that fails as a chip that is gone does.
int KELVANE_CALL FailingSetManufacturer(const KelvaneChar*) {
    return KELVANE_E_WRITE_FAILED;
}

class ApplyConfigTest : public kelvane::testing::ConfigFixture {
protected:
    std::size_t FlashWrites() const { return RequestsOf(*chip, kFlashWrite).size(); }

    // The product string in flash (ASCII in these tests).
    std::string Product() const {
        const std::u16string& units = chip->Config().flash.product;
        return std::string(units.begin(), units.end());
    }

    static ApplyOptions WithPassword(const char* password) {
        ApplyOptions options;
        options.password = password;
        return options;
    }

    Library library = LinkedLibrary();
};

TEST_F(ApplyConfigTest, WritesOnlyWhatDiffersInItsOrderAndNothingTheSecondTime) {
    const Config file = {
        {"usb.product", std::string("Line 3 bridge")},
        {"usb.remote_wakeup", true},
        {"usb.power", std::string("self")},
        {"usb.manufacturer", std::string("Kelvane")},  // as the chip has it
    };
    const ApplyOutcome outcome = ApplyConfig(library, file, {});
    EXPECT_EQ(outcome.status, ApplyOutcome::Status::kApplied);
    // Wake-up after the power source, which would clear it again.
    EXPECT_EQ(outcome.changed, (std::vector<std::string>{"usb.product", "usb.power", "usb.remote_wakeup"}));
    EXPECT_FALSE(outcome.resetNeeded);
    EXPECT_EQ(Product(), "Line 3 bridge");
    const Config read = ReadChipConfig(library);
    EXPECT_EQ(read.at("usb.power"), ConfigValue(std::string("self")));
    EXPECT_EQ(read.at("usb.remote_wakeup"), ConfigValue(true));

    const std::size_t writes = FlashWrites();
    const ApplyOutcome again = ApplyConfig(library, file, {});
    EXPECT_EQ(again.status, ApplyOutcome::Status::kUnchanged);
    EXPECT_TRUE(again.changed.empty());
    EXPECT_EQ(FlashWrites(), writes);
}

TEST_F(ApplyConfigTest, NewIdentifiersAreWrittenLastAndNeedAReset) {
    const ApplyOutcome outcome = ApplyConfig(
        library, {{"usb.vendor_id", std::int64_t{0x04D8}}, {"usb.serial", std::string("LAB-0001")}}, {});
    EXPECT_EQ(outcome.changed, (std::vector<std::string>{"usb.serial", "usb.vendor_id"}));
    EXPECT_TRUE(outcome.resetNeeded);
    EXPECT_EQ(chip->Config().flash.settings.vendorId, 0x04D8);
}

TEST_F(ApplyConfigTest, NothingIsWrittenUntilEveryCheckHasPassed) {
    // A value no setter takes, after a change that could be made.
    const Config odd = {{"usb.product", std::string("x")}, {"usb.current_ma", std::int64_t{101}}};
    EXPECT_THROW(ApplyConfig(library, odd, {}), UsageError);
    const Config lock = {{"usb.product", std::string("x")}, {"protection.state", std::string("locked")}};
    EXPECT_THROW(ApplyConfig(library, lock, {}), UsageError);
    EXPECT_EQ(FlashWrites(), 0u);

    // A protected chip: without its password, and with a wrong one.
    chip->Config().flash.settings.protection = sim::kPasswordProtected;
    chip->Config().flash.password = {'p', 'a', 's', 's', '1', '2', '3', '4'};
    chip->PowerUp();
    const Config product = {{"usb.product", std::string("x")}};
    EXPECT_THROW(ApplyConfig(library, product, {}), Failure);
    try {
        ApplyConfig(library, product, WithPassword("wrong-pw"));
        ADD_FAILURE() << "a wrong password was taken";
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.What(), "config apply: entering the access password");
    }
    EXPECT_EQ(FlashWrites(), 0u);
    EXPECT_EQ(Product(), "Kelvane USB-I2C bridge");

    // Runtime-only settings need no password.
    EXPECT_EQ(ApplyConfig(library, {{"dac.value", std::int64_t{9}}}, {}).changed,
              (std::vector<std::string>{"dac.value"}));
    EXPECT_EQ(ApplyConfig(library, product, WithPassword("pass1234")).status,
              ApplyOutcome::Status::kApplied);
    EXPECT_EQ(Product(), "x");
}

TEST_F(ApplyConfigTest, ALockedChipIsLeftAlone) {
    chip->Config().flash.settings.protection = sim::kPermanentlyLocked;
    chip->PowerUp();
    const ApplyOutcome outcome = ApplyConfig(library, {{"usb.product", std::string("x")}}, {});
    EXPECT_EQ(outcome.status, ApplyOutcome::Status::kLocked);
    EXPECT_EQ(FlashWrites(), 0u);
}

TEST_F(ApplyConfigTest, ASetterThatFailsOrAValueNotKeptFailsTheRun) {
    library.SetUsbStringManufacturer = &FailingSetManufacturer;
    try {
        ApplyConfig(library, {{"usb.manufacturer", std::string("M")}, {"usb.product", std::string("P")}}, {});
        ADD_FAILURE() << "a failed write was taken";
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.What(), "config apply: writing usb.manufacturer");
        EXPECT_EQ(failure.Code(), KELVANE_E_WRITE_FAILED);
    }
    EXPECT_EQ(Product(), "Kelvane USB-I2C bridge") << "nothing is written after a failure";

    library = LinkedLibrary();
    library.SetUsbStringDescriptor = &ForgetfulSetProduct;
    try {
        ApplyConfig(library, {{"usb.product", std::string("P")}, {"usb.serial", std::string("S1")}}, {});
        ADD_FAILURE() << "a value the chip did not keep was taken";
    } catch (const Failure& failure) {
        EXPECT_EQ(failure.Message(),
                  "config apply: read back: usb.product reads \"Kelvane USB-I2C bridge\", not \"P\"");
    }
}

}  // namespace
}  // namespace kelvane::tool
