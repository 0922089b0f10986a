#include "output/console_output.h"

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#endif

#include <algorithm>
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

#ifdef _WIN32

namespace {

// One WriteConsoleW call takes at most this many units; older consoles fail
// on much longer writes.
constexpr std::size_t kConsoleChunk = 4096;

bool WriteConsoleUnits(HANDLE console, std::wstring_view units) {
    while (!units.empty()) {
        std::size_t count = std::min(units.size(), kConsoleChunk);
        // A surrogate pair stays within one call.
        if (count < units.size() && count > 1 && units[count - 1] >= 0xD800 && units[count - 1] <= 0xDBFF) {
            --count;
        }
        DWORD written = 0;
        if (!WriteConsoleW(console, units.data(), static_cast<DWORD>(count), &written, nullptr) || written == 0) {
            return false;
        }
        units.remove_prefix(std::min<std::size_t>(written, units.size()));
    }
    return true;
}

}  // namespace

bool WriteConsoleText(void* console, std::wstring_view text) {
    DWORD mode = 0;
    if (console == nullptr || console == INVALID_HANDLE_VALUE || !GetConsoleMode(console, &mode)) {
        return false;
    }
    for (;;) {
        const std::size_t lineEnd = text.find(L'\n');
        if (!WriteConsoleUnits(console, text.substr(0, lineEnd))) {
            return false;
        }
        if (lineEnd == std::wstring_view::npos) {
            return true;
        }
        if (!WriteConsoleUnits(console, L"\r\n")) {
            return false;
        }
        text.remove_prefix(lineEnd + 1);
    }
}

void StdoutSink::Write(std::wstring_view text) {
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (out != nullptr && out != INVALID_HANDLE_VALUE && GetConsoleMode(out, &mode)) {
        std::fflush(stdout);
        WriteConsoleText(out, text);
        return;
    }
    const std::string narrow = NarrowForConsole(text);
    std::fwrite(narrow.data(), 1, narrow.size(), stdout);
}

#else

void StdoutSink::Write(std::wstring_view text) {
    const std::string narrow = NarrowForConsole(text);
    std::fwrite(narrow.data(), 1, narrow.size(), stdout);
}

#endif

}  // namespace kelvane::cli
