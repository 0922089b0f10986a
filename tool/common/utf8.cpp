#include "common/utf8.h"

#include <cstdint>

namespace kelvane::tool {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

void Append(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

bool IsHighSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// The next code point of UTF-8 text at `at`, which it advances; nullopt for
// bytes that are no UTF-8.
std::optional<char32_t> NextCodePoint(std::string_view text, std::size_t& at) {
    const auto lead = static_cast<unsigned char>(text[at++]);
    if (lead < 0x80) {
        return lead;
    }
    std::size_t more = 0;
    char32_t c = 0;
    char32_t least = 0;
    if ((lead & 0xE0) == 0xC0) {
        more = 1, c = lead & 0x1F, least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        more = 2, c = lead & 0x0F, least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        more = 3, c = lead & 0x07, least = 0x10000;
    } else {
        return std::nullopt;
    }
    for (std::size_t i = 0; i < more; ++i) {
        if (at >= text.size() || (static_cast<unsigned char>(text[at]) & 0xC0) != 0x80) {
            return std::nullopt;
        }
        c = (c << 6) | (static_cast<unsigned char>(text[at++]) & 0x3F);
    }
    if (c < least || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        return std::nullopt;
    }
    return c;
}

// Appends UTF-8 text as UTF-16 units; false at bytes that are no UTF-8,
// unless they are to be replaced by U+FFFD.
template <typename String>
bool AppendUtf16(std::string_view text, String& out, bool replaceInvalid) {
    using Unit = typename String::value_type;
    std::size_t at = 0;
    while (at < text.size()) {
        std::optional<char32_t> c = NextCodePoint(text, at);
        if (!c && !replaceInvalid) {
            return false;
        }
        const char32_t code = c.value_or(kReplacement);
        if (code >= 0x10000) {
            out.push_back(static_cast<Unit>(0xD800 + ((code - 0x10000) >> 10)));
            out.push_back(static_cast<Unit>(0xDC00 + ((code - 0x10000) & 0x3FF)));
        } else {
            out.push_back(static_cast<Unit>(code));
        }
    }
    return true;
}

}  // namespace

std::string Utf8FromUtf16(const char16_t* units, std::size_t count) {
    std::string out;
    for (std::size_t i = 0; i < count && units[i] != 0; ++i) {
        const char32_t unit = units[i];
        if (IsHighSurrogate(unit) && i + 1 < count && IsLowSurrogate(units[i + 1])) {
            Append(out, 0x10000 + ((unit - 0xD800) << 10) + (static_cast<char32_t>(units[i + 1]) - 0xDC00));
            ++i;
        } else if (IsHighSurrogate(unit) || IsLowSurrogate(unit)) {
            Append(out, kReplacement);
        } else {
            Append(out, unit);
        }
    }
    return out;
}

std::optional<std::u16string> Utf16FromUtf8(std::string_view text) {
    std::u16string out;
    if (!AppendUtf16(text, out, false)) {
        return std::nullopt;
    }
    return out;
}

std::filesystem::path PathFromUtf8(std::string_view text) {
    return std::filesystem::path(std::u8string(text.begin(), text.end()));
}

#ifdef _WIN32
std::string Utf8FromWide(const wchar_t* text) {
    std::u16string units;
    for (const wchar_t* c = text; *c != L'\0'; ++c) {
        units.push_back(static_cast<char16_t>(*c));
    }
    return Utf8FromUtf16(units.data(), units.size());
}

std::wstring WideFromUtf8(std::string_view text) {
    std::wstring out;
    AppendUtf16(text, out, true);
    return out;
}
#endif

}  // namespace kelvane::tool
