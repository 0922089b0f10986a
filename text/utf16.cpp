#include "text/utf16.h"

#include <cstddef>

namespace kelvane::text {
namespace {

bool IsHighSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

bool IsSurrogate(char32_t code) {
    return code >= 0xD800 && code <= 0xDFFF;
}

// The code point at `at` of UTF-16 units, which it advances past it: a pair
// gives the code point it encodes, an unpaired surrogate itself.
char32_t NextFromUtf16(std::u16string_view units, std::size_t& at) {
    const char32_t unit = units[at++];
    if (IsHighSurrogate(unit) && at < units.size() && IsLowSurrogate(units[at])) {
        const char32_t low = units[at++];
        return 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00);
    }
    return unit;
}

// The code point at `at` of UTF-8 text, which it advances past the bytes it
// took; nothing for bytes that are no UTF-8 (then past the lead byte and the
// continuation bytes that followed it, up to as many as it announced).
std::optional<char32_t> NextFromUtf8(std::string_view text, std::size_t& at) {
    const auto lead = static_cast<unsigned char>(text[at++]);
    if (lead < 0x80) {
        return lead;
    }
    std::size_t more = 0;
    char32_t code = 0;
    char32_t least = 0;
    if ((lead & 0xE0) == 0xC0) {
        more = 1, code = lead & 0x1F, least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        more = 2, code = lead & 0x0F, least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        more = 3, code = lead & 0x07, least = 0x10000;
    } else {
        return std::nullopt;  // a continuation byte, or F8 to FF
    }
    for (std::size_t i = 0; i < more; ++i) {
        if (at >= text.size() || (static_cast<unsigned char>(text[at]) & 0xC0) != 0x80) {
            return std::nullopt;  // truncated
        }
        code = (code << 6) | (static_cast<unsigned char>(text[at++]) & 0x3F);
    }
    if (code < least || code > 0x10FFFF || IsSurrogate(code)) {
        return std::nullopt;  // overlong, out of range, or an encoded surrogate
    }
    return code;
}

void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (code >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

void AppendUtf16(std::u16string& out, char32_t code) {
    if (code >= 0x10000) {
        out.push_back(static_cast<char16_t>(0xD800 + ((code - 0x10000) >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + ((code - 0x10000) & 0x3FF)));
    } else {
        out.push_back(static_cast<char16_t>(code));
    }
}

// UTF-16 to UTF-8; an unpaired surrogate either fails the conversion
// (nothing) or becomes U+FFFD.
std::optional<std::string> ConvertToUtf8(std::u16string_view units, bool replace) {
    std::string out;
    out.reserve(units.size());
    for (std::size_t at = 0; at < units.size();) {
        char32_t code = NextFromUtf16(units, at);
        if (IsSurrogate(code)) {
            if (!replace) {
                return std::nullopt;
            }
            code = kReplacementCharacter;
        }
        AppendUtf8(out, code);
    }
    return out;
}

// UTF-8 to UTF-16; bytes that are no UTF-8 either fail the conversion
// (nothing) or become U+FFFD.
std::optional<std::u16string> ConvertToUtf16(std::string_view text, bool replace) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const std::optional<char32_t> code = NextFromUtf8(text, at);
        if (!code && !replace) {
            return std::nullopt;
        }
        AppendUtf16(out, code.value_or(kReplacementCharacter));
    }
    return out;
}

}  // namespace

std::optional<std::string> Utf8FromUtf16(std::u16string_view units) {
    return ConvertToUtf8(units, false);
}

std::string Utf8FromUtf16Replacing(std::u16string_view units) {
    return *ConvertToUtf8(units, true);
}

std::u32string CodePointsFromUtf16(std::u16string_view units) {
    std::u32string out;
    out.reserve(units.size());
    for (std::size_t at = 0; at < units.size();) {
        const char32_t code = NextFromUtf16(units, at);
        out.push_back(IsSurrogate(code) ? kReplacementCharacter : code);
    }
    return out;
}

std::optional<std::u16string> Utf16FromUtf8(std::string_view text) {
    return ConvertToUtf16(text, false);
}

std::u16string Utf16FromUtf8Replacing(std::string_view text) {
    return *ConvertToUtf16(text, true);
}

}  // namespace kelvane::text
