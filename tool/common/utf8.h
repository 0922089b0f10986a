// Text in UTF-8 inside the program; the chip's strings are UTF-16, and so
// are Windows's command line, environment and file names. The conversions
// are the text component's (text/utf16.h, and text/wide_text.h for the
// system's wide text): its check of UTF-8 is the program's.
#pragma once

#include <filesystem>
#include <string_view>

namespace kelvane::tool {

// A file name given as UTF-8.
std::filesystem::path PathFromUtf8(std::string_view text);

}  // namespace kelvane::tool
