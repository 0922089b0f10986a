#include "platform/hidraw/identity.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <filesystem>
#include <memory>
#include <system_error>
#include <utility>

namespace kelvane::platform::hidraw {

// ---- Attribute files of sysfs -----------------------------------------------

namespace {

// errno values that mean "nothing there": the entry is missing, or the
// device behind it was removed between listing and reading.
bool MeansAbsent(int error) {
    return error == ENOENT || error == ENOTDIR || error == ENODEV || error == ENXIO;
}

SysfsFile Failure(int error) {
    return SysfsFile{MeansAbsent(error) ? SysfsReadStatus::kAbsent : SysfsReadStatus::kFailed, {}};
}

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }

private:
    int fd_;
};

}  // namespace

SysfsFile ReadSysfsFile(const std::string& path) {
    const Fd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        return Failure(errno);
    }
    SysfsFile file{SysfsReadStatus::kRead, {}};
    std::array<char, 4096> chunk{};
    while (file.content.size() < kMaxSysfsFileSize) {
        const std::size_t wanted = std::min(chunk.size(), kMaxSysfsFileSize - file.content.size());
        const ssize_t got = ::read(fd.get(), chunk.data(), wanted);
        if (got == 0) {
            break;
        }
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return Failure(errno);
        }
        file.content.append(chunk.data(), static_cast<std::size_t>(got));
    }
    return file;
}

// ---- The hidraw class directory ---------------------------------------------

namespace {

constexpr std::string_view kNodePrefix = "hidraw";
// Nine digits always fit an unsigned int.
constexpr std::size_t kMaxNumberDigits = 9;

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

}  // namespace

std::optional<unsigned> HidrawNodeNumber(std::string_view name) {
    if (!name.starts_with(kNodePrefix)) {
        return std::nullopt;
    }
    const std::string_view digits = name.substr(kNodePrefix.size());
    if (digits.empty() || digits.size() > kMaxNumberDigits ||
        (digits.size() > 1 && digits.front() == '0')) {
        return std::nullopt;
    }
    unsigned number = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        number = number * 10U + static_cast<unsigned>(c - '0');
    }
    return number;
}

std::vector<HidrawNode> ListHidrawNodes(const std::string& classDir) {
    std::vector<HidrawNode> nodes;
    const std::unique_ptr<DIR, DirCloser> dir(::opendir(classDir.c_str()));
    if (!dir) {
        return nodes;
    }
    while (const dirent* entry = ::readdir(dir.get())) {
        if (const auto number = HidrawNodeNumber(entry->d_name)) {
            nodes.push_back(HidrawNode{*number, entry->d_name});
        }
    }
    std::sort(nodes.begin(), nodes.end(),
              [](const HidrawNode& a, const HidrawNode& b) { return a.number < b.number; });
    return nodes;
}

// ---- The uevent of a HID device ---------------------------------------------

namespace {

constexpr std::string_view kIdKey = "HID_ID=";
constexpr std::string_view kPhysKey = "HID_PHYS=";

// Splits off the text up to the next ':' (or the end) from rest.
std::string_view TakeIdField(std::string_view& rest) {
    const std::size_t colon = rest.find(':');
    const std::string_view field = rest.substr(0, colon);
    rest = colon == std::string_view::npos ? std::string_view{} : rest.substr(colon + 1);
    return field;
}

std::optional<HidId> ParseHidId(std::string_view value) {
    std::string_view rest = value;
    const auto bus = ParseHexField(TakeIdField(rest));
    const auto vendor = ParseHexField(TakeIdField(rest));
    const auto product = ParseHexField(rest);
    if (!bus || !vendor || !product) {
        return std::nullopt;
    }
    return HidId{*bus, *vendor, *product};
}

}  // namespace

HidUevent ParseHidUevent(std::string_view text) {
    HidUevent uevent;
    std::string_view idValue;
    std::string_view physValue;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (line.starts_with(kIdKey)) {
            ++uevent.idLines;
            idValue = line.substr(kIdKey.size());
        } else if (line.starts_with(kPhysKey)) {
            ++uevent.physLines;
            physValue = line.substr(kPhysKey.size());
        }
    }
    // A repeated key has no single value: neither the first nor the last
    // line can be trusted to be the kernel's.
    if (uevent.idLines == 1) {
        uevent.id = ParseHidId(idValue);
    }
    if (uevent.physLines == 1) {
        uevent.phys = std::string(physValue);
    }
    return uevent;
}

// ---- The kernel's name of a HID device --------------------------------------

