#include "bench/bench.h"

#include <cstdio>

namespace kelvane::sim {

void ResponseQueue::Push(const Report& response) {
    if (count_ == kCapacity) {
        first_ = (first_ + 1) % kCapacity;
        --count_;
    }
    slots_[(first_ + count_) % kCapacity] = response;
    ++count_;
}

bool ResponseQueue::Pop(Report& response) {
    if (count_ == 0) {
        return false;
    }
    response = slots_[first_];
    first_ = (first_ + 1) % kCapacity;
    --count_;
    return true;
}

Port& Bench::PortNamed(std::string_view name) {
    if (Port* port = FindPort(name)) {
        return *port;
    }
    ports_.push_back(Port{});
    ports_.back().name = std::string(name);
    return ports_.back();
}

Chip& Bench::Attach(std::string_view port, std::uint16_t vendorId, std::uint16_t productId) {
    return Attach(port, std::make_unique<Chip>(vendorId, productId));
}

Chip& Bench::Attach(std::string_view name, std::unique_ptr<Chip> chip) {
    Port& port = PortNamed(name);
    port.NewDevice();
    port.foreignHardwareId.reset();
    port.presentFromUs = clock_.NowUs();
    port.chip = std::move(chip);
    return *port.chip;
}

std::unique_ptr<Chip> Bench::Detach(std::string_view name) {
    Port* port = FindPort(name);
    if (port == nullptr) {
        return nullptr;
    }
    port->NewDevice();
    port->foreignHardwareId.reset();
    return std::move(port->chip);
}

void Bench::AttachForeign(std::string_view name, std::string hardwareId) {
    Port& port = PortNamed(name);
    port.NewDevice();
    port.chip.reset();
    port.foreignHardwareId = std::move(hardwareId);
}

bool Bench::SendUnasked(std::string_view name, const Report& report) {
    Port* port = FindPort(name);
    if (port == nullptr || port->chip == nullptr || !Present(*port)) {
        return false;
    }
    port->responses.Push(report);
    return true;
}

Chip* Bench::ChipAt(std::string_view name) {
    Port* port = FindPort(name);
    return port != nullptr ? port->chip.get() : nullptr;
}

Port* Bench::FindPort(std::string_view name) {
    for (Port& port : ports_) {
        if (port.name == name) {
            return &port;
        }
    }
    return nullptr;
}

Port* Bench::FindPortByPath(std::string_view path) {
    for (Port& port : ports_) {
        if (PathOf(port) == path) {
            return &port;
        }
    }
    return nullptr;
}

std::string Bench::PathOf(std::string_view port) {
    return "virtual-usb-" + std::string(port) + "/input0";
}

std::string Bench::PathOf(const Port& port) {
    return port.path ? *port.path : PathOf(port.name);
}

std::string Bench::HardwareIdOf(const Chip& chip) {
    char id[40];
    std::snprintf(id, sizeof id, "HID\\VID_%04X&PID_%04X&REV_0100", chip.VendorId(), chip.ProductId());
    return id;
}

bool Bench::Present(const Port& port) const {
    return (port.chip != nullptr && clock_.NowUs() >= port.presentFromUs) ||
           port.foreignHardwareId.has_value();
}

void Bench::Reset(Port& port) {
    port.NewDevice();
    port.presentFromUs = clock_.NowUs() + resetAbsenceUs_;
    if (port.chip != nullptr) {
        port.chip->PowerUp();
    }
}

}  // namespace kelvane::sim
