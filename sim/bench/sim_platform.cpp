#include "bench/sim_platform.h"

#include <algorithm>
#include <string>

namespace kelvane::sim {

using platform::DeviceHandle;
using platform::OpenMode;
using platform::TransferStatus;

std::vector<platform::HidInterface> SimPlatform::EnumerateInterfaces() {
    ++enumerations_;
    std::vector<platform::HidInterface> interfaces;
    for (const Port& port : bench_.Ports()) {
        if (!bench_.Present(port)) {
            continue;
        }
        platform::HidInterface interface;
        if (!port.hardwareIdUnreadable) {
            interface.hardwareId =
                port.chip != nullptr ? Bench::HardwareIdOf(*port.chip) : *port.foreignHardwareId;
        }
        if (!port.pathUnreadable) {
            interface.path = Bench::PathOf(port);
        }
        interface.instance = port.name + "/" + std::to_string(port.generation);
        interfaces.push_back(std::move(interface));
    }
    return interfaces;
}

DeviceHandle SimPlatform::Open(std::string_view path, OpenMode mode) {
    ++opens_;
    Port* port = bench_.FindPortByPath(path);
    if (port == nullptr || !bench_.Present(*port)) {
        return platform::kInvalidHandle;
    }
    const HandleRecord record{static_cast<std::size_t>(port - bench_.Ports().data()), port->generation, mode,
                              true};
    // Handles are never reused, so that a stale close is seen as one.
    handles_.push_back(record);
    return static_cast<DeviceHandle>(handles_.size() - 1);
}

bool SimPlatform::StillReaches(DeviceHandle handle) {
    bool gone = false;
    const Port* port = PortOf(handle, std::nullopt, gone);
    return port != nullptr && !gone && bench_.Present(*port);
}

Port* SimPlatform::PortOf(DeviceHandle handle, std::optional<OpenMode> mode, bool& gone) {
    gone = false;
    if (handle < 0 || static_cast<std::size_t>(handle) >= handles_.size()) {
        return nullptr;
    }
    const HandleRecord& record = handles_[static_cast<std::size_t>(handle)];
    if (!record.open || (mode && record.mode != *mode)) {
        return nullptr;
    }
    Port& port = bench_.Ports()[record.port];
    gone = port.generation != record.generation || port.chip == nullptr;
    return &port;
}

TransferStatus SimPlatform::Write(DeviceHandle handle, const platform::WireReport& report,
                                  std::uint32_t timeoutMs) {
    bool gone = false;
    Port* port = PortOf(handle, OpenMode::kWrite, gone);
    if (port == nullptr) {
        return TransferStatus::kFailed;
    }
    if (gone) {
        return TransferStatus::kDeviceGone;
    }
    if (port->lateAnswer) {
        // The answer that came late arrives just as this request goes out.
        port->responses.Push(*port->lateAnswer);
        port->lateAnswer.reset();
    }
    Report request{};
    std::copy(report.begin() + 1, report.end(), request.begin());
    Chip& chip = *port->chip;
    const FaultActivation faults = chip.Faults().Activate(request[0]);
    port->lastFaults = faults;
    if (faults.writeRefused) {
        return TransferStatus::kDeviceGone;
    }
    if (faults.writeWaitFails) {
        return TransferStatus::kFailed;
    }
    if (faults.writeTimeout) {
        bench_.Clock().AdvanceMs(timeoutMs);
        return TransferStatus::kTimedOut;
    }
    bench_.Clock().AdvanceUs(bench_.ExchangeLatencyUs());
    chip.Record(bench_.Clock().NowUs(), report[0], request);
    if (faults.noAnswer) {
        return TransferStatus::kCompleted;
    }
    Report response{};
    Chip::Answer answer = Chip::Answer::kResponse;
    if (faults.ignored) {
        response[0] = request[0];
    } else {
        answer = chip.Handle(request, response, bench_.Clock().NowUs());
    }
    switch (answer) {
        case Chip::Answer::kResponse:
            faults.ApplyPatches(response);
            if (faults.lateAnswer) {
                port->lateAnswer = response;
                port->lastFaults.readWaitFails = true;
                break;
            }
            port->responses.Push(response);
            if (faults.stray) {
                port->responses.Push(response);
            }
            break;
        case Chip::Answer::kReset:
            bench_.Reset(*port);
            break;
        case Chip::Answer::kNone:
            break;
    }
    return TransferStatus::kCompleted;
}

TransferStatus SimPlatform::Read(DeviceHandle handle, platform::WireReport& report, std::uint32_t timeoutMs) {
    bool gone = false;
    Port* port = PortOf(handle, OpenMode::kRead, gone);
    if (port == nullptr) {
        return TransferStatus::kFailed;
    }
    if (gone) {
        return TransferStatus::kDeviceGone;
    }
    if (port->lastFaults.readRefused) {
        port->lastFaults.readRefused = false;
        return TransferStatus::kDeviceGone;
    }
    if (port->lastFaults.readWaitFails) {
        port->lastFaults.readWaitFails = false;
        return TransferStatus::kFailed;
    }
    Report response{};
    if (!port->responses.Pop(response)) {
        bench_.Clock().AdvanceMs(timeoutMs);
        return TransferStatus::kTimedOut;
    }
    bench_.Clock().AdvanceUs(bench_.ExchangeLatencyUs());
    report[0] = inputReportNumber_;
    std::copy(response.begin(), response.end(), report.begin() + 1);
    return TransferStatus::kCompleted;
}

void SimPlatform::DiscardPendingReports(DeviceHandle handle) {
    bool gone = false;
    Port* port = PortOf(handle, OpenMode::kRead, gone);
    if (port == nullptr || gone) {
        return;
    }
    discarded_ += static_cast<int>(port->responses.Size());
    port->responses.Clear();
}

void SimPlatform::Cancel(DeviceHandle) {
    ++cancels_;
}

void SimPlatform::Close(DeviceHandle handle) {
    ++closes_;
    if (handle < 0 || static_cast<std::size_t>(handle) >= handles_.size() ||
        !handles_[static_cast<std::size_t>(handle)].open) {
        ++staleCloses_;
        return;
    }
    HandleRecord& record = handles_[static_cast<std::size_t>(handle)];
    if (record.mode == OpenMode::kRead) {
        Port& port = bench_.Ports()[record.port];
        if (port.generation == record.generation) {
            port.responses.Clear();
        }
    }
    record.open = false;
}

void SimPlatform::SleepMs(std::uint32_t milliseconds) {
    sleptMs_ += milliseconds;
    bench_.Clock().AdvanceMs(milliseconds);
}

std::uint64_t SimPlatform::NowMs() {
    return bench_.Clock().NowMs();
}

int SimPlatform::OpenHandleCount() const {
    return static_cast<int>(std::count_if(handles_.begin(), handles_.end(), [](const HandleRecord& h) { return h.open; }));
}

}  // namespace kelvane::sim
