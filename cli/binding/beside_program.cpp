#include "binding/beside_program.h"

namespace kelvane::cli {
namespace {

constexpr std::size_t kWindowsMaxPath = 260;

bool StartsWith(std::wstring_view text, std::wstring_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

}  // namespace

std::string PathBesideProgram(std::string_view programPath, std::string_view fileName) {
    const std::size_t slash = programPath.rfind('/');
    if (slash == std::string_view::npos) {
        return {};
    }
    std::string path(programPath.substr(0, slash + 1));
    path.append(fileName);
    return path;
}

std::wstring WindowsPathBesideProgram(std::wstring_view programPath, std::wstring_view fileName) {
    const std::size_t separator = programPath.find_last_of(L"\\/");
    if (separator == std::wstring_view::npos) {
        return {};
    }
    std::wstring path(programPath.substr(0, separator + 1));
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

}  // namespace kelvane::cli
