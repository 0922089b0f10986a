#include "common/chip_text.h"

#include "text/utf16.h"

namespace kelvane::tool {

std::string Utf8FromChip(const ChipStringBuffer& buffer) {
    return text::Utf8FromUtf16Replacing(text::ChipString(buffer.data(), buffer.size()));
}

std::optional<std::basic_string<KelvaneChar>> ChipFromUtf8(std::string_view text) {
    const std::optional<std::u16string> units = text::ChipStringFromUtf8(text);
    if (!units) {
        return std::nullopt;
    }
    return std::basic_string<KelvaneChar>(units->begin(), units->end());
}

std::optional<std::size_t> Utf16Length(std::string_view text) {
    const std::optional<std::u16string> units = text::Utf16FromUtf8(text);
    if (!units) {
        return std::nullopt;
    }
    return units->size();
}

}  // namespace kelvane::tool
