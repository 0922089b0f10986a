#include "options/locale_arguments.h"

#include <cwchar>

namespace kelvane::cli {
namespace {

constexpr wchar_t kReplacementCharacter = 0xFFFD;

}  // namespace

std::wstring WidenArgument(std::string_view argument) {
    std::wstring wide;
    wide.reserve(argument.size());
    std::mbstate_t state{};
    std::size_t pos = 0;
    while (pos < argument.size()) {
        wchar_t c = 0;
        const std::size_t length = std::mbrtowc(&c, argument.data() + pos, argument.size() - pos, &state);
        if (length == static_cast<std::size_t>(-1) || length == static_cast<std::size_t>(-2)) {
            // Invalid, or cut off at the end of the argument.
            wide.push_back(kReplacementCharacter);
            state = std::mbstate_t{};
            ++pos;
        } else if (length == 0) {
            // An embedded NUL ends the argument, as it does for the process.
            break;
        } else {
            wide.push_back(c);
            pos += length;
        }
    }
    return wide;
}

std::vector<std::wstring> WidenArguments(int argc, const char* const* argv) {
    std::vector<std::wstring> arguments;
    for (int i = 0; i < argc; ++i) {
        arguments.push_back(WidenArgument(argv[i] != nullptr ? argv[i] : ""));
    }
    return arguments;
}

}  // namespace kelvane::cli
