#ifndef _WIN32

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "binding/beside_program.h"
#include "binding/dynamic_library.h"

namespace kelvane::cli {
namespace {

// The running program's own file with every symbolic link resolved, or empty
// when the system does not tell it.
std::string RunningProgramFile() {
#ifdef __linux__
    constexpr std::size_t kLongestPath = std::size_t{1} << 20;
    std::string path(256, '\0');
    for (;;) {
        const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
        if (length < 0) {
            return {};
        }
        if (static_cast<std::size_t>(length) < path.size()) {
            path.resize(static_cast<std::size_t>(length));
            return path;
        }
        // The link may have been cut to the buffer: try again with a larger one.
        if (path.size() >= kLongestPath) {
            return {};
        }
        path.resize(path.size() * 2);
    }
#else
    return {};
#endif
}

// A directory entry of that name exists (a dangling link counts), or its
// absence cannot be shown.
bool EntryPresent(const std::string& path) {
    struct stat status {};
    if (lstat(path.c_str(), &status) == 0) {
        return true;
    }
    return errno != ENOENT && errno != ENOTDIR;
}

}  // namespace

LoadedLibrary* LoadSharedLibrary(const char* path) {
    // The library's symbols stay local to it: the program reaches them only
    // through the entry points it looks up.
    return static_cast<LoadedLibrary*>(dlopen(path, RTLD_NOW | RTLD_LOCAL));
}

BesideProgramLookup LoadBesideProgram(const char* fileName) {
    const std::string path = PathBesideProgram(RunningProgramFile(), fileName);
    BesideProgramLookup lookup;
    if (path.empty() || !EntryPresent(path)) {
        return lookup;
    }
    lookup.present = true;
    lookup.library = LoadSharedLibrary(path.c_str());
    return lookup;
}

AnyEntryPoint FindEntryPoint(LoadedLibrary* library, const char* name) {
    void* symbol = dlsym(library, name);
    // POSIX guarantees that a function's address survives this conversion.
    return reinterpret_cast<AnyEntryPoint>(symbol);
}

}  // namespace kelvane::cli

#endif
