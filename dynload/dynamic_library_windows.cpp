#ifdef _WIN32

#include <windows.h>

#include <cstring>
#include <string>

#include "dynload/beside_program.h"
#include "dynload/dynamic_library.h"

namespace kelvane::dynload {
namespace {

// The UTF-8 text as UTF-16 (ASCII comes out character by character); bytes
// that are no UTF-8 become U+FFFD.
std::wstring Widen(const char* text) {
    const int bytes = static_cast<int>(std::strlen(text));
    if (bytes == 0) {
        return {};
    }
    const int length = MultiByteToWideChar(CP_UTF8, 0, text, bytes, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text, bytes, wide.data(), length);
    return wide;
}

// The full path of the program's own file, or empty. The buffer grows until
// the path fits, up to the longest path the system has (32,767 characters).
std::wstring RunningProgramFile() {
    constexpr DWORD kLongestPath = 32768;
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD capacity = static_cast<DWORD>(path.size());
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), capacity);
        if (length == 0) {
            return {};
        }
        if (length < capacity) {
            path.resize(length);
            return path;
        }
        // Cut to the buffer: try again with a larger one.
        if (capacity >= kLongestPath) {
            return {};
        }
        path.resize(capacity * 2 < kLongestPath ? capacity * 2 : kLongestPath);
    }
}

// A file of that name exists, or its absence cannot be shown.
bool FilePresent(const std::wstring& path) {
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) {
        return true;
    }
    const DWORD error = GetLastError();
    return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

}  // namespace

LoadedLibrary* LoadSharedLibrary(const char* path) {
    return reinterpret_cast<LoadedLibrary*>(LoadLibraryW(Widen(path).c_str()));
}

BesideProgramLookup LoadBesideProgram(const char* fileName, unsigned levelsUp) {
    const std::wstring path = WindowsPathBesideProgram(RunningProgramFile(), Widen(fileName), levelsUp);
    BesideProgramLookup lookup;
    if (path.empty() || !FilePresent(path)) {
        return lookup;
    }
    lookup.present = true;
    lookup.library = reinterpret_cast<LoadedLibrary*>(LoadLibraryW(path.c_str()));
    return lookup;
}

AnyEntryPoint FindEntryPoint(LoadedLibrary* library, const char* name) {
    const FARPROC procedure = GetProcAddress(reinterpret_cast<HMODULE>(library), name);
    return reinterpret_cast<AnyEntryPoint>(procedure);
}

}  // namespace kelvane::dynload

#endif
