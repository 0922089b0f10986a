#ifdef _WIN32

#include <windows.h>

#include <string>

#include "dynamic_library.h"

namespace kelvane::cli {

LoadedLibrary* LoadSharedLibrary(const char* path) {
    // The path is ASCII: widen it character by character.
    std::wstring widePath;
    for (const char* p = path; *p != '\0'; ++p) {
        widePath.push_back(static_cast<wchar_t>(static_cast<unsigned char>(*p)));
    }
    return reinterpret_cast<LoadedLibrary*>(LoadLibraryW(widePath.c_str()));
}

AnyEntryPoint FindEntryPoint(LoadedLibrary* library, const char* name) {
    const FARPROC procedure = GetProcAddress(reinterpret_cast<HMODULE>(library), name);
    return reinterpret_cast<AnyEntryPoint>(procedure);
}

}  // namespace kelvane::cli

#endif
