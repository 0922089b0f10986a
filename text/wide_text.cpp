#include "text/wide_text.h"

#include "text/utf16.h"

namespace kelvane::text {

std::wstring WideFromUtf16(std::u16string_view units) {
    if constexpr (sizeof(wchar_t) == sizeof(char16_t)) {
        return std::wstring(units.begin(), units.end());
    } else {
        const std::u32string codes = CodePointsFromUtf16(units);
        return std::wstring(codes.begin(), codes.end());
    }
}

#ifdef _WIN32
namespace {

std::u16string Utf16FromWide(std::wstring_view text) {
    return std::u16string(text.begin(), text.end());
}

}  // namespace

std::optional<std::string> Utf8FromWide(std::wstring_view text) {
    return Utf8FromUtf16(Utf16FromWide(text));
}

std::string Utf8FromWideReplacing(std::wstring_view text) {
    return Utf8FromUtf16Replacing(Utf16FromWide(text));
}

std::optional<std::wstring> WideFromUtf8(std::string_view text) {
    const std::optional<std::u16string> units = Utf16FromUtf8(text);
    if (!units) {
        return std::nullopt;
    }
    return WideFromUtf16(*units);
}

std::wstring WideFromUtf8Replacing(std::string_view text) {
    return WideFromUtf16(Utf16FromUtf8Replacing(text));
}
#endif

}  // namespace kelvane::text
