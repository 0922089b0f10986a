#include "chip/runtime_settings.h"

namespace kelvane::sim {
namespace {

constexpr std::uint8_t kApply = 0x80;
constexpr std::size_t kBlockByte = 4;
constexpr std::size_t kPinBytes = 22;

enum GroupByte : std::size_t {
    kClockGroup = 2,
    kDacReferenceGroup = 3,
    kDacValueGroup = 4,
    kAdcReferenceGroup = 5,
    kInterruptGroup = 6,
    kGpGroup = 7,
};
constexpr std::size_t kGpPinBytes = 8;

void SetInterrupt(RuntimeSettings& runtime, std::uint8_t byte) {
    std::uint8_t& mode = runtime.settings.interruptMode;
    if ((byte & 0x10) != 0) {
        mode = static_cast<std::uint8_t>((mode & ~0x01) | ((byte >> 3) & 1));
    }
    if ((byte & 0x04) != 0) {
        mode = static_cast<std::uint8_t>((mode & ~0x02) | (((byte >> 1) & 1) << 1));
    }
    if ((byte & 0x01) != 0) {
        runtime.interruptPending = false;
    }
}

}  // namespace

void RuntimeSettings::LoadFrom(const FlashStore& flash) {
    settings = flash.settings;
    pins = flash.gpPins;
    interruptPending = false;
    accessGranted = false;
}

void GetRuntimeSettings(const RuntimeSettings& runtime, Report& response) {
    PutSettingsBlock(runtime.settings, response, kBlockByte);
    for (std::size_t pin = 0; pin < runtime.pins.size(); ++pin) {
        response[kPinBytes + pin] = PinByteOf(runtime.pins[pin]);
    }
}

void SetRuntimeSettings(RuntimeSettings& runtime, const Report& request) {
    ChipSettings& s = runtime.settings;
    auto applies = [&](GroupByte group) { return (request[group] & kApply) != 0; };
    if (applies(kClockGroup)) {
        s.clockDutyCycle = (request[kClockGroup] >> 3) & 0x03;
        s.clockDivider = request[kClockGroup] & 0x07;
    }
    if (applies(kDacReferenceGroup)) {
        s.dacReference = request[kDacReferenceGroup] & 0x07;
    }
    if (applies(kDacValueGroup)) {
        s.dacValue = request[kDacValueGroup] & 0x1F;
    }
    if (applies(kAdcReferenceGroup)) {
        s.adcReference = request[kAdcReferenceGroup] & 0x07;
    }
    if (applies(kInterruptGroup)) {
        SetInterrupt(runtime, request[kInterruptGroup]);
    }
    if (applies(kGpGroup)) {
        for (std::size_t pin = 0; pin < runtime.pins.size(); ++pin) {
            runtime.pins[pin] = PinFromByte(request[kGpPinBytes + pin]);
        }
    }
}

}  // namespace kelvane::sim
