// The platform backend over a bench of virtual chips: enumeration lists the
// bench's ports in order, writes hand requests to the chip, reads return its
// answers, and every wait and sleep runs on the bench's virtual clock.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "bench/bench.h"
#include "platform/platform.h"

namespace kelvane::sim {

class SimPlatform : public platform::Platform {
public:
    explicit SimPlatform(Bench& bench) : bench_(bench) {}

    // An interface's instance is the port that holds its device with the
    // port's generation, which changes whenever the device in the port does
    // (attached, detached, replaced, reset, moved by a plug file).
    std::vector<platform::HidInterface> EnumerateInterfaces() override;
    platform::DeviceHandle Open(std::string_view path, platform::OpenMode mode) override;
    // True while the handle is open and the device it was opened on is still
    // in its port and present.
    bool StillReaches(platform::DeviceHandle handle) override;
    platform::TransferStatus Write(platform::DeviceHandle handle, const platform::WireReport& report,
                                   std::uint32_t timeoutMs) override;
    platform::TransferStatus Read(platform::DeviceHandle handle, platform::WireReport& report,
                                  std::uint32_t timeoutMs) override;
    // Drops the answers waiting on the handle's port (at most the four its
    // queue holds).
    void DiscardPendingReports(platform::DeviceHandle readHandle) override;
    void Cancel(platform::DeviceHandle handle) override;
    void Close(platform::DeviceHandle handle) override;
    void SleepMs(std::uint32_t milliseconds) override;
    std::uint64_t NowMs() override;

    // Byte 0 of every input report handed to the host (the report number).
    void SetInputReportNumber(std::uint8_t number) { inputReportNumber_ = number; }

    // Observations for tests.
    int OpenHandleCount() const;
    // Calls of Open (failed ones too) and of Close since the platform was made.
    int OpenCount() const { return opens_; }
    int CloseCount() const { return closes_; }
    int EnumerationCount() const { return enumerations_; }
    int CancelCount() const { return cancels_; }
    // Reports dropped by DiscardPendingReports.
    int DiscardedReportCount() const { return discarded_; }
    // Closes of handles that were not open (closed twice, or never opened).
    int StaleCloseCount() const { return staleCloses_; }
    std::uint64_t SleptMs() const { return sleptMs_; }

private:
    struct HandleRecord {
        std::size_t port = 0;
        std::uint32_t generation = 0;
        platform::OpenMode mode = platform::OpenMode::kRead;
        bool open = false;
    };

    // The port behind an open handle of the given mode (of either mode
    // without one), or null when the handle is unknown or of the other mode;
    // gone is set when the device the handle was opened on is no longer there.
    Port* PortOf(platform::DeviceHandle handle, std::optional<platform::OpenMode> mode, bool& gone);

    Bench& bench_;
    std::vector<HandleRecord> handles_;
    std::uint8_t inputReportNumber_ = 0;
    int enumerations_ = 0;
    int opens_ = 0;
    int closes_ = 0;
    int cancels_ = 0;
    int discarded_ = 0;
    int staleCloses_ = 0;
    std::uint64_t sleptMs_ = 0;
};

}  // namespace kelvane::sim
