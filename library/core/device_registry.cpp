#include "core/device_registry.h"

#include <cctype>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "core/call_lock.h"
#include "core/library_state.h"
#include "kelvane.h"
#include "platform/platform.h"

namespace kelvane::core {
namespace {

constexpr std::size_t kHardwareIdPrefixLength = 21;

void CloseHandle(platform::Platform& platform, platform::DeviceHandle& handle) {
    if (handle != platform::kInvalidHandle) {
        ReleaseChipHeldBy(handle);
        platform.Close(handle);
        handle = platform::kInvalidHandle;
    }
}

}  // namespace

std::string FormatHex4(std::uint16_t value) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text(4, '0');
    for (int i = 3; i >= 0; --i) {
        text[static_cast<std::size_t>(i)] = kDigits[value & 0xF];
        value = static_cast<std::uint16_t>(value >> 4);
    }
    return text;
}

std::optional<std::string> BuildMatchString(std::int32_t vendorId, std::int32_t productId) {
    if (vendorId < 0 || vendorId > 0xFFFF || productId < 0 || productId > 0xFFFF) {
        return std::nullopt;
    }
    return "vid_" + FormatHex4(static_cast<std::uint16_t>(vendorId)) + "&pid_" +
           FormatHex4(static_cast<std::uint16_t>(productId));
}

std::string NormaliseHardwareId(std::string_view hardwareId) {
    std::string id(hardwareId.substr(0, kHardwareIdPrefixLength));
    for (char& c : id) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return id;
}

void CloseAllDevices() {
    LibraryState& state = State();
    platform::Platform& platform = platform::ActivePlatform();
    for (DeviceEntry& entry : state.deviceTable) {
        entry.path.Clear();
        entry.instance.clear();
    }
    for (std::int32_t i = 0; i < state.deviceCount; ++i) {
        DeviceEntry& entry = state.deviceTable[static_cast<std::size_t>(i)];
        CloseHandle(platform, entry.writeHandle);
        CloseHandle(platform, entry.readHandle);
    }
    // The current handles were copies of closed ones.
    state.currentWrite = platform::kInvalidHandle;
    state.currentRead = platform::kInvalidHandle;
    state.deviceCount = 0;
}

int AddOrFindDevice(std::string_view path) {
    LibraryState& state = State();
    // Only the very same path folds: paths may be prefixes of one another
    // ("/dev/hidraw1", "/dev/hidraw10") and still name different devices.
    for (std::int32_t i = 0; i < state.deviceCount; ++i) {
        if (state.deviceTable[static_cast<std::size_t>(i)].path.View() == path) {
            return i;
        }
    }
    if (state.deviceCount >= kMaxDevices) {
        return -1;
    }
    const std::int32_t index = state.deviceCount;
    if (!state.deviceTable[static_cast<std::size_t>(index)].path.Assign(path)) {
        return -1;
    }
    ++state.deviceCount;
    return index;
}

namespace {

// The handles of the last scan's table, held apart while the table is
// rebuilt (in LibraryState::keptEntries, so that a scan allocates nothing
// here): each pair goes back into the entry of the device it was opened on,
// when that device is listed again as the same instance, or is closed.
class OpenedDevices {
public:
    // Takes the handles out of the table, and empties it.
    OpenedDevices() : kept_(State().keptEntries) {
        LibraryState& state = State();
        for (std::int32_t i = 0; i < state.deviceCount; ++i) {
            DeviceEntry& entry = state.deviceTable[static_cast<std::size_t>(i)];
            if (entry.writeHandle != platform::kInvalidHandle || entry.readHandle != platform::kInvalidHandle) {
                DeviceEntry& kept = kept_[count_++];
                kept.path = entry.path;
                kept.instance.swap(entry.instance);
                kept.writeHandle = std::exchange(entry.writeHandle, platform::kInvalidHandle);
                kept.readHandle = std::exchange(entry.readHandle, platform::kInvalidHandle);
            }
        }
        CloseAllDevices();
    }

    // Closes whatever no entry took back.
    ~OpenedDevices() {
        platform::Platform& platform = platform::ActivePlatform();
        for (std::size_t k = 0; k < count_; ++k) {
            CloseHandle(platform, kept_[k].writeHandle);
            CloseHandle(platform, kept_[k].readHandle);
        }
    }

    OpenedDevices(const OpenedDevices&) = delete;
    OpenedDevices& operator=(const OpenedDevices&) = delete;

