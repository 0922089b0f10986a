// The 17 entry points of the device-access library that KelvaneCLI binds by
// name at start-up. Their types come from the library's own declarations, so
// that they can never drift from it; the program links nothing of the
// library and reaches it only through these pointers.
#pragma once

#include <functional>

#include "binding/dynamic_library.h"
#include "kelvane.h"

namespace kelvane::cli {

// The library's file name, looked for first in the folder of the program's
// own file.
inline constexpr char kLibraryFileName[] = "KelvaneDLL-UM_x86.dll";
// The library file relative to the current working directory, where it is
// looked for only when the program's folder has no file of that name.
inline constexpr char kLibraryFile[] = "./KelvaneDLL-UM_x86.dll";

struct LibraryBinding {
    decltype(&::DllInitCustom) DllInitCustom = nullptr;
    decltype(&::DllInit) DllInit = nullptr;
    decltype(&::GetConnectionStatus) GetConnectionStatus = nullptr;
    decltype(&::GetFirmwareVersion) GetFirmwareVersion = nullptr;
    decltype(&::GetHardwareVersion) GetHardwareVersion = nullptr;
    decltype(&::GetDevCount) GetDevCount = nullptr;
    decltype(&::GetSelectedDevNumber) GetSelectedDevNumber = nullptr;
    decltype(&::GetSelectedDevInfo) GetSelectedDevInfo = nullptr;
    decltype(&::SelectDev) SelectDev = nullptr;
    decltype(&::SmbWriteBlock) SmbWriteBlock = nullptr;
    decltype(&::SmbReadBlock) SmbReadBlock = nullptr;
    decltype(&::GetSerialNumber) GetSerialNumber = nullptr;
    decltype(&::ReadI2cData) ReadI2cData = nullptr;
    decltype(&::WriteI2cData) WriteI2cData = nullptr;
    decltype(&::GetGpPinConfiguration) GetGpPinConfiguration = nullptr;
    decltype(&::SetGpPinConfiguration) SetGpPinConfiguration = nullptr;
    decltype(&::ReadGpioPinValue) ReadGpioPinValue = nullptr;
};

enum BindResult : int {
    kBindOk = 0,
    kBindFileNotLoadable = -1,
    kBindNameMissing = -20,
};

// Looks up the 17 names in their fixed order through lookup and stops at the
// first that is missing (kBindNameMissing). All must resolve, also those
// that the program never calls.
int BindEntryPoints(const std::function<AnyEntryPoint(const char* name)>& lookup, LibraryBinding& binding);

// Loads the library and binds its entry points: kBindOk,
// kBindFileNotLoadable or kBindNameMissing. The file beside the program
// comes first; when one is there, it decides, and the working directory is
// never tried. Otherwise kLibraryFile is loaded. The library stays loaded
// until the process ends.
int BindLibrary(LibraryBinding& binding);

}  // namespace kelvane::cli
