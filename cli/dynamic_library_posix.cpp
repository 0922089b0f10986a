#ifndef _WIN32

#include <dlfcn.h>

#include "dynamic_library.h"

namespace kelvane::cli {

LoadedLibrary* LoadSharedLibrary(const char* path) {
    // The library's symbols stay local to it: the program reaches them only
    // through the entry points it looks up.
    return static_cast<LoadedLibrary*>(dlopen(path, RTLD_NOW | RTLD_LOCAL));
}

AnyEntryPoint FindEntryPoint(LoadedLibrary* library, const char* name) {
    void* symbol = dlsym(library, name);
    // POSIX guarantees that a function's address survives this conversion.
    return reinterpret_cast<AnyEntryPoint>(symbol);
}

}  // namespace kelvane::cli

#endif
