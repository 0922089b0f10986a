#include "output/chip_text.h"

namespace kelvane::cli {
namespace {

constexpr char32_t kReplacementCharacter = 0xFFFD;

bool IsHighSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

}  // namespace

std::wstring WideFromChipText(const KelvaneChar* text, std::size_t capacity) {
    std::size_t length = 0;
    while (length < capacity && text[length] != 0) {
        ++length;
    }
    std::wstring wide;
    if constexpr (sizeof(wchar_t) == 2) {
        wide.assign(text, text + length);
    } else {
        for (std::size_t i = 0; i < length; ++i) {
            const char32_t unit = static_cast<char16_t>(text[i]);
            if (IsHighSurrogate(unit) && i + 1 < length && IsLowSurrogate(static_cast<char16_t>(text[i + 1]))) {
                const char32_t low = static_cast<char16_t>(text[++i]);
                wide.push_back(static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00)));
            } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
                wide.push_back(static_cast<wchar_t>(kReplacementCharacter));
            } else {
                wide.push_back(static_cast<wchar_t>(unit));
            }
        }
    }
    return wide;
}

}  // namespace kelvane::cli
