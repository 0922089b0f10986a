// The virtual chip's non-volatile memory: the chip-settings block with its
// protection state and 8-byte password, the power-up GP pin block, and four
// strings (manufacturer, product, serial number, factory serial number).
// Read with command 0xB0 and written with 0xB1; byte 1 is the sub-code.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "chip/chip_settings.h"
#include "chip/gp_pin.h"
#include "core/report.h"

namespace kelvane::sim {

inline constexpr std::uint8_t kFlashChipSettings = 0x00;
inline constexpr std::uint8_t kFlashGpSettings = 0x01;
inline constexpr std::uint8_t kFlashManufacturer = 0x02;
inline constexpr std::uint8_t kFlashProduct = 0x03;
inline constexpr std::uint8_t kFlashSerialNumber = 0x04;
inline constexpr std::uint8_t kFlashFactorySerial = 0x05;

using FlashPassword = std::array<std::uint8_t, 8>;

struct FlashStore {
    ChipSettings settings;
    FlashPassword password{};
    GpPins gpPins{};
    std::u16string manufacturer = u"Kelvane";
    std::u16string product = u"Kelvane USB-I2C bridge";
    std::u16string serialNumber;  // at most 30 characters
    std::string factorySerial;    // at most 60 one-byte characters

    // Factory contents of a chip with these identifiers; every chip gets a
    // serial number and factory serial number of its own.
    static FlashStore Factory(std::uint16_t vendorId, std::uint16_t productId);
};

// 0xB0: answers the block of the sub-code (status 0x01 for an unknown one).
void ReadFlash(const FlashStore& flash, const Report& request, Report& response);

// 0xB1 once the protection has let it through: stores the block of the
// sub-code; the status byte of the answer (0x01 for an unknown or read-only
// sub-code, or a malformed string descriptor).
std::uint8_t WriteFlash(FlashStore& flash, const Report& request);

// The password bytes (12 to 19) of a chip-settings write request.
FlashPassword PasswordOfSettingsWrite(const Report& request);

}  // namespace kelvane::sim
