#include "platform/windows/hardware_id.h"

#include <string_view>

#include "platform/windows/text_encoding.h"

namespace kelvane::platform::windows {
namespace {

bool IsUtf8Continuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

}  // namespace

std::string FirstHardwareId(std::span<const std::uint8_t> property) {
    std::wstring first;
    for (std::size_t at = 0; at + 1 < property.size(); at += 2) {
        // The property is little-endian UTF-16, whatever its alignment.
        const auto unit = static_cast<wchar_t>(property[at] | (property[at + 1] << 8));
        if (unit == L'\0') {
            break;
        }
        first.push_back(unit);
        // Enough units for the longest identifier kept, plus one to see
        // whether the last character is a pair.
        if (first.size() > kMaxHardwareIdBytes) {
            break;
        }
    }
    std::string id = Utf16ToUtf8Replacing(first);
    if (id.size() > kMaxHardwareIdBytes) {
        std::size_t cut = kMaxHardwareIdBytes;
        while (cut > 0 && IsUtf8Continuation(id[cut])) {
            --cut;
        }
        id.resize(cut);
    }
    return id;
}

}  // namespace kelvane::platform::windows
