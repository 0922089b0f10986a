// A virtual chip served as a HID device: what a real chip does on the USB
// side, over a link that creates and destroys the device and carries its
// reports (the kernel's /dev/uhid in uhid_device.h, a recording fake in the
// tests). Every output report is one request to the chip; every request the
// chip answers gives exactly one input report; the reset request gives none:
// the device goes away, the chip powers up, and after the reset absence the
// device comes back with the identifiers the chip powered up with. Unplug and
// Plug take the device away and bring it back at once, as a user pulling
// the cable does; a chip plugged in again powers up.
//
// The chip answers on a clock given in microseconds by the caller (real time
// in the server). Its fault rules are not applied: the device answers as a
// healthy chip.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "chip/chip.h"
#include "core/report.h"

namespace kelvane::sim {

// Who the HID device says it is.
struct DeviceIdentity {
    std::uint16_t vendorId = 0;
    std::uint16_t productId = 0;
    std::string name;  // manufacturer and product string, as USB HID names a device
    std::string phys;  // where it sits (HID_PHYS)
    std::string uniq;  // its serial-number string (HID_UNIQ)
};

class HidLink {
public:
    virtual ~HidLink() = default;
    // Makes the device appear; false when the system refused it.
    virtual bool Create(const DeviceIdentity& identity) = 0;
    virtual void Destroy() = 0;
    virtual bool SendInput(const Report& report) = 0;
};

class ServedChip {
public:
    ServedChip(Chip& chip, HidLink& link, std::string phys, std::uint64_t resetAbsenceUs);

    // The device appears now (a pending return after a reset is cut short).
    // A chip that was unplugged powers up first. False when the link refused.
    bool Plug();
    // The device goes away now and stays away until Plug.
    void Unplug();

    // An output report as hidraw hands it over: the report number, then up to
    // 64 report bytes (a shorter report is padded with zeros, a longer one
    // cut). Ignored while the device is away and when empty.
    void OnOutputReport(std::span<const std::uint8_t> data, std::uint64_t nowUs);

    // Brings the device back once the reset absence has passed.
    void Poll(std::uint64_t nowUs);

    bool Present() const { return state_ == State::kPresent; }
    // When the device comes back from a reset; nullopt when none is pending.
    std::optional<std::uint64_t> ReturnAtUs() const { return returnAtUs_; }
    DeviceIdentity Identity() const;

    std::uint64_t Requests() const { return requests_; }
    std::uint64_t Resets() const { return resets_; }

private:
    enum class State { kNew, kPresent, kResetting, kUnplugged };

    bool Appear();

    Chip& chip_;
    HidLink& link_;
    std::string phys_;
    std::uint64_t resetAbsenceUs_;
    State state_ = State::kNew;
    std::optional<std::uint64_t> returnAtUs_;
    std::uint64_t requests_ = 0;
    std::uint64_t resets_ = 0;
};

}  // namespace kelvane::sim
