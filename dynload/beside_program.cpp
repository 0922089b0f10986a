#include "dynload/beside_program.h"

namespace kelvane::dynload {
namespace {

constexpr std::size_t kWindowsMaxPath = 260;

bool StartsWith(std::wstring_view text, std::wstring_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// The length of the path's folder part levelsUp levels above the folder of
// its last component, separator included; npos when there are too few
// separators.
template <typename Char>
std::size_t FolderLength(std::basic_string_view<Char> path, const Char* separators, unsigned levelsUp) {
    std::size_t separator = path.find_last_of(separators);
    for (unsigned level = 0; level < levelsUp && separator != std::basic_string_view<Char>::npos; ++level) {
        separator = separator == 0 ? std::basic_string_view<Char>::npos : path.find_last_of(separators, separator - 1);
    }
    return separator == std::basic_string_view<Char>::npos ? separator : separator + 1;
}

}  // namespace

std::string PathBesideProgram(std::string_view programPath, std::string_view fileName, unsigned levelsUp) {
    const std::size_t folder = FolderLength(programPath, "/", levelsUp);
    if (folder == std::string_view::npos) {
        return {};
    }
    std::string path(programPath.substr(0, folder));
    path.append(fileName);
    return path;
}

std::wstring WindowsPathBesideProgram(std::wstring_view programPath, std::wstring_view fileName, unsigned levelsUp) {
    const std::size_t folder = FolderLength(programPath, L"\\/", levelsUp);
    if (folder == std::wstring_view::npos) {
        return {};
    }
    std::wstring path(programPath.substr(0, folder));
    path.append(fileName);
    if (path.size() < kWindowsMaxPath || StartsWith(path, L"\\\\?\\")) {
        return path;
    }
    for (wchar_t& c : path) {
        if (c == L'/') {
            c = L'\\';
        }
    }
    if (StartsWith(path, L"\\\\.\\")) {
        return path;  // a device-namespace path is not re-prefixed
    }
    if (StartsWith(path, L"\\\\")) {
        return L"\\\\?\\UNC\\" + path.substr(2);
    }
    return L"\\\\?\\" + path;
}

}  // namespace kelvane::dynload
