// The system's wide strings (wchar_t) through the text component. Where
// wchar_t is 16 bits wide (Windows) a wide string is UTF-16 code units, as
// the wide-character calls take and hand them; where it is 32 bits wide, a
// wide string holds code points.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kelvane::text {

// UTF-16 as wide text. Where wchar_t is 16 bits wide the units are taken as
// they are, unpaired surrogates too (the system takes them so); where it is
// 32 bits wide, a pair becomes one character and an unpaired surrogate
// becomes U+FFFD.
std::wstring WideFromUtf16(std::u16string_view units);

#ifdef _WIN32
static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16 code units");

// Wide text (UTF-16) as UTF-8: nothing when it holds an unpaired surrogate
// (see Utf8FromUtf16), or with each replaced by U+FFFD.
std::optional<std::string> Utf8FromWide(std::wstring_view text);
std::string Utf8FromWideReplacing(std::wstring_view text);

// UTF-8 as wide text (UTF-16): nothing unless the text is well-formed UTF-8
// (see Utf16FromUtf8), or with each ill-formed sequence replaced by U+FFFD.
std::optional<std::wstring> WideFromUtf8(std::string_view text);
std::wstring WideFromUtf8Replacing(std::string_view text);
#endif

}  // namespace kelvane::text
