#include "config/usb_strings.h"

#include <algorithm>

#include "config/settings_exchanges.h"
#include "core/report_channel.h"

namespace kelvane::config {
namespace {

constexpr std::uint8_t kStringDescriptorType = 0x03;

// Copies the terminated string, cut to the destination's capacity.
void CopyTerminated(const StringWorkBuffer& work, KelvaneChar* destination, std::size_t capacity) {
    std::size_t i = 0;
    for (; i + 1 < capacity && i < work.size() && work[i] != 0; ++i) {
        destination[i] = work[i];
    }
    destination[i] = 0;
}

}  // namespace

int ReadFlashString(FlashString which, KelvaneChar* destination, std::size_t capacity) {
    Report request{};
    request[kCommandByte] = kReadFlash;
    request[1] = static_cast<std::uint8_t>(which);
    Report response{};
    const int result = core::CommandExchange(request, response, core::StatusCheck::kIgnore);
    if (result != KELVANE_SUCCESS) {
        return result;
    }
    StringWorkBuffer work{};
    if (which == FlashString::kFactorySerial) {
        DecodeFactorySerial(response, work);
    } else {
        DecodeStringDescriptor(response, work);
    }
    CopyTerminated(work, destination, capacity);
    return KELVANE_SUCCESS;
}

int WriteFlashString(FlashString which, std::basic_string_view<KelvaneChar> text) {
    const std::size_t characters = std::min(text.size(), kMaxDescriptorChars);
    Report request{};
    request[kCommandByte] = kWriteFlash;
    request[1] = static_cast<std::uint8_t>(which);
    request[2] = static_cast<std::uint8_t>(2 + 2 * characters);
    request[3] = kStringDescriptorType;
    for (std::size_t i = 0; i < characters; ++i) {
        const auto unit = static_cast<std::uint16_t>(text[i]);
        request[4 + 2 * i] = static_cast<std::uint8_t>(unit & 0xFF);
        request[5 + 2 * i] = static_cast<std::uint8_t>(unit >> 8);
    }
    Report response{};
    return core::CommandExchange(request, response, core::StatusCheck::kExamine);
}


// ---- Decoding ---------------------------------------------------------------

namespace {

constexpr std::size_t kLengthByte = 2;
constexpr std::size_t kFirstCharacterByte = 4;
constexpr std::size_t kDescriptorHeaderBytes = 2;  // the length and type bytes

}  // namespace

void DecodeStringDescriptor(const Report& response, StringWorkBuffer& out) {
    const std::size_t length = response[kLengthByte];
    const std::size_t characters =
        length > kDescriptorHeaderBytes ? std::min((length - kDescriptorHeaderBytes) / 2, kMaxDescriptorChars) : 0;
    for (std::size_t i = 0; i < characters; ++i) {
        const std::size_t at = kFirstCharacterByte + 2 * i;
        out[i] = static_cast<KelvaneChar>(response[at] + 256 * response[at + 1]);
    }
    out[characters] = 0;
}

void DecodeFactorySerial(const Report& response, StringWorkBuffer& out) {
    const std::size_t characters = std::min<std::size_t>(response[kLengthByte], kMaxFactorySerialChars);
    for (std::size_t i = 0; i < characters; ++i) {
        out[i] = static_cast<KelvaneChar>(response[kFirstCharacterByte + i]);
    }
    out[characters] = 0;
}

}  // namespace kelvane::config
