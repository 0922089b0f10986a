// The exchanges that carry the chip's settings, and the two ways the exports
// use them. Every exchange is one request and one response on the report
// channel:
//  - the chip-settings block: get runtime settings (0x61), read flash chip
//    settings (0xB0, sub-code 0) and write flash chip settings (0xB1,
//    sub-code 0);
//  - the set-runtime-settings request (0x60), one group at a time;
//  - the flash copy of the GP pin configuration (0xB0 and 0xB1, sub-code 1);
//  - the GPIO values and directions (0x51 and 0x50), runtime only;
//  - the access password (0xB2).
// A getter reads one copy and picks a field; a flash setter reads the flash
// block, changes some fields and writes the whole block back with the
// remembered password; a setter's target says which copies it changes.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "config/settings_record.h"
#include "core/library_state.h"
#include "kelvane.h"

namespace kelvane::config {

// ---- The chip-settings block ------------------------------------------------

inline constexpr std::uint8_t kGetRuntimeSettings = 0x61;
inline constexpr std::uint8_t kReadFlash = 0xB0;
inline constexpr std::uint8_t kWriteFlash = 0xB1;
inline constexpr std::uint8_t kFlashChipSettings = 0x00;  // sub-code in byte 1

// The readers fill the record whenever the echo is right, and return the
// chip's status byte (0 to 255) whatever it is; -4, -5 or -6 when the
// exchange failed, with the record untouched.
int ReadRuntimeSettings(DeviceSettings& settings);
int ReadFlashChipSettings(DeviceSettings& settings);

// Writes the block with the password handed in, or with the remembered
// access password when none is. 0, -4, -5, -6, or the chip's status byte.
int WriteFlashChipSettings(const DeviceSettings& settings, const core::Password* password = nullptr);

// ---- Set runtime settings (0x60) --------------------------------------------
// One group per request, marked by its apply bit, so that the chip changes
// that group alone.

inline constexpr std::uint8_t kSetRuntimeSettings = 0x60;
inline constexpr std::uint8_t kApplyGroup = 0x80;

// The groups and the request byte each one occupies.
enum class RuntimeGroup : std::uint8_t {
    kClockOutput = 2,    // 4-3 duty cycle, 2-0 divider
    kDacReference = 3,   // 2-0 selector
    kDacValue = 4,       // 4-0 value
    kAdcReference = 5,   // 2-0 selector
    kInterrupt = 6,      // edge bits of the mode; bit 0 clears the pin state
};

// Sends one group with its apply bit set; every other group byte is 0.
// 0, -4, -5, -6, or the chip's status byte.
int SetRuntimeSettings(RuntimeGroup group, std::uint8_t fields);

// Sends the GP designation group: the apply byte 7 and the four pin bytes in
// bytes 8 to 11. Results as SetRuntimeSettings.
int SetRuntimeGpPins(const PinBytes& pins);

// The interrupt pin's modes as the interrupt byte of the request carries
// them: bit 7 apply; bits 4 and 2 in every mode; bit 3 for modes 1 and 3;
// bit 1 for modes 2 and 3; bit 0 alone clears the pin state.
inline constexpr std::uint8_t kFirstSettableInterruptMode = 1;
inline constexpr std::uint8_t kLastInterruptMode = 3;

inline constexpr std::array<std::uint8_t, 3> kInterruptModeBytes = {0x9C, 0x96, 0x9E};  // modes 1 to 3
inline constexpr std::uint8_t kClearInterruptByte = 0x81;

// The interrupt byte of mode 1, 2 or 3 (mode 0 cannot be set).
constexpr std::uint8_t InterruptModeByte(std::uint8_t mode) {
    return kInterruptModeBytes[(mode - kFirstSettableInterruptMode) % kInterruptModeBytes.size()];
}

// ---- The flash GP block -----------------------------------------------------
// The flash copy of the GP pin configuration: its own block, read with 0xB0
// and written with 0xB1, sub-code 1, as four pin bytes. It carries no
// password.

inline constexpr std::uint8_t kFlashGpSettings = 0x01;  // sub-code in byte 1

// Fills the four pin bytes whenever the echo is right and returns the chip's
// status byte, whatever it is; -4, -5 or -6 with the pins untouched.
int ReadFlashGpSettings(PinBytes& pins);

// Replaces the whole block. 0, -4, -5, -6, or the chip's status byte.
int WriteFlashGpSettings(const PinBytes& pins);

// ---- GPIO (0x51, 0x50) ------------------------------------------------------
// 0x51 reads the value and direction of all four pins, 0x50 changes the
// output value and direction of any chosen pins. Both act on the runtime
// state only.

inline constexpr std::uint8_t kSetGpioValues = 0x50;
inline constexpr std::uint8_t kGetGpioValues = 0x51;

// Markers in a 0x51 response for a pin that is not working as a GPIO.
inline constexpr std::uint8_t kNotGpioValue = 0xEE;
inline constexpr std::uint8_t kNotGpioDirection = 0xEF;

// Copies the direction and value bytes into the arrays given (either may be
// null) whenever the echo is right. 0, -4, -5, -6, or the status byte.
int GetGpioValues(PinArray* directions, PinArray* values);

// What to change: a pin's value or direction changes only when its flag is
// 1; the value and direction bytes go out as given.
struct GpioChange {
    PinArray directions{};
    PinArray values{};
    PinArray changeDirection{};
    PinArray changeValue{};
};

// 0, -4, -5, -6, or the status byte.
int SetGpioValues(const GpioChange& change);

// ---- The access password (0xB2) ---------------------------------------------
// 8 bytes taken from the caller's string, presented to the chip with the
// send-access-password command.

inline constexpr std::uint8_t kSendAccessPassword = 0xB2;

// The first 8 bytes of a terminated string, or nothing when the string is
// null or shorter than 8 characters. The string is read no further than its
// terminator or its eighth byte.
std::optional<core::Password> PasswordFromString(const char* text);

// Presents the password. 0 = accepted; -14 = rejected (status 3); -4, -5,
// -6; or any other status byte of the chip.
int SendAccessPassword(const core::Password& password);

// ---- Targets ----------------------------------------------------------------
// The first argument of the exports that can address either copy of a
// setting: 0 = runtime settings, 1 = flash (power-up) settings, and for
// setters 2 = both, runtime first.

inline constexpr int kTargetRuntime = 0;
inline constexpr int kTargetFlash = 1;
inline constexpr int kTargetBoth = 2;

constexpr bool IsGetterTarget(int target) {
    return target == kTargetRuntime || target == kTargetFlash;
}

constexpr bool IsSetterTarget(int target) {
    return IsGetterTarget(target) || target == kTargetBoth;
}

constexpr bool ReachesRuntime(int target) {
    return target == kTargetRuntime || target == kTargetBoth;
}

constexpr bool ReachesFlash(int target) {
    return target == kTargetFlash || target == kTargetBoth;
}

// Runs a setter's steps for a target: the runtime step first, then the
// flash step. A non-zero result stops there and is returned, so a refused
// runtime change leaves the flash untouched.
template <typename RuntimeStep, typename FlashStep>
int ApplyToTarget(int target, RuntimeStep runtimeStep, FlashStep flashStep) {
    if (ReachesRuntime(target)) {
        if (const int result = runtimeStep(); result != 0) {
            return result;
        }
    }
    if (ReachesFlash(target)) {
        if (const int result = flashStep(); result != 0) {
            return result;
        }
    }
    return 0;
}

// ---- Getters and flash setters ----------------------------------------------

// The copy a getter's target reads: 0 the runtime settings, 1 flash.
constexpr SettingsSource SourceOf(int getterTarget) {
    return getterTarget == kTargetFlash ? SettingsSource::kFlash : SettingsSource::kRuntime;
}

// Reads one copy of the settings; the reader's result.
inline int ReadSettings(SettingsSource source, DeviceSettings& settings) {
    return source == SettingsSource::kFlash ? ReadFlashChipSettings(settings) : ReadRuntimeSettings(settings);
}

// The getter rule: the reader's result when it is not 0 (a failure or the
// chip's status byte), else the field that `pick` takes from the record.
template <typename Result = int, typename Pick>
Result GetSetting(SettingsSource source, Pick pick) {
    DeviceSettings settings;
    const int result = ReadSettings(source, settings);
    if (result != KELVANE_SUCCESS) {
        return result;
    }
    return static_cast<Result>(pick(settings));
}

// Read-modify-write of the flash chip settings: `edit` changes the record
// read a moment before, every other field goes back as read. A failed or
// refused read stops before anything is written.
template <typename Edit>
int UpdateFlashSettings(Edit edit) {
    DeviceSettings settings;
    const int result = ReadFlashChipSettings(settings);
    if (result != KELVANE_SUCCESS) {
        return result;
    }
    edit(settings);
    return WriteFlashChipSettings(settings);
}

}  // namespace kelvane::config
