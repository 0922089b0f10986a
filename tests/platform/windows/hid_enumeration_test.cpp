// The walk over HID interfaces: on a set the test describes (device elements
// that do not line up with interfaces, records that cannot be read), on the
// system's own SetupAPI, and through the library's scan.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/library_state.h"
#include "kelvane.h"
#include "platform/windows/fake_setup_api.h"
#include "platform/windows/hid_enumeration.h"
#include "platform/windows/windows_platform.h"

namespace kelvane::platform::windows {
namespace {

using kelvane::testing::FakeSet;
using kelvane::testing::FakeSetScope;
using kelvane::testing::FakeSetupApi;
using kelvane::testing::MultiString;

const std::wstring kChipAPath = L"\\\\?\\hid#vid_1209&pid_4b56#0&kv000001&0&0#{4d1e55b2-f16f-11cf-88cb-001111000030}";
const std::wstring kChipBPath = L"\\\\?\\hid#vid_1209&pid_4b56#0&kv000002&0&0#{4d1e55b2-f16f-11cf-88cb-001111000030}";
const std::wstring kMousePath = L"\\\\?\\hid#vid_845e&pid_0001#0&0000&0&0#{4d1e55b2-f16f-11cf-88cb-001111000030}";

std::vector<std::uint8_t> ChipIds(const std::wstring& serial) {
    return MultiString({L"HID\\VID_1209&PID_4B56\\0&" + serial + L"&0&0", L"HID\\VID_1209&UP:FF00_U:0001"});
}

std::string Narrow(const std::wstring& ascii) {
    return std::string(ascii.begin(), ascii.end());
}

// Two chips and wine's mouse are present; the set also keeps the element of
// a chip seen earlier and unplugged since, which has no interface. Device
// elements and interfaces do not line up by position.
FakeSet ChipsAfterAReplug() {
    FakeSet set;
    set.devices = {
        {10, ChipIds(L"KV000009"), 0},
        {11, ChipIds(L"KV000001"), 0},
        {12, ChipIds(L"KV000002"), 0},
        {13, MultiString({L"HID\\VID_845E&PID_0001\\0&0000&0&0"}), 0},
    };
    set.interfaces = {{kChipAPath, 11, false}, {kChipBPath, 12, false}, {kMousePath, 13, false}};
    return set;
}

class LibraryOnPlatform {
public:
    explicit LibraryOnPlatform(Platform& platform) { SetActivePlatform(&platform); }
    ~LibraryOnPlatform() {
        DllInitCustom(0, 0);  // closes what the scans opened
        SetActivePlatform(nullptr);
    }
    LibraryOnPlatform(const LibraryOnPlatform&) = delete;
    LibraryOnPlatform& operator=(const LibraryOnPlatform&) = delete;
};

std::string SelectedPath() {
    char buffer[256] = {};
    GetSelectedDevInfo(buffer);
    return buffer;
}

TEST(HidEnumeration, HardwareIdComesFromTheDeviceElementThatOwnsTheInterface) {
    FakeSet set = ChipsAfterAReplug();
    const FakeSetScope scope(set);
    const std::vector<HidInterface> interfaces = EnumerateHidInterfaces(FakeSetupApi());
    ASSERT_EQ(interfaces.size(), 3U);
    EXPECT_EQ(interfaces[0].hardwareId, "HID\\VID_1209&PID_4B56\\0&KV000001&0&0");
    EXPECT_EQ(interfaces[0].path, Narrow(kChipAPath));
    EXPECT_EQ(interfaces[1].hardwareId, "HID\\VID_1209&PID_4B56\\0&KV000002&0&0");
    EXPECT_EQ(interfaces[1].path, Narrow(kChipBPath));
    EXPECT_EQ(interfaces[2].hardwareId, "HID\\VID_845E&PID_0001\\0&0000&0&0");
    EXPECT_EQ(interfaces[2].path, Narrow(kMousePath));
    EXPECT_EQ(set.propertyQueries, (std::vector<DWORD>{11, 11, 12, 12, 13, 13}))
        << "each identifier is asked once for its size and once for its content";
    EXPECT_EQ(set.setsTaken, 1);
    EXPECT_EQ(set.setsDestroyed, 1);
}

TEST(HidEnumeration, LibraryCountsOnlyThePresentChipsWhenElementsAndInterfacesDoNotLineUp) {
    FakeSet set = ChipsAfterAReplug();
    const FakeSetScope scope(set);
    WindowsPlatform platform(FakeSetupApi());
    const LibraryOnPlatform library(platform);
    DllInitCustom(0x1209, 0x4B56);
    // The paths cannot be opened here; the scan lists the chips all the same.
    EXPECT_EQ(GetConnectionStatus(), 1);
    EXPECT_EQ(GetDevCount(), 2);
    EXPECT_EQ(SelectedPath(), Narrow(kChipAPath));
    ASSERT_EQ(SelectDev(1), 0);
    EXPECT_EQ(SelectedPath(), Narrow(kChipBPath));
    EXPECT_EQ(SelectDev(2), KELVANE_E_SELECT_INDEX) << "the mouse is not a third chip";
    EXPECT_EQ(set.setsTaken, set.setsDestroyed);
}

TEST(HidEnumeration, UnreadableInterfacesMatchNothingAndTheWalkGoesOn) {
    FakeSet set;
    set.devices = {
        {20, {}, 0},                                   // no hardware identifier at all
        {21, ChipIds(L"KV000001"), 0x7FFFFFFF},        // a size beyond reason
        {22, ChipIds(L"KV000002"), 0},
        {23, ChipIds(L"KV000003"), 0},
        {24, {0x48, 0x00, 0x49}, 0},                   // "H", then an odd byte
        {25, ChipIds(L"KV000005"), 0},
    };
    std::wstring loneSurrogatePath = kChipBPath;
    loneSurrogatePath[20] = static_cast<wchar_t>(0xD800);
    set.interfaces = {
        {L"\\\\?\\hid#a", 20, false},
        {L"\\\\?\\hid#b", 21, false},
        {kChipAPath, 22, true},  // gone between listing and reading
        {loneSurrogatePath, 23, false},
        {L"\\\\?\\hid#e", 24, false},
        {kChipBPath, 25, false},
    };
    const FakeSetScope scope(set);
    const std::vector<HidInterface> interfaces = EnumerateHidInterfaces(FakeSetupApi());
    ASSERT_EQ(interfaces.size(), 6U);
    EXPECT_EQ(interfaces[0].hardwareId, "");
    EXPECT_EQ(interfaces[1].hardwareId, "");
    EXPECT_EQ(interfaces[2].hardwareId, "");
    EXPECT_EQ(interfaces[2].path, "");
    EXPECT_EQ(interfaces[3].hardwareId, "HID\\VID_1209&PID_4B56\\0&KV000003&0&0");
    EXPECT_EQ(interfaces[3].path, "") << "a path that cannot be converted back is not offered";
    EXPECT_EQ(interfaces[4].hardwareId, "H");
    EXPECT_EQ(interfaces[5].hardwareId, "HID\\VID_1209&PID_4B56\\0&KV000005&0&0");
    EXPECT_EQ(interfaces[5].path, Narrow(kChipBPath));

    WindowsPlatform platform(FakeSetupApi());
    const LibraryOnPlatform library(platform);
    DllInitCustom(0x1209, 0x4B56);
    GetConnectionStatus();
    EXPECT_EQ(GetDevCount(), 1);
    EXPECT_EQ(SelectedPath(), Narrow(kChipBPath));
    EXPECT_EQ(set.setsTaken, set.setsDestroyed);
}

TEST(HidEnumeration, RefusedSetListsNothingAndEndlessSetIsCutShort) {
    FakeSet refused;
    refused.refuseSet = true;
    {
        const FakeSetScope scope(refused);
        EXPECT_TRUE(EnumerateHidInterfaces(FakeSetupApi()).empty());
    }
    EXPECT_EQ(refused.setsDestroyed, 0) << "nothing was taken, nothing is released";

    FakeSet endless;
    endless.endless = true;
    endless.devices = {{30, ChipIds(L"KV000001"), 0}};
    endless.interfaces = {{kChipAPath, 30, false}};
    const FakeSetScope scope(endless);
    EXPECT_EQ(EnumerateHidInterfaces(FakeSetupApi()).size(), kMaxWalkedInterfaces);
    EXPECT_EQ(endless.setsDestroyed, 1);
}

// The system's SetupAPI, observed: every call is passed on unchanged, and
// what the walk hands to it is recorded.
struct Observed {
    int setsTaken = 0;
    int setsDestroyed = 0;
    HDEVINFO lastSet = nullptr;
    std::vector<DWORD> interfaceRecordSizes;
    std::vector<DWORD> detailRecordSizes;
    std::vector<DWORD> elementRecordSizes;
    std::vector<DWORD> ownersFilledIn;
    std::vector<DWORD> identifierQueries;
};
Observed g_observed;

HDEVINFO WINAPI ObservedGetClassDevs(const GUID* guid, PCWSTR enumerator, HWND window, DWORD flags) {
    const HDEVINFO set = ::SetupDiGetClassDevsW(guid, enumerator, window, flags);
    if (set != INVALID_HANDLE_VALUE) {
        ++g_observed.setsTaken;
        g_observed.lastSet = set;
    }
    return set;
}

BOOL WINAPI ObservedEnumDeviceInterfaces(HDEVINFO set, PSP_DEVINFO_DATA device, const GUID* guid, DWORD index,
                                            PSP_DEVICE_INTERFACE_DATA data) {
    g_observed.interfaceRecordSizes.push_back(data->cbSize);
    return ::SetupDiEnumDeviceInterfaces(set, device, guid, index, data);
}

BOOL WINAPI ObservedGetDetail(HDEVINFO set, PSP_DEVICE_INTERFACE_DATA data,
                                 PSP_DEVICE_INTERFACE_DETAIL_DATA_W detail, DWORD size, PDWORD required,
                                 PSP_DEVINFO_DATA device) {
    if (detail != nullptr) {
        g_observed.detailRecordSizes.push_back(detail->cbSize);
    }
    if (device != nullptr) {
        g_observed.elementRecordSizes.push_back(device->cbSize);
    }
    const BOOL ok = ::SetupDiGetDeviceInterfaceDetailW(set, data, detail, size, required, device);
    const DWORD error = ::GetLastError();
    if (ok && device != nullptr) {
        g_observed.ownersFilledIn.push_back(device->DevInst);
    }
    ::SetLastError(error);
    return ok;
}

BOOL WINAPI ObservedGetProperty(HDEVINFO set, PSP_DEVINFO_DATA device, DWORD property, PDWORD type, PBYTE buffer,
                                   DWORD size, PDWORD required) {
    g_observed.elementRecordSizes.push_back(device->cbSize);
    g_observed.identifierQueries.push_back(device->DevInst);
    return ::SetupDiGetDeviceRegistryPropertyW(set, device, property, type, buffer, size, required);
}

BOOL WINAPI ObservedDestroy(HDEVINFO set) {
    if (set == g_observed.lastSet) {
        ++g_observed.setsDestroyed;
    }
    return ::SetupDiDestroyDeviceInfoList(set);
}

SetupApi ObservedSystemSetupApi() {
    return SetupApi{&ObservedGetClassDevs, &ObservedEnumDeviceInterfaces, &ObservedGetDetail, &ObservedGetProperty,
                    &ObservedDestroy};
}

bool RunningUnderWine() {
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

int WineDevicesIn(const std::vector<HidInterface>& interfaces) {
    int count = 0;
    for (const HidInterface& iface : interfaces) {
        count += iface.hardwareId && StartsWith(*iface.hardwareId, "HID\\VID_845E&PID_000") ? 1 : 0;
    }
    return count;
}

// Tests on the system's own HID devices. wine lists its own HID mouse and
// keyboard, but sets them up with a new prefix: while the prefix is being
// created they may not be listed yet, so the tests wait for them (at most
// 20 s, and only then).
class SystemHidEnumeration : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        if (!RunningUnderWine()) {
            return;
        }
        for (int attempt = 0; attempt < 80; ++attempt) {
            if (WineDevicesIn(EnumerateHidInterfaces(SystemSetupApi())) == 2) {
                return;
            }
            ::Sleep(250);
        }
    }
};

TEST_F(SystemHidEnumeration, WalksTheSystemsInterfacesWithRecordsOfTheRightSizesAndReleasesTheSet) {
    g_observed = Observed{};
    const std::vector<HidInterface> interfaces = EnumerateHidInterfaces(ObservedSystemSetupApi());
    EXPECT_EQ(g_observed.setsTaken, 1);
    EXPECT_EQ(g_observed.setsDestroyed, 1);

    const DWORD interfaceRecord = sizeof(void*) == 4 ? 28 : 32;
    const DWORD elementRecord = sizeof(void*) == 4 ? 28 : 32;
    const DWORD detailRecord = sizeof(void*) == 4 ? 6 : 8;
    ASSERT_FALSE(g_observed.interfaceRecordSizes.empty());
    for (const DWORD size : g_observed.interfaceRecordSizes) {
        EXPECT_EQ(size, interfaceRecord);
    }
    for (const DWORD size : g_observed.detailRecordSizes) {
        EXPECT_EQ(size, detailRecord);
    }
    for (const DWORD size : g_observed.elementRecordSizes) {
        EXPECT_EQ(size, elementRecord);
    }
    // Every identifier was asked of the element that the detail call named.
    ASSERT_EQ(g_observed.identifierQueries.size(), 2 * g_observed.ownersFilledIn.size());
    for (std::size_t i = 0; i < g_observed.ownersFilledIn.size(); ++i) {
        EXPECT_EQ(g_observed.identifierQueries[2 * i], g_observed.ownersFilledIn[i]);
        EXPECT_EQ(g_observed.identifierQueries[2 * i + 1], g_observed.ownersFilledIn[i]);
    }

    for (const HidInterface& iface : interfaces) {
        ASSERT_TRUE(iface.hardwareId && iface.path);
        EXPECT_TRUE(StartsWith(*iface.hardwareId, "HID\\")) << *iface.hardwareId;
        EXPECT_TRUE(StartsWith(*iface.path, "\\\\?\\hid#") || StartsWith(*iface.path, "\\\\?\\HID#")) << *iface.path;
    }
    if (RunningUnderWine()) {
        EXPECT_EQ(WineDevicesIn(interfaces), 2) << "wine's own HID mouse and keyboard";
    }
}

TEST_F(SystemHidEnumeration, LibraryFindsNoChipAmongTheSystemsOwnDevices) {
    WindowsPlatform platform;
    const LibraryOnPlatform library(platform);
    for (const auto& [vendor, product] : {std::pair{0x1209, 0x4B56}, std::pair{0x845E, 0x4B56},
                                          std::pair{0x1209, 0x0001}}) {
        DllInitCustom(vendor, product);
        EXPECT_EQ(GetConnectionStatus(), 0);
        EXPECT_EQ(GetDevCount(), 0);
        EXPECT_EQ(SelectedPath(), "");
        // No chip: a command fails after one scan, without waiting.
        const DWORD before = ::GetTickCount();
        EXPECT_EQ(ResetDevice(), KELVANE_E_WRITE_FAILED);
        EXPECT_LT(::GetTickCount() - before, 500U);
    }
}

TEST_F(SystemHidEnumeration, LibraryOpensAndDropsAPresentHidDeviceWhoseIdentifiersItIsGiven) {
    if (!RunningUnderWine()) {
        GTEST_SKIP() << "needs wine's own HID mouse (vendor 0x845E, product 0x0001)";
    }
    WindowsPlatform platform;
    const LibraryOnPlatform library(platform);
    DllInitCustom(0x845E, 0x0001);
    EXPECT_EQ(GetConnectionStatus(), 1);
    EXPECT_EQ(GetDevCount(), 1);
    EXPECT_TRUE(StartsWith(SelectedPath(), "\\\\?\\hid#vid_845e&pid_0001#")) << SelectedPath();

    // The mouse has no output report: wine refuses a 65-byte write at once
    // (ERROR_INVALID_PARAMETER). The command fails without waiting, the
    // connection is lost, and the next scan finds the device again.
    const DWORD before = ::GetTickCount();
    EXPECT_EQ(ResetDevice(), KELVANE_E_WRITE_FAILED);
    EXPECT_LT(::GetTickCount() - before, 500U);
    EXPECT_FALSE(kelvane::core::State().connected);
    EXPECT_EQ(GetConnectionStatus(), 1);

    // Nothing comes from it: draining its queue ends at once, and a read
    // left pending by a time-out is cancelled at once.
    const DeviceHandle readHandle = kelvane::core::State().currentRead;
    ASSERT_NE(readHandle, kInvalidHandle);
    const DWORD drainStart = ::GetTickCount();
    platform.DiscardPendingReports(readHandle);
    EXPECT_LT(::GetTickCount() - drainStart, 500U);
    WireReport report{};
    EXPECT_EQ(platform.Read(readHandle, report, 50), TransferStatus::kTimedOut);
    const DWORD cancelStart = ::GetTickCount();
    platform.Cancel(readHandle);
    EXPECT_LT(::GetTickCount() - cancelStart, 500U);
}

// The Windows platform, with its opens and closes counted.
class CountingPlatform final : public Platform {
public:
    explicit CountingPlatform(WindowsPlatform& inner) : inner_(inner) {}

