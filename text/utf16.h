// UTF-16 and UTF-8, both ways: the chip's strings and the system's wide text
// are UTF-16 code units, the text inside the programs and the device paths
// of the library's core are UTF-8.
//
// Nothing here trusts its input: text from a chip, the system or a caller
// may hold unpaired surrogates, stray continuation bytes, truncated or
// overlong UTF-8 sequences, encoded surrogates or code points above
// U+10FFFF. UTF-8 is validated in one place, by the decoder behind both
// UTF-8 conversions.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace kelvane::text {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// UTF-16 to UTF-8. Nothing when the units hold an unpaired surrogate: such a
// text has no UTF-8 form that would convert back to the same units (a device
// path with one could not be opened again).
std::optional<std::string> Utf8FromUtf16(std::u16string_view units);

// UTF-16 to UTF-8, each unpaired surrogate replaced by U+FFFD: for text that
// is shown or compared, never converted back.
std::string Utf8FromUtf16Replacing(std::u16string_view units);

// UTF-16 as code points, each unpaired surrogate replaced by U+FFFD.
std::u32string CodePointsFromUtf16(std::u16string_view units);

// UTF-8 to UTF-16. Nothing unless the text is well-formed UTF-8: no stray
// continuation bytes, no truncated or overlong sequences, no encoded
// surrogates, nothing above U+10FFFF. A NUL converts to a NUL.
std::optional<std::u16string> Utf16FromUtf8(std::string_view text);

// UTF-8 to UTF-16, each ill-formed sequence replaced by one U+FFFD: a lead
// byte with the continuation bytes that follow it, up to as many as it
// announces, or a byte that cannot start a sequence (a stray continuation
// byte, F8 to FF).
std::u16string Utf16FromUtf8Replacing(std::string_view text);

}  // namespace kelvane::text
