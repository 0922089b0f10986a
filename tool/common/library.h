// The program's link to the device-access library: which file it loads,
// and the exports it calls, bound by name with the types of the library's
// own declarations (kelvane.h), so that they can never drift from it. The
// program links nothing of the library.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "dynload/dynamic_library.h"
#include "kelvane.h"

namespace kelvane::tool {

// The exports the program calls, in the order they are looked up.
#define KELVANE_TOOL_ENTRY_POINTS(X)                                                                                   \
    X(DllInitCustom)                                                                                                   \
    X(GetConnectionStatus) X(GetDevCount) X(SelectDev) X(GetSelectedDevInfo) X(GetSerialNumber) X(GetFirmwareVersion)  \
        X(GetHardwareVersion) X(ResetDevice) X(WriteI2cData) X(ReadI2cData) X(SmbReadBlock) X(GetGpPinConfiguration)   \
            X(SetGpPinConfiguration) X(ReadGpioPinValue) X(GetAdcData) X(GetAdcVoltageReference)                       \
                X(SetAdcVoltageReference) X(GetDacVoltageReference) X(SetDacVoltageReference) X(GetDacValue) X(        \
                    SetDacValue) X(GetUsbVid) X(GetUsbPid) X(SetUsbVidPid) X(GetUsbStringManufacturer)                 \
                    X(SetUsbStringManufacturer) X(GetUsbStringDescriptor) X(SetUsbStringDescriptor) X(SetSerialNumber) \
                        X(GetSerialNumberEnumerationEnable) X(SetSerialNumberEnumerationEnable) X(GetUsbPowerSource)   \
                            X(SetUsbPowerSource) X(GetUsbCurrentRequirement) X(SetUsbCurrentRequirement)               \
                                X(GetUsbRemoteWakeupEnable) X(SetUsbRemoteWakeupEnable) X(GetInitialPinValueLedUartRx) \
                                    X(SetInitialPinValueLedUartRx) X(GetInitialPinValueLedUartTx)                      \
                                        X(SetInitialPinValueLedUartTx) X(GetInitialPinValueLedI2c)                     \
                                            X(SetInitialPinValueLedI2c) X(GetInitialPinValueSspnd)                     \
                                                X(SetInitialPinValueSspnd) X(GetInitialPinValueUsbcfg)                 \
                                                    X(SetInitialPinValueUsbcfg) X(GetInterruptPinMode)                 \
                                                        X(SetInterruptPinMode) X(GetClockPinDividerValue)              \
                                                            X(GetClockPinDutyCycle) X(SetClockPinConfiguration)        \
                                                                X(GetFlashProtectionState) X(SetFlashPermanentLock)    \
                                                                    X(SetFlashPasswordProtection)                      \
                                                                        X(SetFlashProtectionOff)                       \
                                                                            X(EnterAccessPassword)

struct Library {
#define KELVANE_TOOL_ENTRY_POINT_MEMBER(name) decltype(&::name) name = nullptr;
    KELVANE_TOOL_ENTRY_POINTS(KELVANE_TOOL_ENTRY_POINT_MEMBER)
#undef KELVANE_TOOL_ENTRY_POINT_MEMBER
};

// Looks the names up in their order; the first that lookup does not know,
// or null when every one is bound.
const char* BindEntryPoints(const std::function<dynload::AnyEntryPoint(const char* name)>& lookup, Library& library);

// The library's file name, in every folder it is looked for in.
inline constexpr char kLibraryFileName[] = "KelvaneDLL-UM_x86.dll";
// The name that stands for the virtual-chip flavour installed with the
// program (a file of that name is given as ./virtual).
inline constexpr char kVirtualName[] = "virtual";
inline constexpr char kLibraryVariable[] = "KELVANE_LIBRARY";

// Which library file to load.
struct LibraryChoice {
    enum class Kind {
        kDefault,  // beside the program, else ./KelvaneDLL-UM_x86.dll (KelvaneCLI's rule)
        kVirtual,  // the virtual-chip flavour installed with the program
        kFile,     // the file at path
    };
    Kind kind = Kind::kDefault;
    std::string path;
    // Where the choice came from ("--library" or KELVANE_LIBRARY), for messages.
    std::string origin;
};

// --library first, then KELVANE_LIBRARY (an empty value counts as unset),
// else the default rule.
LibraryChoice ChooseLibrary(const std::optional<std::string>& option, const std::optional<std::string>& environment);

// Loads the chosen file and binds the entry points; throws Failure that
// says what was tried.
//
// The virtual-chip flavour is <folder>/virtual/KelvaneDLL-UM_x86.dll, where
// <folder> is the folder of the program's own file (the installed layout,
// <libdir>/kelvane/ and <libdir>/kelvane/virtual/); when that file is not
// there, the folder above it (the build tree, build/bin/ and build/virtual/,
// and a copy of the program inside virtual/ itself).
Library OpenLibrary(const LibraryChoice& choice);

// The value of an environment variable, as UTF-8; nullopt when unset.
std::optional<std::string> EnvironmentVariable(const char* name);

}  // namespace kelvane::tool
