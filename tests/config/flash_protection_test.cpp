// Flash protection and the access password: the remembered password in
// every flash chip-settings write, the protection changes, and what a
// protected or locked chip refuses.
#include <gtest/gtest.h>

#include <algorithm>

#include "kelvane.h"
#include "support/chip_strings.h"
#include "support/config_fixture.h"

namespace kelvane::testing {
namespace {

using sim::FaultKind;

sim::FlashPassword PasswordOf(const char (&text)[9]) {
    sim::FlashPassword password{};
    std::copy_n(text, 8, password.begin());
    return password;
}

// Bytes 12 to 19 of a chip-settings write.
sim::FlashPassword PasswordSent(const Report& write) {
    return sim::PasswordOfSettingsWrite(write);
}

class ProtectionTest : public ConfigFixture {
protected:
    // A chip whose flash is protected and that has been powered up since.
    void Protect(sim::Chip& target, std::uint8_t state, const char (&password)[9]) {
        target.Config().flash.settings.protection = state;
        target.Config().flash.password = PasswordOf(password);
        target.PowerUp();
    }
};

TEST_F(ProtectionTest, AnAcceptedPasswordIsRememberedForEveryLaterWrite) {
    EXPECT_EQ(EnterAccessPassword("abcdefg"), KELVANE_E_ARGUMENT_1);
    EXPECT_EQ(EnterAccessPassword(nullptr), KELVANE_E_ARGUMENT_1);
    EXPECT_TRUE(NothingSent());

    ASSERT_EQ(SetUsbVidPid(1, 2), 0);
    EXPECT_EQ(PasswordSent(Last(0xB1)), sim::FlashPassword{});

    ASSERT_EQ(EnterAccessPassword("secret12-and-more"), 0);
    EXPECT_EQ(Last(0xB2), RequestOf({{0, 0xB2}, {2, 's'}, {3, 'e'}, {4, 'c'}, {5, 'r'}, {6, 'e'}, {7, 't'},
                                     {8, '1'}, {9, '2'}}));
    ASSERT_EQ(SetUsbVidPid(3, 4), 0);
    EXPECT_EQ(PasswordSent(Last(0xB1)), PasswordOf("secret12"));
}

TEST_F(ProtectionTest, ARejectedPasswordLeavesTheRememberedOne) {
    Protect(*chip, sim::kPasswordProtected, "right-pw");
    ASSERT_EQ(EnterAccessPassword("right-pw"), 0);
    EXPECT_EQ(EnterAccessPassword("wrong-pw"), KELVANE_E_PASSWORD_REJECTED);
    AddFault(*chip, FaultKind::kStatus, 0xB2, 5);
    EXPECT_EQ(EnterAccessPassword("other-pw"), 5);
    ASSERT_EQ(SetUsbCurrentRequirement(200), 0);
    EXPECT_EQ(PasswordSent(Last(0xB1)), PasswordOf("right-pw"));
}

TEST_F(ProtectionTest, AProtectedChipTakesWritesOnlyWithItsPassword) {
    Protect(*chip, sim::kPasswordProtected, "pass1234");
    EXPECT_EQ(GetFlashProtectionState(), 1);
    EXPECT_EQ(SetUsbVidPid(0x1111, 0x2222), 3);
    EXPECT_EQ(SetSerialNumber(ChipText(u"X")), 3);
    const unsigned char pins[4] = {};
    EXPECT_EQ(SetGpPinConfiguration(1, pins, pins, pins), 3);
    EXPECT_EQ(Flash().settings.vendorId, sim::kDefaultVendorId);

    ASSERT_EQ(EnterAccessPassword("pass1234"), 0);
    EXPECT_EQ(SetUsbVidPid(0x1111, 0x2222), 0);
    EXPECT_EQ(SetSerialNumber(ChipText(u"X")), 0);
    EXPECT_EQ(SetGpPinConfiguration(1, pins, pins, pins), 0);
    EXPECT_EQ(Flash().settings.vendorId, 0x1111);
    EXPECT_EQ(Flash().settings.protection, sim::kPasswordProtected) << "written back as read";
}

TEST_F(ProtectionTest, PasswordProtectionSendsAndRemembersTheNewPassword) {
    char shortPassword[4] = {'a', 'b', 'c', '\0'};  // nothing may be read past it
    EXPECT_EQ(SetFlashPasswordProtection(shortPassword), KELVANE_E_ARGUMENT_1);
    EXPECT_EQ(SetFlashPasswordProtection(nullptr), KELVANE_E_ARGUMENT_1);
    EXPECT_TRUE(NothingSent());

    ASSERT_EQ(SetFlashPasswordProtection("newpass1"), 0);
    EXPECT_EQ(Commands(), (std::vector<int>{0xB0, 0xB1}));
    EXPECT_EQ(Last(0xB1)[2] & 0x03, 1);
    EXPECT_EQ(PasswordSent(Last(0xB1)), PasswordOf("newpass1"));
    EXPECT_EQ(Flash().settings.protection, sim::kPasswordProtected);
    EXPECT_EQ(GetFlashProtectionState(), 0) << "the chip works unprotected until it powers up";

    ASSERT_EQ(ResetDevice(), 0);
    ASSERT_EQ(GetConnectionStatus(), 1);
    EXPECT_EQ(GetFlashProtectionState(), 1);
    EXPECT_EQ(SetUsbPowerSource(1), 0) << "the remembered password opens the chip";

    ASSERT_EQ(SetFlashProtectionOff(), 0);
    EXPECT_EQ(Last(0xB1)[2] & 0x03, 0);
    EXPECT_EQ(PasswordSent(Last(0xB1)), PasswordOf("newpass1")) << "never cleared";
    EXPECT_EQ(Flash().settings.protection, sim::kUnprotected);
}

TEST_F(ProtectionTest, AFailedProtectionWriteStillLeavesTheNewPasswordRemembered) {
    AddFault(*chip, FaultKind::kNoAnswer, 0xB1);
    EXPECT_EQ(SetFlashPasswordProtection("lost-pw!"), KELVANE_E_READ_FAILED);
    ASSERT_EQ(SetUsbVidPid(5, 6), 0);
    EXPECT_EQ(PasswordSent(Last(0xB1)), PasswordOf("lost-pw!"));
}

TEST_F(ProtectionTest, ALockedChipRefusesEveryChangeOfItsFlash) {
    ASSERT_EQ(EnterAccessPassword("keep-me!"), 0);
    Flash().settings.protection = sim::kPermanentlyLocked;  // not yet enforced: the chip has not powered up
    chip->ClearRequests();
    EXPECT_EQ(SetFlashProtectionOff(), KELVANE_E_FLASH_LOCKED);
    EXPECT_EQ(SetFlashPasswordProtection("another1"), KELVANE_E_FLASH_LOCKED);
    EXPECT_EQ(Commands(), (std::vector<int>{0xB0, 0xB0}));
    ASSERT_EQ(SetUsbVidPid(7, 8), 0);
    EXPECT_EQ(PasswordSent(Last(0xB1)), PasswordOf("keep-me!"));

    chip->PowerUp();
    chip->ClearRequests();
    EXPECT_EQ(SetFlashPermanentLock(), 4) << "the same write again; the chip's answer decides";
    EXPECT_EQ(Commands(), (std::vector<int>{0xB0, 0xB1}));
    ASSERT_EQ(EnterAccessPassword("keep-me!"), 0) << "the right password opens nothing on a locked chip";
    EXPECT_EQ(SetUsbVidPid(9, 9), 4);
    EXPECT_EQ(SetUsbStringManufacturer(ChipText(u"M")), 4);
    const unsigned char pins[4] = {};
    EXPECT_EQ(SetGpPinConfiguration(1, pins, pins, pins), 4);
    EXPECT_EQ(SetGpPinConfiguration(0, pins, pins, pins), 0) << "runtime settings stay open";
    EXPECT_EQ(Flash().settings.vendorId, 7);
}

TEST_F(ProtectionTest, LockingWritesStateTwoWithTheRememberedPassword) {
    ASSERT_EQ(SetFlashPermanentLock(), 0);
    EXPECT_EQ(Last(0xB1)[2] & 0x03, 2);
    EXPECT_EQ(Flash().settings.protection, sim::kPermanentlyLocked);
    Runtime().settings.protection = 3;
    EXPECT_EQ(GetFlashProtectionState(), 3);
}

TEST_F(ProtectionTest, OnePasswordServesTheWholeProcessAcrossChips) {
    sim::Chip& second = bench.Attach("2");
    Protect(*chip, sim::kPasswordProtected, "shared!!");
    Protect(second, sim::kPasswordProtected, "shared!!");
    ASSERT_EQ(GetConnectionStatus(), 1);
    ASSERT_EQ(EnterAccessPassword("shared!!"), 0);

    ASSERT_EQ(SelectDev(1), 0);
    ASSERT_EQ(GetConnectionStatus(), 1);
    ASSERT_EQ(SetUsbVidPid(0x0ABC, 0x0DEF), 0);
    EXPECT_TRUE(RequestsOf(second, 0xB2).empty());
    EXPECT_EQ(PasswordSent(RequestsOf(second, 0xB1).back()), PasswordOf("shared!!"));
    EXPECT_EQ(second.Config().flash.settings.vendorId, 0x0ABC);
    EXPECT_EQ(Flash().settings.vendorId, sim::kDefaultVendorId);
}

TEST_F(ProtectionTest, ExchangeFailuresOfTheProtectionExports) {
    AddFault(*chip, FaultKind::kWriteTimeout, 0xB2);
    EXPECT_EQ(EnterAccessPassword("12345678"), KELVANE_E_WRITE_FAILED);
    AddFault(*chip, FaultKind::kWrongEcho, 0xB0, 0xB2);
    EXPECT_EQ(SetFlashProtectionOff(), KELVANE_E_WRONG_ECHO);
    AddFault(*chip, FaultKind::kStatus, 0x61, 2);
    EXPECT_EQ(GetFlashProtectionState(), 2);
    AddFault(*chip, FaultKind::kStatus, 0xB0, 6);
    EXPECT_EQ(SetFlashPermanentLock(), 6);
    EXPECT_EQ(Flash().settings.protection, sim::kUnprotected);
}

}  // namespace
}  // namespace kelvane::testing
