#include "config/settings_record.h"

#include <array>

#include "kelvane.h"

namespace kelvane::config {
namespace {

// Offsets inside the block.
constexpr std::size_t kFlags = 0;       // 7 serial enumeration, 6-4 LED initial values,
                                        // 3 SSPND, 2 USBCFG, 1-0 protection state
constexpr std::size_t kClock = 1;       // 4-3 duty cycle, 2-0 divider
constexpr std::size_t kDac = 2;         // 7-5 reference selector, 4-0 value
constexpr std::size_t kInterrupt = 3;   // 6-5 interrupt mode, 4-2 ADC reference selector
constexpr std::size_t kVendorId = 4;    // low byte first
constexpr std::size_t kProductId = 6;   // low byte first
constexpr std::size_t kAttributes = 8;
constexpr std::size_t kCurrent = 9;     // 2 mA units

std::uint8_t Bit(std::uint8_t byte, int bit) {
    return static_cast<std::uint8_t>((byte >> bit) & 1);
}

std::uint8_t Field(std::uint8_t byte, int shift, std::uint8_t mask) {
    return static_cast<std::uint8_t>((byte >> shift) & mask);
}

std::uint16_t Word(const Report& report, std::size_t at) {
    return static_cast<std::uint16_t>(report[at] | (report[at + 1] << 8));
}

void PutWord(Report& report, std::size_t at, std::uint16_t value) {
    report[at] = static_cast<std::uint8_t>(value & 0xFF);
    report[at + 1] = static_cast<std::uint8_t>(value >> 8);
}

std::uint8_t Put(std::uint8_t value, int shift, std::uint8_t mask) {
    return static_cast<std::uint8_t>((value & mask) << shift);
}

void DecodeRuntimePins(const Report& response, DeviceSettings& settings) {
    for (std::size_t pin = 0; pin < kGpPinCount; ++pin) {
        const PinConfig config = DecodePinByte(response[kRuntimePinBytes + pin]);
        settings.gpDesignation[pin] = config.designation;
        settings.gpDirection[pin] = config.direction;
        settings.gpValue[pin] = config.value;
    }
}

}  // namespace

void DecodeChipSettings(const Report& response, SettingsSource source, DeviceSettings& settings) {
    const std::size_t at = kSettingsResponseBlock;
    const std::uint8_t flags = response[at + kFlags];
    settings.serialEnumeration = Bit(flags, 7);
    settings.sspndInitial = Bit(flags, 3);
    settings.usbcfgInitial = Bit(flags, 2);
    settings.protectionState = Field(flags, 0, 0x03);
    settings.clockDutyCycle = Field(response[at + kClock], 3, 0x03);
    settings.clockDivider = Field(response[at + kClock], 0, 0x07);
    settings.dacReference = Field(response[at + kDac], 5, 0x07);
    settings.dacValue = Field(response[at + kDac], 0, 0x1F);
    settings.interruptMode = Field(response[at + kInterrupt], 5, 0x03);
    settings.adcReference = Field(response[at + kInterrupt], 2, 0x07);
    settings.vendorId = Word(response, at + kVendorId);
    settings.productId = Word(response, at + kProductId);
    settings.usbAttributes = response[at + kAttributes];
    settings.currentRequirementMa = static_cast<std::uint16_t>(response[at + kCurrent] * 2);
    if (source == SettingsSource::kFlash) {
        settings.ledUartRxInitial = Bit(flags, 6);
        settings.ledUartTxInitial = Bit(flags, 5);
        settings.ledI2cInitial = Bit(flags, 4);
    } else {
        DecodeRuntimePins(response, settings);
    }
}

void EncodeChipSettings(const DeviceSettings& settings, Report& request) {
    const std::size_t at = kSettingsRequestBlock;
    request[at + kFlags] = static_cast<std::uint8_t>(
        (settings.serialEnumeration == 1 ? 0x80 : 0) | Put(settings.ledUartRxInitial, 6, 1) |
        Put(settings.ledUartTxInitial, 5, 1) | Put(settings.ledI2cInitial, 4, 1) | Put(settings.sspndInitial, 3, 1) |
        Put(settings.usbcfgInitial, 2, 1) | Put(settings.protectionState, 0, 0x03));
    request[at + kClock] = Put(settings.clockDutyCycle, 3, 0x03) | Put(settings.clockDivider, 0, 0x07);
    request[at + kDac] = Put(settings.dacReference, 5, 0x07) | Put(settings.dacValue, 0, 0x1F);
    request[at + kInterrupt] = Put(settings.interruptMode, 5, 0x03) | Put(settings.adcReference, 2, 0x07);
    PutWord(request, at + kVendorId, settings.vendorId);
    PutWord(request, at + kProductId, settings.productId);
    request[at + kAttributes] = settings.usbAttributes;
    request[at + kCurrent] = static_cast<std::uint8_t>(settings.currentRequirementMa >> 1);
}

namespace {

constexpr std::array<std::uint8_t, kReferenceCount> kSelectors = {0b000, 0b011, 0b101, 0b111};

}  // namespace

std::uint8_t EncodeReferenceSelector(std::uint8_t reference) {
    return kSelectors[reference % kReferenceCount];
}

int DecodeReferenceSelector(std::uint8_t selector) {
    if ((selector & 0x01) == 0) {
        return 0;
    }
    for (std::uint8_t reference = 1; reference < kReferenceCount; ++reference) {
        if (kSelectors[reference] == (selector & 0x07)) {
            return reference;
        }
    }
    return KELVANE_E_NO_REFERENCE;
}

}  // namespace kelvane::config
