// Conversions between the UTF-16 of the Windows wide-character calls and the
// UTF-8 in which device paths and hardware identifiers reach the core.
//
// Nothing here trusts its input: text from the system or from a caller may
// hold unpaired surrogates, truncated or overlong UTF-8 sequences, encoded
// surrogates or code points above U+10FFFF.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kelvane::platform::windows {

static_assert(sizeof(wchar_t) == 2, "Windows wide characters are UTF-16 code units");

// UTF-16 to UTF-8. Nothing when the text holds an unpaired surrogate: such a
// text has no UTF-8 form that would convert back to the same units, so a
// device path with one could not be opened again.
std::optional<std::string> Utf16ToUtf8(std::wstring_view text);

// UTF-16 to UTF-8, each unpaired surrogate replaced by U+FFFD. For text that
// is only compared, never converted back.
std::string Utf16ToUtf8Replacing(std::wstring_view text);

// UTF-8 to UTF-16. Nothing unless the text is well-formed UTF-8: no stray
// continuation bytes, no truncated or overlong sequences, no encoded
// surrogates, nothing above U+10FFFF. A NUL converts to a NUL.
std::optional<std::wstring> Utf8ToUtf16(std::string_view text);

}  // namespace kelvane::platform::windows
