#ifdef _WIN32

#include <windows.h>

#include <string>

#include "binding/beside_program.h"
#include "binding/dynamic_library.h"

namespace kelvane::cli {
namespace {

// The ASCII text widened character by character.
std::wstring Widen(const char* text) {
    std::wstring wide;
    for (const char* p = text; *p != '\0'; ++p) {
        wide.push_back(static_cast<wchar_t>(static_cast<unsigned char>(*p)));
    }
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

BesideProgramLookup LoadBesideProgram(const char* fileName) {
    const std::wstring path = WindowsPathBesideProgram(RunningProgramFile(), Widen(fileName));
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

}  // namespace kelvane::cli

#endif
