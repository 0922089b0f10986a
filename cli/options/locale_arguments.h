// The program's arguments as wide text.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kelvane::cli {

// Decodes one argument from the encoding of the current LC_CTYPE locale
// (the caller has made the user's locale current). A byte that does not
// start a valid character, or an incomplete character at the end, becomes
// U+FFFD and decoding goes on with the next byte: an argument is never
// dropped and never stops the program by itself. Such an argument usually
// matches no option; inside a file path or serial number it stays a
// character that names no existing file or chip.
std::wstring WidenArgument(std::string_view argument);

// All arguments, argument 0 (the program's name) included.
std::vector<std::wstring> WidenArguments(int argc, const char* const* argv);

}  // namespace kelvane::cli
