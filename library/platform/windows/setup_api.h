// The SetupAPI calls by which the backend lists HID interfaces, gathered in
// one table so that the enumeration walk can be run on the system's own
// SetupAPI or observed and driven by a test.
#pragma once

#include "platform/windows/win32.h"

#include <setupapi.h>

namespace kelvane::platform::windows {

struct SetupApi {
    decltype(&::SetupDiGetClassDevsW) getClassDevs;
    decltype(&::SetupDiEnumDeviceInterfaces) enumDeviceInterfaces;
    decltype(&::SetupDiGetDeviceInterfaceDetailW) getDeviceInterfaceDetail;
    decltype(&::SetupDiGetDeviceRegistryPropertyW) getDeviceRegistryProperty;
    decltype(&::SetupDiDestroyDeviceInfoList) destroyDeviceInfoList;
};

// The system's SetupAPI (setupapi.dll).
SetupApi SystemSetupApi();

// The HID device-interface class, {4D1E55B2-F16F-11CF-88CB-001111000030}.
inline constexpr GUID kHidInterfaceClass{
    0x4D1E55B2, 0xF16F, 0x11CF, {0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30}};

}  // namespace kelvane::platform::windows
