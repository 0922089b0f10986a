#include "output/text_file.h"

#include <climits>
#include <cwchar>
#include <optional>
#include <string>

namespace kelvane::cli {
namespace {

#ifndef _WIN32
// The path in the encoding of the current locale, or nullopt when one of
// its characters has no form there.
std::optional<std::string> NarrowPath(std::wstring_view path) {
    std::string narrow;
    std::mbstate_t state{};
    char bytes[MB_LEN_MAX];
    for (wchar_t c : path) {
        const std::size_t length = std::wcrtomb(bytes, c, &state);
        if (length == static_cast<std::size_t>(-1)) {
            return std::nullopt;
        }
        narrow.append(bytes, length);
    }
    return narrow;
}
#endif

}  // namespace

std::FILE* OpenTextFile(std::wstring_view path, TextFileMode mode) {
#ifdef _WIN32
    const std::wstring terminated(path);
    return _wfopen(terminated.c_str(), mode == TextFileMode::kRead ? L"r" : L"a");
#else
    const std::optional<std::string> narrow = NarrowPath(path);
    if (!narrow || narrow->find('\0') != std::string::npos) {
        return nullptr;
    }
    return std::fopen(narrow->c_str(), mode == TextFileMode::kRead ? "r" : "a");
#endif
}

bool CloseTextFile(std::FILE* file) {
    const bool writeFailed = std::ferror(file) != 0;
    const bool closeFailed = std::fclose(file) != 0;
    return !writeFailed && !closeFailed;
}

}  // namespace kelvane::cli
