#include "binding/library_binding.h"

namespace kelvane::cli {
namespace {

// Resolves one name into a pointer of its declared type.
template <typename Pointer>
bool Resolve(const std::function<AnyEntryPoint(const char*)>& lookup, const char* name, Pointer& pointer) {
    const AnyEntryPoint entry = lookup(name);
    pointer = reinterpret_cast<Pointer>(entry);
    return entry != nullptr;
}

}  // namespace

int BindEntryPoints(const std::function<AnyEntryPoint(const char* name)>& lookup, LibraryBinding& b) {
    const bool bound = Resolve(lookup, "DllInitCustom", b.DllInitCustom) &&
                       Resolve(lookup, "DllInit", b.DllInit) &&
                       Resolve(lookup, "GetConnectionStatus", b.GetConnectionStatus) &&
                       Resolve(lookup, "GetFirmwareVersion", b.GetFirmwareVersion) &&
                       Resolve(lookup, "GetHardwareVersion", b.GetHardwareVersion) &&
                       Resolve(lookup, "GetDevCount", b.GetDevCount) &&
                       Resolve(lookup, "GetSelectedDevNumber", b.GetSelectedDevNumber) &&
                       Resolve(lookup, "GetSelectedDevInfo", b.GetSelectedDevInfo) &&
                       Resolve(lookup, "SelectDev", b.SelectDev) &&
                       Resolve(lookup, "SmbWriteBlock", b.SmbWriteBlock) &&
                       Resolve(lookup, "SmbReadBlock", b.SmbReadBlock) &&
                       Resolve(lookup, "GetSerialNumber", b.GetSerialNumber) &&
                       Resolve(lookup, "ReadI2cData", b.ReadI2cData) &&
                       Resolve(lookup, "WriteI2cData", b.WriteI2cData) &&
                       Resolve(lookup, "GetGpPinConfiguration", b.GetGpPinConfiguration) &&
                       Resolve(lookup, "SetGpPinConfiguration", b.SetGpPinConfiguration) &&
                       Resolve(lookup, "ReadGpioPinValue", b.ReadGpioPinValue);
    return bound ? kBindOk : kBindNameMissing;
}

int BindLibrary(LibraryBinding& binding) {
    // The folder the user happens to work in must not supply the code the
    // program runs while the program's own folder has a library: a file
    // there that cannot be loaded is a failure, not a reason to try the
    // working directory.
    const BesideProgramLookup beside = LoadBesideProgram(kLibraryFileName);
    LoadedLibrary* library = beside.present ? beside.library : LoadSharedLibrary(kLibraryFile);
    if (library == nullptr) {
        return kBindFileNotLoadable;
    }
    return BindEntryPoints([library](const char* name) { return FindEntryPoint(library, name); }, binding);
}

}  // namespace kelvane::cli
