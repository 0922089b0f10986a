#include "common/session.h"

#include <array>

#include "common/chip_text.h"
#include "common/failure.h"

namespace kelvane::tool {
namespace {

// GetSelectedDevInfo writes a terminated path of at most 255 bytes.
constexpr std::size_t kPathBytes = 256;

}  // namespace

nlohmann::json ChipJson(const ChipInfo& chip) {
    return {{"index", chip.index}, {"serial", chip.serial}, {"path", chip.path}};
}

std::string ChipName(const ChipInfo& chip) {
    return "chip " + std::to_string(chip.index) + (chip.serial.empty() ? "" : " (" + chip.serial + ")");
}

int Session::Scan() {
    if (use_ == nullptr || !use_->initialised || use_->vendorId != settings_.vendorId ||
        use_->productId != settings_.productId) {
        library_.DllInitCustom(settings_.vendorId, settings_.productId);
        if (use_ != nullptr) {
            *use_ = LibraryUse{true, settings_.vendorId, settings_.productId};
        }
    }
    library_.GetConnectionStatus();
    return library_.GetDevCount();
}

ChipInfo Session::Select(int index) {
    Check(library_.SelectDev(static_cast<unsigned>(index)), "selecting chip " + std::to_string(index));
    if (library_.GetConnectionStatus() == 0) {
        throw Failure("chip " + std::to_string(index) + " is not connected");
    }
    return Selected(index);
}

ChipInfo Session::Selected(int index) {
    ChipInfo chip;
    chip.index = index;
    ChipStringBuffer serial{};
    if (library_.GetSerialNumber(serial.data()) == 0) {
        chip.serial = Utf8FromChip(serial);
    }
    std::array<char, kPathBytes> path{};
    library_.GetSelectedDevInfo(path.data());
    path.back() = '\0';
    chip.path = path.data();
    return chip;
}

ChipInfo Session::Connect() {
    const int count = Scan();
    if (count <= 0) {
        throw Failure("no chip found (VID " + Hex4(settings_.vendorId) + ", PID " + Hex4(settings_.productId) + ")");
    }
    ChipInfo chip;
    if (settings_.serial) {
        bool found = false;
        for (int i = 0; i < count && !found; ++i) {
            chip = Select(i);
            found = chip.serial == *settings_.serial;
        }
        if (!found) {
            throw Failure("no chip with serial number " + *settings_.serial + " among the " + std::to_string(count) +
                          " found");
        }
    } else {
        if (settings_.index >= count) {
            throw Failure("no chip at index " + std::to_string(settings_.index) + " (" + std::to_string(count) +
                          " found)");
        }
        chip = Select(settings_.index);
    }
    output_.Document()["chip"] = ChipJson(chip);
    return chip;
}

std::vector<ChipInfo> Session::AllChips() {
    std::vector<ChipInfo> chips;
    const int count = Scan();
    for (int i = 0; i < count; ++i) {
        library_.SelectDev(static_cast<unsigned>(i));
        library_.GetConnectionStatus();
        chips.push_back(Selected(i));
    }
    return chips;
}

}  // namespace kelvane::tool
