// The chip-settings record: one copy of the chip's settings, read from the
// runtime settings or from flash, changed by an export and written back to
// flash. A plain value; nothing of it is kept between calls.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace kelvane::config {

inline constexpr std::size_t kGpPinCount = 4;

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

}  // namespace kelvane::config
