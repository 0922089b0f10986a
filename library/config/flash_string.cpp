#include "config/flash_string.h"

#include <algorithm>

#include "config/settings_exchange.h"
#include "config/string_decoding.h"
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

}  // namespace kelvane::config
