// The chip-settings record: one copy of the chip's settings, read from the
// runtime settings or from flash, changed by an export and written back to
// flash. A plain value; nothing of it is kept between calls. With it, the
// forms its fields take on the wire: the block in the settings reports, the
// pin byte of a GP pin, and the 3-bit selector of a voltage reference.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "core/report.h"

namespace kelvane::config {

// ---- The record -----------------------------------------------------------

inline constexpr std::size_t kGpPinCount = 4;
// The highest pin number of the exports that take one pin (GP3).
inline constexpr unsigned char kLastPin = 3;

// One byte per pin, GP0 to GP3.
using PinArray = std::array<std::uint8_t, kGpPinCount>;

// Flash protection states (two bits in the chip-settings byte).
inline constexpr std::uint8_t kUnprotected = 0;
inline constexpr std::uint8_t kPasswordProtected = 1;
inline constexpr std::uint8_t kPermanentlyLocked = 2;

// Bits of the USB configuration attributes byte.
inline constexpr std::uint8_t kAttributeBusPowered = 0x80;
inline constexpr std::uint8_t kAttributeSelfPowered = 0x40;
inline constexpr std::uint8_t kAttributeRemoteWakeup = 0x20;

struct DeviceSettings {
    std::uint8_t protectionState = 0;       // 0 unprotected, 1 password, 2 locked
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint16_t currentRequirementMa = 0;  // the chip keeps it in 2 mA units
    std::uint8_t usbAttributes = 0;
    std::uint8_t usbcfgInitial = 0;
    std::uint8_t sspndInitial = 0;
    std::uint8_t serialEnumeration = 0;      // 1 = present the serial number
    // Flash copy only: zero when the record comes from the runtime settings.
    std::uint8_t ledUartRxInitial = 0;
    std::uint8_t ledUartTxInitial = 0;
    std::uint8_t ledI2cInitial = 0;
    // Runtime copy only: the flash copy of the GP pins has its own block.
    PinArray gpDesignation{};
    PinArray gpDirection{};                  // 1 = input, 0 = output
    PinArray gpValue{};
    std::uint8_t interruptMode = 0;          // 0 to 3
    std::uint8_t clockDutyCycle = 0;         // code 0 to 3
    std::uint8_t clockDivider = 0;           // code 0 to 7
    std::uint8_t dacReference = 0;           // 3-bit selector
    std::uint8_t dacValue = 0;               // 0 to 31
    std::uint8_t adcReference = 0;           // 3-bit selector
};

// ---- Pin bytes --------------------------------------------------------------
// One GP pin's configuration in one byte, as every pin message and the
// runtime settings carry it: bits 2-0 designation, bit 3 direction, bit 4
// value; bits 7-5 are written as 0 and ignored when read.

// The four pin bytes of GP0 to GP3.
using PinBytes = PinArray;

struct PinConfig {
    std::uint8_t designation = 0;  // 0 = GPIO
    std::uint8_t direction = 0;    // 1 = input, 0 = output
    std::uint8_t value = 0;
};

inline constexpr std::uint8_t kPinDirectionBit = 0x08;
inline constexpr std::uint8_t kPinValueBit = 0x10;

// The arguments are in range (designation 0 to 7, direction and value 0 or 1).
constexpr std::uint8_t EncodePinByte(const PinConfig& pin) {
    return static_cast<std::uint8_t>(pin.designation + 8 * pin.direction + 16 * pin.value);
}

constexpr PinConfig DecodePinByte(std::uint8_t pinByte) {
    return {static_cast<std::uint8_t>(pinByte & 0x07), static_cast<std::uint8_t>((pinByte >> 3) & 1),
            static_cast<std::uint8_t>((pinByte >> 4) & 1)};
}

// ---- Reference selectors ----------------------------------------------------
// The DAC and ADC voltage references: a reference number 0 to 3 at the
// library's interface, a 3-bit selector on the wire.

inline constexpr std::uint8_t kReferenceCount = 4;

// The selector of a reference number 0 to 3: 000, 011, 101, 111.
std::uint8_t EncodeReferenceSelector(std::uint8_t reference);

// The reference number of a selector read from the chip: bit 0 clear gives 0
// whatever bits 1 and 2 hold; 3, 5, 7 give 1, 2, 3; selector 1 has no number
// and gives -9.
int DecodeReferenceSelector(std::uint8_t selector);

// ---- The block in the settings reports --------------------------------------
// The get-runtime and read-flash responses carry it from byte 4, the
// write-flash request two bytes earlier, from byte 2, followed by the 8-byte
// access password.

enum class SettingsSource { kRuntime, kFlash };

inline constexpr std::size_t kSettingsResponseBlock = 4;
inline constexpr std::size_t kSettingsRequestBlock = 2;
inline constexpr std::size_t kSettingsPasswordByte = 12;  // write request, 8 bytes
inline constexpr std::size_t kRuntimePinBytes = 22;       // get-runtime response, GP0 to GP3

// Fills the record from a get-runtime or read-flash response. The LED initial
// values come only from flash, the GP pins only from the runtime settings;
// the fields a source does not carry are left as they are.
void DecodeChipSettings(const Report& response, SettingsSource source, DeviceSettings& settings);

// Lays the record out in a write-flash request from byte 2 (the GP fields are
// not part of the block).
void EncodeChipSettings(const DeviceSettings& settings, Report& request);

}  // namespace kelvane::config
