// Loading of a shared library at run time and lookup of its functions by
// name: dlopen/dlsym on POSIX systems, LoadLibraryW/GetProcAddress on
// Windows. A loaded library is never unloaded; the process exit releases it.
#pragma once

namespace kelvane::cli {

// Any function of the library, before it is given its real type.
using AnyEntryPoint = void (*)();

// An opaque handle of a loaded library.
struct LoadedLibrary;

// Loads the library file at path (ASCII), resolving every symbol at once.
// Null when the file cannot be loaded.
LoadedLibrary* LoadSharedLibrary(const char* path);

// What a look for a library file in the running program's own folder found.
struct BesideProgramLookup {
    // A file (or link) of that name is there; also true when its presence
    // cannot be ruled out.
    bool present = false;
    // The library when it was present and could be loaded, else null.
    LoadedLibrary* library = nullptr;
};

// Looks for fileName (ASCII) in the folder that holds the running program's
// own file and loads it when it is there. Linux: the folder of
// /proc/self/exe, with every symbolic link resolved; Windows: the folder of
// GetModuleFileNameW, long paths included. Not present where the program's
// file cannot be found.
BesideProgramLookup LoadBesideProgram(const char* fileName);

// The function of that name, or null.
AnyEntryPoint FindEntryPoint(LoadedLibrary* library, const char* name);

}  // namespace kelvane::cli