    // A new entry gets back the handles opened on its path, when the path
    // lists the same instance as then and the platform says that each
    // handle still reaches its device. Otherwise those handles are closed
    // now, before anything is opened again.
    void GiveBack(DeviceEntry& entry) {
        platform::Platform& platform = platform::ActivePlatform();
        for (std::size_t k = 0; k < count_; ++k) {
            DeviceEntry& device = kept_[k];
            if (!(device.path == entry.path)) {
                continue;
            }
            if (device.instance == entry.instance && Reaches(platform, device.writeHandle) &&
                Reaches(platform, device.readHandle)) {
                entry.writeHandle = std::exchange(device.writeHandle, platform::kInvalidHandle);
                entry.readHandle = std::exchange(device.readHandle, platform::kInvalidHandle);
            } else {
                CloseHandle(platform, device.writeHandle);
                CloseHandle(platform, device.readHandle);
            }
            return;
        }
    }

private:
    static bool Reaches(platform::Platform& platform, platform::DeviceHandle handle) {
        return handle == platform::kInvalidHandle || platform.StillReaches(handle);
    }

    std::array<DeviceEntry, kMaxDevices>& kept_;
    std::size_t count_ = 0;
};

// Opens what the selected entry lacks: its write handle, then its read
// handle. A failed open leaves the handle invalid; the first transfer finds
// it so.
void OpenMissing(platform::Platform& platform, DeviceEntry& entry) {
    const std::string_view path = entry.path.View();
    if (entry.writeHandle == platform::kInvalidHandle) {
        entry.writeHandle = platform.Open(path, platform::OpenMode::kWrite);
    }
    if (entry.readHandle == platform::kInvalidHandle) {
        entry.readHandle = platform.Open(path, platform::OpenMode::kRead);
    }
}

// The interfaces that the platform lists now; none when its enumeration ran
// out of memory (nothing could be walked).
std::vector<platform::HidInterface> ListInterfaces(platform::Platform& platform) {
    try {
        return platform.EnumerateInterfaces();
    } catch (const std::bad_alloc&) {
        return {};
    }
}

// Rebuilds the table from the interfaces that match the identifiers; the
// handles of devices not listed again as the same instance are closed.
void RebuildTable(LibraryState& state, std::vector<platform::HidInterface>& interfaces) {
    const std::optional<std::string> match = BuildMatchString(state.vendorId, state.productId);
    OpenedDevices opened;  // the table is empty from here on
    for (platform::HidInterface& interface : interfaces) {
        if (!interface.hardwareId) {
            break;
        }
        if (!match || NormaliseHardwareId(*interface.hardwareId).find(*match) == std::string::npos) {
            continue;
        }
        if (!interface.path) {
            break;
        }
        const std::string_view path = *interface.path;
        if (path.empty() || path.size() > DevicePath::kMaxLength) {
            continue;  // a path that cannot be kept whole is not listed
        }
        const std::int32_t before = state.deviceCount;
        const int index = AddOrFindDevice(path);
        if (index < 0) {
            break;  // the table is full: further interfaces are not listed
        }
        if (state.firstFound) {
            state.firstFound = false;
            state.selectedPath.Assign(path);
        }
        if (state.deviceCount > before) {
            // A path listed twice keeps the instance of its first listing.
            DeviceEntry& entry = state.deviceTable[static_cast<std::size_t>(index)];
            entry.instance = std::move(interface.instance);
            opened.GiveBack(entry);
        }
    }
}

// The selected entry becomes the current one. When it is the selected chip,
// which the transfers will use, what it lacks is opened now.
void ConnectSelected(LibraryState& state, platform::Platform& platform) {
    if (state.selectedIndex < state.deviceCount) {
        DeviceEntry& selected = state.deviceTable[static_cast<std::size_t>(state.selectedIndex)];
        const bool connected = selected.path == state.selectedPath;
        if (connected) {
            OpenMissing(platform, selected);
        }
        state.currentWrite = selected.writeHandle;
        state.currentRead = selected.readHandle;
        state.connected = connected;
    }
}

}  // namespace

bool ScanDevices() {
    LibraryState& state = State();
    platform::Platform& platform = platform::ActivePlatform();
    state.connected = false;
    try {
        std::vector<platform::HidInterface> interfaces = ListInterfaces(platform);
        RebuildTable(state, interfaces);
        ConnectSelected(state, platform);
    } catch (const std::bad_alloc&) {
        // Memory ran out while the table was rebuilt or the selected chip
        // opened. The entries listed so far stay listed with the handles they
        // hold, the handles that no entry took back are closed (OpenedDevices),
        // and the scan does not connect: no exception leaves the library.
        state.connected = false;
        state.currentWrite = platform::kInvalidHandle;
        state.currentRead = platform::kInvalidHandle;
    }
    return state.connected;
}

int SelectDevice(std::uint32_t index) {
    LibraryState& state = State();
    if (index >= static_cast<std::uint32_t>(state.deviceCount)) {
        return KELVANE_E_SELECT_INDEX;
    }
    state.selectedIndex = static_cast<std::int32_t>(index);
    state.selectedPath = state.deviceTable[index].path;
    return KELVANE_SUCCESS;
}

}  // namespace kelvane::core
