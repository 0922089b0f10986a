// Loading of a shared library at run time and lookup of its functions by
// name: dlopen/dlsym on POSIX systems, LoadLibraryW/GetProcAddress on
// Windows. A loaded library is never unloaded; the process exit releases it.
// Shared by the programs that reach the device-access library only through
// its exports (KelvaneCLI and kelvane).
#pragma once

namespace kelvane::dynload {

// Any function of the library, before it is given its real type.
using AnyEntryPoint = void (*)();

// An opaque handle of a loaded library.
struct LoadedLibrary;

// Loads the library file at path (UTF-8; on POSIX systems the bytes are
// passed on as they are), resolving every symbol at once. Null when the file
// cannot be loaded.
LoadedLibrary* LoadSharedLibrary(const char* path);

// What a look for a library file in the running program's own folder found.
struct BesideProgramLookup {
    // A file (or link) of that name is there; also true when its presence
    // cannot be ruled out.
    bool present = false;
    // The library when it was present and could be loaded, else null.
    LoadedLibrary* library = nullptr;
};

// Looks for fileName (ASCII, a relative path whose separator is '/') in the
// folder that holds the running program's own file, or in the folder
// levelsUp levels above it, and loads it when it is there. Linux: the folder
// of /proc/self/exe, with every symbolic link resolved; Windows: the folder
// of GetModuleFileNameW, long paths included. Not present where the
// program's file cannot be found or has fewer folders above it.
BesideProgramLookup LoadBesideProgram(const char* fileName, unsigned levelsUp = 0);

// The function of that name, or null.
AnyEntryPoint FindEntryPoint(LoadedLibrary* library, const char* name);

}  // namespace kelvane::dynload
