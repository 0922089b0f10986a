// The virtual chip's chip-settings block: USB identity and power, the
// power-up values of the dedicated pin functions, clock output, DAC, ADC,
// interrupt pin and the flash protection state. It exists in flash and, as
// loaded at power-up and changed since, in the runtime settings.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/report.h"

namespace kelvane::sim {

inline constexpr std::uint8_t kUnprotected = 0;
inline constexpr std::uint8_t kPasswordProtected = 1;
inline constexpr std::uint8_t kPermanentlyLocked = 2;

struct ChipSettings {
    bool serialEnumeration = true;
    std::uint8_t ledUartRxInitial = 0;
    std::uint8_t ledUartTxInitial = 0;
    std::uint8_t ledI2cInitial = 0;
    std::uint8_t sspndInitial = 0;
    std::uint8_t usbcfgInitial = 0;
    std::uint8_t protection = kUnprotected;
    std::uint8_t clockDutyCycle = 0;
    std::uint8_t clockDivider = 1;
    std::uint8_t dacReference = 0;  // 3-bit selector
    std::uint8_t dacValue = 0;
    std::uint8_t interruptMode = 0;
    std::uint8_t adcReference = 0;  // 3-bit selector
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::uint8_t usbAttributes = 0x80;  // bus-powered
    std::uint8_t currentUnits = 50;     // 2 mA units: 100 mA

    bool operator==(const ChipSettings&) const = default;
};

// The block as the chip lays it out in a report, from byte `at`: flags,
// clock, DAC, interrupt and ADC, vendor id, product id (low byte first),
// attributes, current. Reads answer it from byte 4, the flash write brings
// it from byte 2.
inline constexpr std::size_t kSettingsBlockBytes = 10;
void PutSettingsBlock(const ChipSettings& settings, Report& report, std::size_t at);
ChipSettings SettingsBlockFrom(const Report& report, std::size_t at);

}  // namespace kelvane::sim
