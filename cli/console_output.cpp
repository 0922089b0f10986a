#include "console_output.h"

#include <climits>
#include <cstdio>
#include <cwchar>

namespace kelvane::cli {

std::string NarrowForConsole(std::wstring_view text) {
    std::string narrow;
    narrow.reserve(text.size());
    std::mbstate_t state{};
    char bytes[MB_LEN_MAX];
    for (wchar_t c : text) {
        const std::size_t length = std::wcrtomb(bytes, c, &state);
        if (length == static_cast<std::size_t>(-1)) {
            narrow.push_back('?');
            state = std::mbstate_t{};
        } else {
            narrow.append(bytes, length);
        }
    }
    return narrow;
}

void StdoutSink::Write(std::wstring_view text) {
    const std::string narrow = NarrowForConsole(text);
    std::fwrite(narrow.data(), 1, narrow.size(), stdout);
}

}  // namespace kelvane::cli
