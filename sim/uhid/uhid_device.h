// A HID device made by this process through the kernel's /dev/uhid: the
// kernel presents it to its HID drivers as if it were attached (hid-generic
// binds it and gives it a hidraw node), sends this process every output
// report written to the device, and hands every input report sent here to
// all the device's readers. The device is a vendor-defined one with one
// unnumbered 64-byte input report and one 64-byte output report, as a chip
// describes itself. One open of /dev/uhid carries one device at a time; it
// can be destroyed and created again on the same open file.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "uhid/served_chip.h"

namespace kelvane::sim {

class UhidDevice final : public HidLink {
public:
    // Opens the uhid node; check IsOpen.
    explicit UhidDevice(const char* node = "/dev/uhid");
    ~UhidDevice() override;

    UhidDevice(const UhidDevice&) = delete;
    UhidDevice& operator=(const UhidDevice&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    // To wait for events with poll().
    int Fd() const { return fd_; }

    // Strings longer than the kernel's fields are cut.
    bool Create(const DeviceIdentity& identity) override;
    void Destroy() override;
    bool SendInput(const Report& report) override;

    // Reads one event, without waiting: the bytes of an output report as
    // hidraw handed them over (report number first), or nullopt for anything
    // else and when nothing is waiting. Get-report and set-report requests
    // are refused here at once, so that the kernel never waits for them.
    std::optional<std::vector<std::uint8_t>> ReadOutputReport();

private:
    int fd_ = -1;
    bool created_ = false;
};

}  // namespace kelvane::sim
