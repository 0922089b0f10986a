#include "bench/plug_file.h"

#include <algorithm>
#include <limits>
#include <set>
#include <utility>

#include "bench/text_file.h"

namespace kelvane::sim {
namespace {

constexpr std::size_t kMaxPortName = 16;
// A larger plug file is malformed.
constexpr std::size_t kMaxPlugFileBytes = 64 * 1024;
constexpr std::uint64_t kNever = std::numeric_limits<std::uint64_t>::max();

// "-" alone stands for no port.
bool IsPortName(std::string_view name) {
    return !name.empty() && name != "-" && name.size() <= kMaxPortName && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' || c == '_';
    });
}

}  // namespace

std::optional<PlugWiring> ParsePlugFile(std::string_view text) {
    PlugWiring wiring;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        const std::string_view line = text.substr(0, std::min(text.find('#'), end));
        text.remove_prefix(std::min(end + 1, text.size()));
        const std::vector<std::string_view> words = Words(line, " \t\r");
        if (words.empty()) {
            continue;
        }
        if (words.size() != 2 || !IsPortName(words[0]) || (words[1] != "-" && !IsPortName(words[1])) ||
            wiring.count(words[0]) != 0) {
            return std::nullopt;
        }
        wiring[std::string(words[0])] =
            words[1] == "-" ? std::nullopt : std::optional<std::string>(std::string(words[1]));
    }
    return wiring;
}

PlugFilePlatform::PlugFilePlatform(Bench& bench, std::string plugFile)
    : SimPlatform(bench), bench_(bench), plugFile_(std::move(plugFile)) {}

bool PlugFilePlatform::Apply(const PlugWiring& wiring) {
    if (portOrder_.empty()) {
        for (const Port& port : bench_.Ports()) {
            portOrder_.push_back(port.name);
            if (port.chip != nullptr) {
                placement_[port.name] = port.name;
            }
        }
    }
    // Where every device sits afterwards: no port may hold two.
    std::map<std::string, std::optional<std::string>, std::less<>> wanted;
    std::set<std::string, std::less<>> taken;
    for (const Port& port : bench_.Ports()) {
        std::optional<std::string> place = port.name;
        if (const auto line = wiring.find(port.name); line != wiring.end()) {
            if (port.chip == nullptr) {
                return false;
            }
            place = line->second;
        }
        if (place && !taken.insert(*place).second) {
            return false;
        }
        if (port.chip != nullptr) {
            wanted[port.name] = place;
        }
    }
    for (const auto& line : wiring) {
        if (bench_.FindPort(line.first) == nullptr) {
            return false;
        }
    }
    for (auto& [name, place] : wanted) {
        if (placement_[name] == place) {
            continue;
        }
        Port& port = *bench_.FindPort(name);
        port.NewDevice();
        if (!place) {
            // Off the bus, with no path by which anything reaches it.
            port.presentFromUs = kNever;
            port.path = std::string();
        } else {
            port.path = *place == name ? std::nullopt : std::optional<std::string>(Bench::PathOf(*place));
            port.presentFromUs = bench_.Clock().NowUs();
            // Plugged in, it powers up, as after a reset.
            port.chip->PowerUp();
            if (std::find(portOrder_.begin(), portOrder_.end(), *place) == portOrder_.end()) {
                portOrder_.push_back(*place);
            }
        }
        placement_[name] = place;
    }
    return true;
}

std::size_t PlugFilePlatform::PositionOf(const std::string& path) const {
    for (std::size_t i = 0; i < portOrder_.size(); ++i) {
        if (Bench::PathOf(portOrder_[i]) == path) {
            return i;
        }
    }
    return portOrder_.size();
}

void PlugFilePlatform::Reload() {
    if (plugFile_.empty()) {
        return;
    }
    // No file is an empty one: every chip in its own port.
    const FileRead read = ReadRegularFile(plugFile_, kMaxPlugFileBytes, readText_);
    if (read == FileRead::kRefused) {
        // Not a regular file, or too large: malformed, it changes nothing.
        // Whatever text comes next is applied.
        textApplied_ = false;
        return;
    }
    if (!textApplied_ || readText_ != appliedText_) {
        // A malformed file or an impossible wiring changes nothing; it is
        // tried again once its text changes.
        if (const std::optional<PlugWiring> wiring = ParsePlugFile(readText_)) {
            Apply(*wiring);
        }
        appliedText_ = readText_;
        textApplied_ = true;
    }
}

platform::TransferStatus PlugFilePlatform::Write(platform::DeviceHandle handle, const platform::WireReport& report,
                                                 std::uint32_t timeoutMs) {
    Reload();
    return SimPlatform::Write(handle, report, timeoutMs);
}

std::vector<platform::HidInterface> PlugFilePlatform::EnumerateInterfaces() {
    Reload();
    std::vector<platform::HidInterface> interfaces = SimPlatform::EnumerateInterfaces();
    if (portOrder_.empty()) {
        return interfaces;
    }
    std::vector<std::pair<std::size_t, platform::HidInterface>> placed;
    placed.reserve(interfaces.size());
    for (platform::HidInterface& interface : interfaces) {
        placed.emplace_back(PositionOf(interface.path.value_or("")), std::move(interface));
    }
    std::stable_sort(placed.begin(), placed.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 0; i < placed.size(); ++i) {
        interfaces[i] = std::move(placed[i].second);
    }
    return interfaces;
}

}  // namespace kelvane::sim