    std::vector<HidInterface> EnumerateInterfaces() override { return inner_.EnumerateInterfaces(); }
    DeviceHandle Open(std::string_view path, OpenMode mode) override {
        ++opens;
        return inner_.Open(path, mode);
    }
    bool StillReaches(DeviceHandle handle) override { return inner_.StillReaches(handle); }
    TransferStatus Write(DeviceHandle handle, const WireReport& report, std::uint32_t timeoutMs) override {
        return inner_.Write(handle, report, timeoutMs);
    }
    TransferStatus Read(DeviceHandle handle, WireReport& report, std::uint32_t timeoutMs) override {
        return inner_.Read(handle, report, timeoutMs);
    }
    void DiscardPendingReports(DeviceHandle handle) override { inner_.DiscardPendingReports(handle); }
    void Cancel(DeviceHandle handle) override { inner_.Cancel(handle); }
    void Close(DeviceHandle handle) override {
        ++closes;
        inner_.Close(handle);
    }
    void SleepMs(std::uint32_t milliseconds) override { inner_.SleepMs(milliseconds); }
    std::uint64_t NowMs() override { return inner_.NowMs(); }

    int opens = 0;
    int closes = 0;

private:
    WindowsPlatform& inner_;
};

TEST_F(SystemHidEnumeration, LibraryKeepsTheHandlesOfAnUnchangedDeviceAcrossScans) {
    if (!RunningUnderWine()) {
        GTEST_SKIP() << "needs wine's own HID mouse (vendor 0x845E, product 0x0001)";
    }
    WindowsPlatform windows;
    CountingPlatform platform(windows);
    const LibraryOnPlatform library(platform);
    DllInitCustom(0x845E, 0x0001);
    ASSERT_EQ(GetConnectionStatus(), 1);
    EXPECT_EQ(platform.opens, 2);
    const DeviceHandle write = kelvane::core::State().currentWrite;
    const DeviceHandle read = kelvane::core::State().currentRead;
    ASSERT_NE(write, kInvalidHandle);
    ASSERT_NE(read, kInvalidHandle);
    // The HID class driver answers for both handles, the write-only one too.
    EXPECT_TRUE(windows.StillReaches(write));
    EXPECT_TRUE(windows.StillReaches(read));

    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(GetConnectionStatus(), 1);
    }
    EXPECT_EQ(platform.opens, 2);
    EXPECT_EQ(platform.closes, 0);
    EXPECT_EQ(kelvane::core::State().currentWrite, write);
    EXPECT_EQ(kelvane::core::State().currentRead, read);

    // A lost connection closes them; the next scan opens the device again.
    EXPECT_EQ(ResetDevice(), KELVANE_E_WRITE_FAILED);  // refused by the mouse
    EXPECT_EQ(platform.closes, 2);
    ASSERT_EQ(GetConnectionStatus(), 1);
    EXPECT_EQ(platform.opens, 4);
}

}  // namespace
}  // namespace kelvane::platform::windows
