// A bench of virtual chips: USB ports in enumeration order, each empty or
// holding a chip (or another HID device), on one virtual clock. Tests attach,
// detach and re-attach chips at run time.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "bench/virtual_clock.h"
#include "chip/chip.h"

namespace kelvane::sim {

inline constexpr std::uint16_t kDefaultVendorId = 0x1209;
inline constexpr std::uint16_t kDefaultProductId = 0x4B56;

// Responses a chip has sent and the host has not read yet.
class ResponseQueue {
public:
    static constexpr std::size_t kCapacity = 4;
    // The oldest response is dropped when the queue is full.
    void Push(const Report& response);
    bool Pop(Report& response);
    void Clear() { count_ = 0; }
    std::size_t Size() const { return count_; }

private:
    std::array<Report, kCapacity> slots_{};
    std::size_t first_ = 0;
    std::size_t count_ = 0;
};

struct Port {
    std::string name;
    std::unique_ptr<Chip> chip;
    // A HID device that is not a chip (a keyboard, say): its hardware id.
    std::optional<std::string> foreignHardwareId;
    // Enumeration faults of this position: the hardware id or the interface
    // path cannot be read.
    bool hardwareIdUnreadable = false;
    // The interface path, when it is not the port's usual one.
    std::optional<std::string> path;
    bool pathUnreadable = false;
    // The chip is off the bus until this time (after a reset).
    std::uint64_t presentFromUs = 0;
    // Changes whenever the device on the port goes away, so that handles
    // opened before see a gone device.
    std::uint32_t generation = 0;
    // Transport state: answers waiting to be read, the faults decided for
    // the last request (its read may be refused or fail), and an answer held
    // back until the next request is written.
    ResponseQueue responses;
    FaultActivation lastFaults;
    std::optional<Report> lateAnswer;

    // The device in the port changes (attached, detached, replaced, reset):
    // handles opened before see a gone device, and nothing the old one sent
    // is left to read.
    void NewDevice() {
        ++generation;
        responses.Clear();
        lateAnswer.reset();
    }
};

class Bench {
public:
    VirtualClock& Clock() { return clock_; }
    const VirtualClock& Clock() const { return clock_; }

    // Puts a chip into a port, adding the port at the end of the enumeration
    // order when it is new.
    Chip& Attach(std::string_view port, std::uint16_t vendorId = kDefaultVendorId,
                 std::uint16_t productId = kDefaultProductId);
    Chip& Attach(std::string_view port, std::unique_ptr<Chip> chip);
    // Unplugs whatever is in the port and hands the chip back.
    std::unique_ptr<Chip> Detach(std::string_view port);
    void AttachForeign(std::string_view port, std::string hardwareId);

    // The chip in the port sends a report that nobody asked for: it waits
    // on the host's queue like an answer. False when no chip is there.
    bool SendUnasked(std::string_view port, const Report& report);

    Chip* ChipAt(std::string_view port);
    Port* FindPort(std::string_view port);
    Port* FindPortByPath(std::string_view path);
    std::vector<Port>& Ports() { return ports_; }

    // The usual device path of a port's interface.
    static std::string PathOf(std::string_view port);
    static std::string PathOf(const Port& port);
    // The hardware identifier a chip presents.
    static std::string HardwareIdOf(const Chip& chip);

    bool Present(const Port& port) const;

    // The chip asked for a reset: it drops off the bus and comes back after
    // the reset absence, in its power-up state.
    void Reset(Port& port);
    void SetResetAbsenceMs(std::uint64_t ms) { resetAbsenceUs_ = ms * 1000; }

    // Virtual time that every write and every read of a report takes.
    void SetExchangeLatencyUs(std::uint64_t us) { exchangeLatencyUs_ = us; }
    std::uint64_t ExchangeLatencyUs() const { return exchangeLatencyUs_; }

private:
    Port& PortNamed(std::string_view port);

    VirtualClock clock_;
    std::vector<Port> ports_;
    std::uint64_t resetAbsenceUs_ = 0;
    std::uint64_t exchangeLatencyUs_ = 0;
};

}  // namespace kelvane::sim
