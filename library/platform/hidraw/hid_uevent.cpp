#include "platform/hidraw/hid_uevent.h"

#include "platform/hidraw/hex_field.h"

namespace kelvane::platform::hidraw {
namespace {

constexpr std::string_view kIdKey = "HID_ID=";
constexpr std::string_view kPhysKey = "HID_PHYS=";

// Splits off the text up to the next ':' (or the end) from rest.
std::string_view TakeField(std::string_view& rest) {
    const std::size_t colon = rest.find(':');
    const std::string_view field = rest.substr(0, colon);
    rest = colon == std::string_view::npos ? std::string_view{} : rest.substr(colon + 1);
    return field;
}

std::optional<HidId> ParseHidId(std::string_view value) {
    std::string_view rest = value;
    const auto bus = ParseHexField(TakeField(rest));
    const auto vendor = ParseHexField(TakeField(rest));
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

}  // namespace kelvane::platform::hidraw