namespace {

constexpr std::size_t kMinDigits = 4;

// Takes one field of 4 to 8 hexadecimal digits from the front of rest,
// followed by `separator` (or by the end of the text when separator is 0).
std::optional<std::uint32_t> TakeNameField(std::string_view& rest, char separator) {
    const std::size_t end = separator == 0 ? rest.size() : rest.find(separator);
    if (end == std::string_view::npos || end < kMinDigits) {
        return std::nullopt;
    }
    const std::optional<std::uint32_t> value = ParseHexField(rest.substr(0, end));
    rest.remove_prefix(separator == 0 ? end : end + 1);
    return value;
}

}  // namespace

std::optional<HidDeviceName> ParseHidDeviceName(std::string_view name) {
    const auto bus = TakeNameField(name, ':');
    if (!bus) {
        return std::nullopt;
    }
    const auto vendor = TakeNameField(name, ':');
    if (!vendor) {
        return std::nullopt;
    }
    const auto product = TakeNameField(name, '.');
    if (!product) {
        return std::nullopt;
    }
    const auto instance = TakeNameField(name, 0);
    if (!instance) {
        return std::nullopt;
    }
    return HidDeviceName{*bus, *vendor, *product, *instance};
}

// ---- The hardware identifier ------------------------------------------------

namespace {

void AppendHex4(std::string& out, std::uint32_t value) {
    constexpr std::string_view kDigits = "0123456789ABCDEF";
    for (int shift = 12; shift >= 0; shift -= 4) {
        out.push_back(kDigits[(value >> shift) & 0xFU]);
    }
}

}  // namespace

std::string FormatHardwareId(std::uint32_t vendor, std::uint32_t product) {
    std::string id = "HID\\VID_";
    AppendHex4(id, vendor & 0xFFFFU);
    id += "&PID_";
    AppendHex4(id, product & 0xFFFFU);
    return id;
}

// ---- What sysfs tells about a node ------------------------------------------

namespace {

// The directory of the HID device behind a node, as the kernel names it: the
// last component of where the node's "device" link leads. Empty when the
// link cannot be followed.
std::string DeviceDirectoryOf(const std::string& classDir, const std::string& nodeName) {
    std::error_code error;
    const std::filesystem::path device =
        std::filesystem::canonical(classDir + "/" + nodeName + "/device", error);
    if (error) {
        return {};
    }
    return device.filename().string();
}

bool SameDevice(const HidId& id, const HidDeviceName& name) {
    return id.bus == name.bus && id.vendor == name.vendor && id.product == name.product;
}

}  // namespace

NodeFacts ReadNodeFacts(const std::string& classDir, const std::string& nodeName) {
    const SysfsFile uevent = ReadSysfsFile(classDir + "/" + nodeName + "/device/uevent");
    switch (uevent.status) {
        case SysfsReadStatus::kFailed:
            // Whether this is a chip cannot be told: no identifier.
            return NodeFacts{};
        case SysfsReadStatus::kAbsent:
            // Not a HID device after all, or gone since the listing.
            return NodeFacts{kUnidentifiedHardwareId, {}, {}};
        case SysfsReadStatus::kRead:
            break;
    }
    const HidUevent parsed = ParseHidUevent(uevent.content);
    std::string phys = parsed.WellFormed() ? parsed.phys : std::string{};
    const std::string directory = DeviceDirectoryOf(classDir, nodeName);
    std::string instance = directory.empty() ? std::string{} : directory + "/" + nodeName;
    const std::optional<HidDeviceName> name = ParseHidDeviceName(directory);
    if (!name || (parsed.idLines == 1 && !(parsed.id && SameDevice(*parsed.id, *name)))) {
        return NodeFacts{kUnidentifiedHardwareId, std::move(phys), std::move(instance)};
    }
    return NodeFacts{FormatHardwareId(name->vendor, name->product), std::move(phys), std::move(instance)};
}

// ---- Device paths -----------------------------------------------------------

namespace {

// Whether another source carries the same HID_PHYS as sources[index].
bool PhysIsAmbiguous(const std::vector<PathSource>& sources, std::size_t index) {
    const std::string& phys = sources[index].phys;
    for (std::size_t other = 0; other < sources.size(); ++other) {
        if (other != index && sources[other].phys == phys) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::vector<std::string> AssignInterfacePaths(const std::vector<PathSource>& sources,
                                              const std::string& devDir) {
    std::vector<std::string> paths;
    paths.reserve(sources.size());
    for (std::size_t i = 0; i < sources.size(); ++i) {
        const PathSource& source = sources[i];
        if (source.phys.empty()) {
            paths.push_back(devDir + "/" + source.nodeName);
        } else if (PhysIsAmbiguous(sources, i)) {
            paths.push_back(source.phys + " (" + source.nodeName + ")");
        } else {
            paths.push_back(source.phys);
        }
    }
    return paths;
}

}  // namespace kelvane::platform::hidraw
