// Exports of the flash protection: the state, the three changes of it, and
// the access password that the library remembers for every flash settings
// write of the process.
#include "config/settings_exchanges.h"
#include "core/call_lock.h"
#include "core/library_state.h"
#include "kelvane.h"

using namespace kelvane::config;
using kelvane::core::Password;
using kelvane::core::State;

namespace {

// Reads the flash block, refuses a locked one with -13, and writes the block
// back in the new state with the password given (or the remembered one).
// `beforeWrite` runs once the write is certain to be sent.
template <typename BeforeWrite>
int ChangeProtection(std::uint8_t newState, const Password* password, BeforeWrite beforeWrite) {
    DeviceSettings settings;
    const int result = ReadFlashChipSettings(settings);
    if (result != KELVANE_SUCCESS) {
        return result;
    }
    if (settings.protectionState == kPermanentlyLocked) {
        return KELVANE_E_FLASH_LOCKED;
    }
    settings.protectionState = newState;
    beforeWrite();
    return WriteFlashChipSettings(settings, password);
}

}  // namespace

extern "C" {

KELVANE_API int KELVANE_CALL GetFlashProtectionState(void) {
    const kelvane::core::CallLock lock;
    return GetSetting(SettingsSource::kRuntime, [](const DeviceSettings& s) { return s.protectionState; });
}

// A chip that is locked already gets the same write; its answer decides.
KELVANE_API int KELVANE_CALL SetFlashPermanentLock(void) {
    const kelvane::core::CallLock lock;
    return UpdateFlashSettings([](DeviceSettings& s) { s.protectionState = kPermanentlyLocked; });
}

KELVANE_API int KELVANE_CALL SetFlashProtectionOff(void) {
    const kelvane::core::CallLock lock;
    return ChangeProtection(kUnprotected, nullptr, [] {});
}

// A password shorter than 8 characters is refused like EnterAccessPassword
// refuses it: the chip could be protected with it but it could never be
// entered again.
KELVANE_API int KELVANE_CALL SetFlashPasswordProtection(const char* password) {
    const kelvane::core::CallLock lock;
    const std::optional<Password> newPassword = PasswordFromString(password);
    if (!newPassword) {
        return KELVANE_E_ARGUMENT_1;
    }
    return ChangeProtection(kPasswordProtected, &*newPassword,
                            [&] { State().rememberedPassword = *newPassword; });
}

KELVANE_API int KELVANE_CALL EnterAccessPassword(const char* password) {
    const kelvane::core::CallLock lock;
    const std::optional<Password> entered = PasswordFromString(password);
    if (!entered) {
        return KELVANE_E_ARGUMENT_1;
    }
    const int result = SendAccessPassword(*entered);
    if (result == KELVANE_SUCCESS) {
        State().rememberedPassword = *entered;
    }
    return result;
}

}  // extern "C"
