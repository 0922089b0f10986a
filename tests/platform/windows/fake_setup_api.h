// A SetupAPI that presents a device-information set the test describes:
// device elements with their hardware identifiers, and interfaces with their
// paths and the device element that owns each. Like the system's, it
// refuses records whose size field is not the size of the record.
#pragma once

#include "platform/windows/win32.h"

#include <setupapi.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/windows/hid_enumeration.h"

namespace kelvane::testing {

struct FakeDeviceElement {
    DWORD devInst = 0;
    // The raw SPDRP_HARDWAREID property; empty: the element has none.
    std::vector<std::uint8_t> hardwareIds;
    // When set, the size query answers this instead of the real size.
    DWORD reportedSize = 0;
};

struct FakeInterface {
    std::wstring path;
    DWORD ownerDevInst = 0;
    bool detailFails = false;
};

struct FakeSet {
    std::vector<FakeDeviceElement> devices;
    std::vector<FakeInterface> interfaces;
    bool refuseSet = false;
    bool endless = false;  // interfaces at every position (copies of the first)
    int setsTaken = 0;
    int setsDestroyed = 0;
    std::vector<DWORD> propertyQueries;  // devInst of every identifier query
};

// A REG_MULTI_SZ list: each string terminated, then an empty one.
inline std::vector<std::uint8_t> MultiString(const std::vector<std::wstring>& strings) {
    std::vector<std::uint8_t> bytes;
    auto append = [&bytes](wchar_t unit) {
        bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>((unit >> 8) & 0xFF));
    };
    for (const std::wstring& s : strings) {
        for (const wchar_t unit : s) {
            append(unit);
        }
        append(L'\0');
    }
    append(L'\0');
    return bytes;
}

inline FakeSet* g_fakeSet = nullptr;
inline const HDEVINFO kFakeSetHandle = reinterpret_cast<HDEVINFO>(static_cast<std::intptr_t>(0x5E7));

inline HDEVINFO WINAPI FakeGetClassDevs(const GUID*, PCWSTR, HWND, DWORD) {
    if (g_fakeSet->refuseSet) {
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    ++g_fakeSet->setsTaken;
    return kFakeSetHandle;
}

inline BOOL WINAPI FakeEnumDeviceInterfaces(HDEVINFO set, PSP_DEVINFO_DATA, const GUID*, DWORD index,
                                               PSP_DEVICE_INTERFACE_DATA data) {
    if (set != kFakeSetHandle || data->cbSize != sizeof(SP_DEVICE_INTERFACE_DATA)) {
        ::SetLastError(ERROR_INVALID_USER_BUFFER);
        return FALSE;
    }
    if (!g_fakeSet->endless && index >= g_fakeSet->interfaces.size()) {
        ::SetLastError(ERROR_NO_MORE_ITEMS);
        return FALSE;
    }
    data->Reserved = g_fakeSet->endless ? 0 : index;
    return TRUE;
}

inline BOOL WINAPI FakeGetDeviceInterfaceDetail(HDEVINFO, PSP_DEVICE_INTERFACE_DATA data,
                                                   PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail, DWORD size,
                                                   PDWORD required, PSP_DEVINFO_DATA device) {
    const FakeInterface& iface = g_fakeSet->interfaces.at(data->Reserved);
    if (iface.detailFails) {
        ::SetLastError(ERROR_NO_SUCH_DEVINST);
        return FALSE;
    }
    const DWORD needed = static_cast<DWORD>(offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath) +
                                            (iface.path.size() + 1) * sizeof(wchar_t));
    if (required != nullptr) {
        *required = needed;
    }
    if (detail == nullptr || size < needed) {
        ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    if (detail->cbSize != sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W) ||
        (device != nullptr && device->cbSize != sizeof(SP_DEVINFO_DATA))) {
        ::SetLastError(ERROR_INVALID_USER_BUFFER);
        return FALSE;
    }
    wchar_t* path = detail->DevicePath;
    for (std::size_t i = 0; i < iface.path.size(); ++i) {
        path[i] = iface.path[i];
    }
    path[iface.path.size()] = L'\0';
    if (device != nullptr) {
        device->DevInst = iface.ownerDevInst;
    }
    return TRUE;
}

inline BOOL WINAPI FakeGetDeviceRegistryProperty(HDEVINFO, PSP_DEVINFO_DATA device, DWORD property,
                                                    PDWORD type, PBYTE buffer, DWORD size, PDWORD required) {
    if (device->cbSize != sizeof(SP_DEVINFO_DATA)) {
        ::SetLastError(ERROR_INVALID_USER_BUFFER);
        return FALSE;
    }
    g_fakeSet->propertyQueries.push_back(device->DevInst);
    const FakeDeviceElement* found = nullptr;
    for (const FakeDeviceElement& element : g_fakeSet->devices) {
        if (element.devInst == device->DevInst) {
            found = &element;
        }
    }
    if (found == nullptr || property != SPDRP_HARDWAREID || found->hardwareIds.empty()) {
        ::SetLastError(ERROR_INVALID_DATA);
        return FALSE;
    }
    const DWORD actual = static_cast<DWORD>(found->hardwareIds.size());
    if (required != nullptr) {
        *required = found->reportedSize != 0 ? found->reportedSize : actual;
    }
    if (type != nullptr) {
        *type = REG_MULTI_SZ;
    }
    if (buffer == nullptr || size < actual) {
        ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    for (DWORD i = 0; i < actual; ++i) {
        buffer[i] = found->hardwareIds[i];
    }
    if (required != nullptr) {
        *required = actual;
    }
    return TRUE;
}

inline BOOL WINAPI FakeDestroyDeviceInfoList(HDEVINFO set) {
    if (set == kFakeSetHandle) {
        ++g_fakeSet->setsDestroyed;
    }
    return TRUE;
}

inline platform::windows::SetupApi FakeSetupApi() {
    return platform::windows::SetupApi{&FakeGetClassDevs, &FakeEnumDeviceInterfaces, &FakeGetDeviceInterfaceDetail,
                                       &FakeGetDeviceRegistryProperty, &FakeDestroyDeviceInfoList};
}

// Installs a fake set for the life of the object.
class FakeSetScope {
public:
    explicit FakeSetScope(FakeSet& set) { g_fakeSet = &set; }
    ~FakeSetScope() { g_fakeSet = nullptr; }
    FakeSetScope(const FakeSetScope&) = delete;
    FakeSetScope& operator=(const FakeSetScope&) = delete;
};

}  // namespace kelvane::testing
