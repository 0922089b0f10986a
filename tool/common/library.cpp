#include "common/library.h"

#include <cstdlib>
#include <string>

#include "common/failure.h"

#ifdef _WIN32
#include "text/wide_text.h"
#endif

namespace kelvane::tool {
namespace {

// Resolves one name into a pointer of its declared type.
template <typename Pointer>
bool Resolve(const std::function<dynload::AnyEntryPoint(const char*)>& lookup, const char* name, Pointer& pointer) {
    const dynload::AnyEntryPoint entry = lookup(name);
    pointer = reinterpret_cast<Pointer>(entry);
    return entry != nullptr;
}

LibraryChoice ChoiceOf(const std::string& value, const char* origin) {
    if (value == kVirtualName) {
        return {LibraryChoice::Kind::kVirtual, {}, origin};
    }
    return {LibraryChoice::Kind::kFile, value, origin};
}

const std::string kVirtualFile = std::string(kVirtualName) + "/" + kLibraryFileName;

dynload::LoadedLibrary* LoadVirtual() {
    for (unsigned levelsUp = 0; levelsUp <= 1; ++levelsUp) {
        const dynload::BesideProgramLookup lookup = dynload::LoadBesideProgram(kVirtualFile.c_str(), levelsUp);
        if (lookup.present) {
            if (lookup.library == nullptr) {
                throw Failure("cannot load the virtual-chip flavour " + kVirtualFile +
                              (levelsUp == 0 ? " beside the program" : " above the program's folder"));
            }
            return lookup.library;
        }
    }
    throw Failure("no virtual-chip flavour: " + kVirtualFile +
                  " is neither in the program's folder nor in the folder above it");
}

dynload::LoadedLibrary* LoadDefault() {
    const dynload::BesideProgramLookup beside = dynload::LoadBesideProgram(kLibraryFileName);
    if (beside.present) {
        // A file there decides: the working directory is never tried then.
        if (beside.library == nullptr) {
            throw Failure(std::string("cannot load ") + kLibraryFileName + " beside the program");
        }
        return beside.library;
    }
    const std::string local = std::string("./") + kLibraryFileName;
    dynload::LoadedLibrary* library = dynload::LoadSharedLibrary(local.c_str());
    if (library == nullptr) {
        throw Failure(std::string("cannot load ") + kLibraryFileName +
                      ": not beside the program, nor in the current directory (use --library PATH)");
    }
    return library;
}

}  // namespace

const char* BindEntryPoints(const std::function<dynload::AnyEntryPoint(const char* name)>& lookup, Library& library) {
#define KELVANE_TOOL_RESOLVE(name)               \
    if (!Resolve(lookup, #name, library.name)) { \
        return #name;                            \
    }
    KELVANE_TOOL_ENTRY_POINTS(KELVANE_TOOL_RESOLVE)
#undef KELVANE_TOOL_RESOLVE
    return nullptr;
}

LibraryChoice ChooseLibrary(const std::optional<std::string>& option, const std::optional<std::string>& environment) {
    if (option) {
        return ChoiceOf(*option, "--library");
    }
    if (environment && !environment->empty()) {
        return ChoiceOf(*environment, kLibraryVariable);
    }
    return {};
}

Library OpenLibrary(const LibraryChoice& choice) {
    dynload::LoadedLibrary* loaded = nullptr;
    std::string name;
    switch (choice.kind) {
        case LibraryChoice::Kind::kDefault:
            loaded = LoadDefault();
            name = kLibraryFileName;
            break;
        case LibraryChoice::Kind::kVirtual:
            loaded = LoadVirtual();
            name = "the virtual-chip flavour";
            break;
        case LibraryChoice::Kind::kFile:
            loaded = dynload::LoadSharedLibrary(choice.path.c_str());
            name = choice.path;
            if (loaded == nullptr) {
                throw Failure("cannot load " + choice.path + " (" + choice.origin + ")");
            }
            break;
    }
    Library library;
    const char* missing =
        BindEntryPoints([loaded](const char* entry) { return dynload::FindEntryPoint(loaded, entry); }, library);
    if (missing != nullptr) {
        throw Failure(name + " is not the Kelvane library: it has no " + missing);
    }
    return library;
}

std::optional<std::string> EnvironmentVariable(const char* name) {
#ifdef _WIN32
    const wchar_t* value = _wgetenv(text::WideFromUtf8Replacing(name).c_str());
    if (value == nullptr) {
        return std::nullopt;
    }
    return text::Utf8FromWideReplacing(value);
#else
    const char* value = std::getenv(name);
    if (value == nullptr) {
        return std::nullopt;
    }
    return std::string(value);
#endif
}

}  // namespace kelvane::tool
