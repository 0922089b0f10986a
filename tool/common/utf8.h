// Text in UTF-8 inside the program; the chip's strings are UTF-16, and so
// are Windows's command line, environment and file names.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace kelvane::tool {

// UTF-16 code units as UTF-8, up to the first 0 unit or `count` units; an
// unpaired surrogate becomes U+FFFD.
std::string Utf8FromUtf16(const char16_t* units, std::size_t count);

// UTF-8 as UTF-16 code units; nullopt when the text is not UTF-8 (overlong
// forms and encoded surrogates included).
std::optional<std::u16string> Utf16FromUtf8(std::string_view text);

// A file name given as UTF-8.
std::filesystem::path PathFromUtf8(std::string_view text);

#ifdef _WIN32
std::string Utf8FromWide(const wchar_t* text);
// Bytes that are no UTF-8 become U+FFFD.
std::wstring WideFromUtf8(std::string_view text);
#endif

}  // namespace kelvane::tool
