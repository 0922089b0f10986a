#include "platform/windows/hid_enumeration.h"

#include <cstddef>
#include <cstdint>
#include <new>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "text/utf16.h"
#include "text/wide_text.h"

namespace kelvane::platform::windows {

// ---- Hardware identifiers ---------------------------------------------------

namespace {

bool IsUtf8Continuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

}  // namespace

std::string FirstHardwareId(std::span<const std::uint8_t> property) {
    std::u16string first;
    for (std::size_t at = 0; at + 1 < property.size(); at += 2) {
        // The property is little-endian UTF-16, whatever its alignment.
        const auto unit = static_cast<char16_t>(property[at] | (property[at + 1] << 8));
        if (unit == u'\0') {
            break;
        }
        first.push_back(unit);
        // Enough units for the longest identifier kept, plus one to see
        // whether the last character is a pair.
        if (first.size() > kMaxHardwareIdBytes) {
            break;
        }
    }
    std::string id = text::Utf8FromUtf16Replacing(first);
    if (id.size() > kMaxHardwareIdBytes) {
        std::size_t cut = kMaxHardwareIdBytes;
        while (cut > 0 && IsUtf8Continuation(id[cut])) {
            --cut;
        }
        id.resize(cut);
    }
    return id;
}

// ---- The walk ---------------------------------------------------------------

namespace {

// A set whose identifier list grows between the size query and the read is
// asked again, a few times at most.
constexpr int kPropertyReadAttempts = 3;

constexpr DWORD kDevicePathOffset = offsetof(SP_DEVICE_INTERFACE_DETAIL_DATA_W, DevicePath);

class InfoSetGuard {
public:
    InfoSetGuard(const SetupApi& api, HDEVINFO set) : api_(api), set_(set) {}
    ~InfoSetGuard() { api_.destroyDeviceInfoList(set_); }
    InfoSetGuard(const InfoSetGuard&) = delete;
    InfoSetGuard& operator=(const InfoSetGuard&) = delete;

private:
    const SetupApi& api_;
    HDEVINFO set_;
};

struct InterfaceDetail {
    std::wstring path;
    SP_DEVINFO_DATA device;  // the device element that owns the interface
};

std::optional<InterfaceDetail> ReadDetail(const SetupApi& api, HDEVINFO set,
                                          SP_DEVICE_INTERFACE_DATA& interfaceData) {
    DWORD required = 0;
    if (api.getDeviceInterfaceDetail(set, &interfaceData, nullptr, 0, &required, nullptr) ||
        ::GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
        return std::nullopt;
    }
    if (required <= kDevicePathOffset || required > kMaxRecordBytes) {
        return std::nullopt;
    }
    // Whole 8-byte units keep the record aligned as the system expects.
    std::vector<std::uint64_t> storage((required + 7) / 8);
    auto* bytes = reinterpret_cast<unsigned char*>(storage.data());
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_W*>(bytes);
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_W);
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof(SP_DEVINFO_DATA);
    if (!api.getDeviceInterfaceDetail(set, &interfaceData, detail, required, nullptr, &device)) {
        return std::nullopt;
    }
    // The path ends at its terminator, or with the record if it has none.
    const std::wstring_view units(reinterpret_cast<const wchar_t*>(bytes + kDevicePathOffset),
                                  (required - kDevicePathOffset) / sizeof(wchar_t));
    return InterfaceDetail{std::wstring(units.substr(0, units.find(L'\0'))), device};
}

// The first hardware identifier of a device element; empty when it has none
// or it cannot be read.
std::string ReadHardwareId(const SetupApi& api, HDEVINFO set, SP_DEVINFO_DATA& device) {
    DWORD size = 0;
    if (api.getDeviceRegistryProperty(set, &device, SPDRP_HARDWAREID, nullptr, nullptr, 0, &size) ||
        ::GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
        return {};
    }
    for (int attempt = 0; attempt < kPropertyReadAttempts; ++attempt) {
        if (size == 0 || size > kMaxRecordBytes) {
            return {};
        }
        std::vector<std::uint8_t> property(size);
        DWORD returned = 0;
        if (api.getDeviceRegistryProperty(set, &device, SPDRP_HARDWAREID, nullptr, property.data(), size,
                                          &returned)) {
            const std::size_t valid = returned < size ? returned : size;
            return FirstHardwareId(std::span<const std::uint8_t>(property.data(), valid));
        }
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
            return {};
        }
        size = returned;
    }
    return {};
}

HidInterface ReadInterface(const SetupApi& api, HDEVINFO set, SP_DEVICE_INTERFACE_DATA& interfaceData) {
    std::optional<InterfaceDetail> detail = ReadDetail(api, set, interfaceData);
    if (!detail) {
        return HidInterface{std::string(), std::string(), std::string()};
    }
    std::string hardwareId = ReadHardwareId(api, set, detail->device);
    std::string path = text::Utf8FromWide(detail->path).value_or(std::string());
    return HidInterface{std::move(hardwareId), std::move(path), std::string()};
}

}  // namespace

SetupApi SystemSetupApi() {
    return SetupApi{
        &::SetupDiGetClassDevsW,
        &::SetupDiEnumDeviceInterfaces,
        &::SetupDiGetDeviceInterfaceDetailW,
        &::SetupDiGetDeviceRegistryPropertyW,
        &::SetupDiDestroyDeviceInfoList,
    };
}

std::vector<HidInterface> EnumerateHidInterfaces(const SetupApi& api) {
    std::vector<HidInterface> interfaces;
    const HDEVINFO set = api.getClassDevs(&kHidInterfaceClass, nullptr, nullptr,
                                          DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (set == INVALID_HANDLE_VALUE) {
        return interfaces;
    }
    const InfoSetGuard guard(api, set);
    try {
        for (DWORD index = 0; index < kMaxWalkedInterfaces; ++index) {
            SP_DEVICE_INTERFACE_DATA interfaceData{};
            interfaceData.cbSize = sizeof(SP_DEVICE_INTERFACE_DATA);
            if (!api.enumDeviceInterfaces(set, nullptr, &kHidInterfaceClass, index, &interfaceData)) {
                break;
            }
            interfaces.push_back(ReadInterface(api, set, interfaceData));
        }
    } catch (const std::bad_alloc&) {
        // Memory ran out: the walk stops here; the interfaces listed so far
        // stay listed.
    }
    return interfaces;
}

}  // namespace kelvane::platform::windows
