#include "uhid/served_chip.h"

#include <algorithm>
#include <utility>

namespace kelvane::sim {
namespace {

// USB strings carry UTF-16; the kernel's name and serial fields are bytes.
// Characters outside printable ASCII become '?'.
std::string Narrow(const std::u16string& text) {
    std::string narrow;
    narrow.reserve(text.size());
    for (const char16_t c : text) {
        narrow.push_back(c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?');
    }
    return narrow;
}

}  // namespace

ServedChip::ServedChip(Chip& chip, HidLink& link, std::string phys, std::uint64_t resetAbsenceUs)
    : chip_(chip), link_(link), phys_(std::move(phys)), resetAbsenceUs_(resetAbsenceUs) {
    // A server runs for as long as the tests do: no request log.
    chip_.SetRecording(false);
}

DeviceIdentity ServedChip::Identity() const {
    const FlashStore& flash = chip_.Config().flash;
    DeviceIdentity identity;
    identity.vendorId = chip_.VendorId();
    identity.productId = chip_.ProductId();
    identity.name = Narrow(flash.manufacturer) + " " + Narrow(flash.product);
    identity.phys = phys_;
    identity.uniq = Narrow(flash.serialNumber);
    return identity;
}

bool ServedChip::Appear() {
    returnAtUs_.reset();
    if (!link_.Create(Identity())) {
        state_ = State::kUnplugged;
        return false;
    }
    state_ = State::kPresent;
    return true;
}

bool ServedChip::Plug() {
    switch (state_) {
        case State::kPresent:
            return true;
        case State::kUnplugged:
            chip_.PowerUp();
            break;
        case State::kNew:
        case State::kResetting:
            // Powered up already: as built, or at its reset.
            break;
    }
    return Appear();
}

void ServedChip::Unplug() {
    if (state_ == State::kPresent) {
        link_.Destroy();
    }
    returnAtUs_.reset();
    state_ = State::kUnplugged;
}

void ServedChip::OnOutputReport(std::span<const std::uint8_t> data, std::uint64_t nowUs) {
    if (state_ != State::kPresent || data.empty()) {
        return;
    }
    Report request{};
    const std::span<const std::uint8_t> bytes = data.subspan(1, std::min(data.size() - 1, request.size()));
    std::copy(bytes.begin(), bytes.end(), request.begin());
    ++requests_;
    Report response{};
    switch (chip_.Handle(request, response, nowUs)) {
        case Chip::Answer::kResponse:
            link_.SendInput(response);
            break;
        case Chip::Answer::kReset:
            ++resets_;
            link_.Destroy();
            chip_.PowerUp();
            state_ = State::kResetting;
            returnAtUs_ = nowUs + resetAbsenceUs_;
            break;
        case Chip::Answer::kNone:
            break;
    }
}

void ServedChip::Poll(std::uint64_t nowUs) {
    if (state_ == State::kResetting && returnAtUs_ && nowUs >= *returnAtUs_) {
        Appear();
    }
}

}  // namespace kelvane::sim
