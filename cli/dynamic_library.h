// Loading of a shared library at run time and lookup of its functions by
// name: dlopen/dlsym on POSIX systems, LoadLibraryW/GetProcAddress on
// Windows. A loaded library is never unloaded; the process exit releases it.
#ifndef KELVANE_CLI_DYNAMIC_LIBRARY_H
#define KELVANE_CLI_DYNAMIC_LIBRARY_H

namespace kelvane::cli {

// Any function of the library, before it is given its real type.
using AnyEntryPoint = void (*)();

// An opaque handle of a loaded library.
struct LoadedLibrary;

// Loads the library file at path (ASCII), resolving every symbol at once.
// Null when the file cannot be loaded.
LoadedLibrary* LoadSharedLibrary(const char* path);

// The function of that name, or null.
AnyEntryPoint FindEntryPoint(LoadedLibrary* library, const char* name);

}  // namespace kelvane::cli

#endif
