// Case-insensitive comparison of option names and values. Only the ASCII
// letters are folded, so the result never depends on the user's locale.
#pragma once

#include <cstddef>
#include <string_view>

namespace kelvane::cli {

wchar_t FoldCase(wchar_t c);

// Compares the first n characters of text and of name (fewer where one of
// them ends first) without regard to case. Texts that end at different
// places within the n characters differ; n beyond both lengths compares the
// whole texts.
bool SameIgnoringCase(std::wstring_view text, std::wstring_view name, std::size_t n);

}  // namespace kelvane::cli
