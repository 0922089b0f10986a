#include "text/chip_string.h"

#include "text/utf16.h"

namespace kelvane::text {

std::optional<std::u16string> ChipStringFromUtf8(std::string_view text) {
    std::optional<std::u16string> units = Utf16FromUtf8(text);
    if (!units || units->size() > kChipStringUnits) {
        return std::nullopt;
    }
    return units;
}

}  // namespace kelvane::text
