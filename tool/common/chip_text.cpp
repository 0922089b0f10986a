#include "common/chip_text.h"

#include "common/utf8.h"

namespace kelvane::tool {

std::string Utf8FromChip(const ChipStringBuffer& buffer) {
    std::u16string units;
    for (const KelvaneChar c : buffer) {
        if (c == 0) {
            break;
        }
        units.push_back(static_cast<char16_t>(c));
    }
    return Utf8FromUtf16(units.data(), units.size());
}

std::optional<std::basic_string<KelvaneChar>> ChipFromUtf8(std::string_view text) {
    const std::optional<std::u16string> units = Utf16FromUtf8(text);
    if (!units || units->size() > kChipStringUnits) {
        return std::nullopt;
    }
    return std::basic_string<KelvaneChar>(units->begin(), units->end());
}

std::optional<std::size_t> Utf16Length(std::string_view text) {
    const std::optional<std::u16string> units = Utf16FromUtf8(text);
    if (!units) {
        return std::nullopt;
    }
    return units->size();
}

}  // namespace kelvane::tool
