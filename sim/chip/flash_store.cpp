#include "chip/flash_store.h"

#include <algorithm>
#include <cstdio>

#include "chip/chip_status.h"

namespace kelvane::sim {
namespace {

constexpr std::uint8_t kStringDescriptorType = 0x03;
constexpr std::size_t kMaxStringCharacters = 30;
constexpr std::size_t kMaxFactorySerial = 60;

// Chip-settings write: the block from byte 2, the password in 12 to 19.
constexpr std::size_t kWriteBlockByte = 2;
constexpr std::size_t kWritePasswordByte = 12;
// Reads answer the block, the GP pin bytes and the strings from byte 4; the
// GP write brings its pin bytes from byte 2.
constexpr std::size_t kReadDataByte = 4;
constexpr std::size_t kWriteGpByte = 2;

std::u16string NumberedText(const char* prefix, unsigned number) {
    char text[32];
    std::snprintf(text, sizeof text, "%s%06u", prefix, number);
    return std::u16string(text, text + std::char_traits<char>::length(text));
}

void PutDescriptor(const std::u16string& text, Report& response) {
    const std::size_t characters = std::min(text.size(), kMaxStringCharacters);
    response[2] = static_cast<std::uint8_t>(2 + 2 * characters);
    response[3] = kStringDescriptorType;
    for (std::size_t i = 0; i < characters; ++i) {
        response[kReadDataByte + 2 * i] = static_cast<std::uint8_t>(text[i] & 0xFF);
        response[kReadDataByte + 2 * i + 1] = static_cast<std::uint8_t>(text[i] >> 8);
    }
}

void PutFactorySerial(const std::string& text, Report& response) {
    const std::size_t characters = std::min(text.size(), kMaxFactorySerial);
    response[2] = static_cast<std::uint8_t>(characters);
    std::copy_n(text.begin(), characters, response.begin() + kReadDataByte);
}

// A descriptor of whole characters that fits the request, else refused.
std::uint8_t TakeDescriptor(const Report& request, std::u16string& text) {
    const std::size_t length = request[2];
    if (request[3] != kStringDescriptorType || length < 2 || length % 2 != 0 ||
        length > 2 + 2 * kMaxStringCharacters) {
        return kStatusRefused;
    }
    text.clear();
    for (std::size_t at = 4; at < length + 2; at += 2) {
        text.push_back(static_cast<char16_t>(request[at] | request[at + 1] << 8));
    }
    return kStatusOk;
}

template <typename Store>
auto StringOf(Store& flash, std::uint8_t subCode) -> decltype(&flash.manufacturer) {
    switch (subCode) {
        case kFlashManufacturer: return &flash.manufacturer;
        case kFlashProduct: return &flash.product;
        case kFlashSerialNumber: return &flash.serialNumber;
        default: return nullptr;
    }
}

}  // namespace

FlashStore FlashStore::Factory(std::uint16_t vendorId, std::uint16_t productId) {
    static unsigned chipsMade = 0;
    ++chipsMade;
    FlashStore flash;
    flash.settings.vendorId = vendorId;
    flash.settings.productId = productId;
    flash.serialNumber = NumberedText("KLV", chipsMade);
    const std::u16string factory = NumberedText("F-KELVANE-", chipsMade);
    flash.factorySerial.assign(factory.begin(), factory.end());
    return flash;
}

void ReadFlash(const FlashStore& flash, const Report& request, Report& response) {
    const std::uint8_t subCode = request[1];
    switch (subCode) {
        case kFlashChipSettings:
            PutSettingsBlock(flash.settings, response, kReadDataByte);
            return;
        case kFlashGpSettings:
            for (std::size_t pin = 0; pin < flash.gpPins.size(); ++pin) {
                response[kReadDataByte + pin] = PinByteOf(flash.gpPins[pin]);
            }
            return;
        case kFlashFactorySerial:
            PutFactorySerial(flash.factorySerial, response);
            return;
        default:
            break;
    }
    if (const std::u16string* text = StringOf(flash, subCode)) {
        PutDescriptor(*text, response);
        return;
    }
    response[1] = kStatusRefused;
}

std::uint8_t WriteFlash(FlashStore& flash, const Report& request) {
    const std::uint8_t subCode = request[1];
    if (subCode == kFlashChipSettings) {
        flash.settings = SettingsBlockFrom(request, kWriteBlockByte);
        flash.password = PasswordOfSettingsWrite(request);
        return kStatusOk;
    }
    if (subCode == kFlashGpSettings) {
        for (std::size_t pin = 0; pin < flash.gpPins.size(); ++pin) {
            flash.gpPins[pin] = PinFromByte(request[kWriteGpByte + pin]);
        }
        return kStatusOk;
    }
    std::u16string* text = StringOf(flash, subCode);
    return text != nullptr ? TakeDescriptor(request, *text) : kStatusRefused;
}

FlashPassword PasswordOfSettingsWrite(const Report& request) {
    FlashPassword password{};
    std::copy_n(request.begin() + kWritePasswordByte, password.size(), password.begin());
    return password;
}

}  // namespace kelvane::sim
