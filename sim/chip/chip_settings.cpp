#include "chip/chip_settings.h"

namespace kelvane::sim {
namespace {

std::uint8_t Bits(std::uint8_t byte, int shift, int width) {
    return static_cast<std::uint8_t>((byte >> shift) & ((1 << width) - 1));
}

}  // namespace

void PutSettingsBlock(const ChipSettings& s, Report& report, std::size_t at) {
    report[at] = static_cast<std::uint8_t>((s.serialEnumeration ? 0x80 : 0) | (s.ledUartRxInitial & 1) << 6 |
                                           (s.ledUartTxInitial & 1) << 5 | (s.ledI2cInitial & 1) << 4 |
                                           (s.sspndInitial & 1) << 3 | (s.usbcfgInitial & 1) << 2 |
                                           (s.protection & 0x03));
    report[at + 1] = static_cast<std::uint8_t>((s.clockDutyCycle & 0x03) << 3 | (s.clockDivider & 0x07));
    report[at + 2] = static_cast<std::uint8_t>((s.dacReference & 0x07) << 5 | (s.dacValue & 0x1F));
    report[at + 3] = static_cast<std::uint8_t>((s.interruptMode & 0x03) << 5 | (s.adcReference & 0x07) << 2);
    report[at + 4] = static_cast<std::uint8_t>(s.vendorId & 0xFF);
    report[at + 5] = static_cast<std::uint8_t>(s.vendorId >> 8);
    report[at + 6] = static_cast<std::uint8_t>(s.productId & 0xFF);
    report[at + 7] = static_cast<std::uint8_t>(s.productId >> 8);
    report[at + 8] = s.usbAttributes;
    report[at + 9] = s.currentUnits;
}

ChipSettings SettingsBlockFrom(const Report& report, std::size_t at) {
    ChipSettings s;
    const std::uint8_t flags = report[at];
    s.serialEnumeration = (flags & 0x80) != 0;
    s.ledUartRxInitial = Bits(flags, 6, 1);
    s.ledUartTxInitial = Bits(flags, 5, 1);
    s.ledI2cInitial = Bits(flags, 4, 1);
    s.sspndInitial = Bits(flags, 3, 1);
    s.usbcfgInitial = Bits(flags, 2, 1);
    s.protection = Bits(flags, 0, 2);
    s.clockDutyCycle = Bits(report[at + 1], 3, 2);
    s.clockDivider = Bits(report[at + 1], 0, 3);
    s.dacReference = Bits(report[at + 2], 5, 3);
    s.dacValue = Bits(report[at + 2], 0, 5);
    s.interruptMode = Bits(report[at + 3], 5, 2);
    s.adcReference = Bits(report[at + 3], 2, 3);
    s.vendorId = static_cast<std::uint16_t>(report[at + 4] | report[at + 5] << 8);
    s.productId = static_cast<std::uint16_t>(report[at + 6] | report[at + 7] << 8);
    s.usbAttributes = report[at + 8];
    s.currentUnits = report[at + 9];
    return s;
}

}  // namespace kelvane::sim
