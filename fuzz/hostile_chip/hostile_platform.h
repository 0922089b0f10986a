// A platform backend whose every answer comes from the fuzz input: which
// HID interfaces enumeration lists (with their hardware identifiers and
// paths, unreadable ones and duplicates among them), whether a device opens,
// whether each write and read completes, times out, fails or finds the
// device gone, what the chip answers and how late, answers that come after
// their time-out or twice, reports the chip sends unasked, devices that
// vanish and come back, and a chip that keeps giving one answer for
// thousands of reads.
//
// Whether the chip's lock is granted at once, after a wait, or not at all
// (another program held it for the whole wait; the lock could not be asked
// for) comes from the input too.
//
// It also watches the library: a transfer on a handle that is not open in
// its mode, a transfer without the chip's lock on the device's write handle,
// a lock taken twice, released when not held, or still held when a handle is
// closed, a wait longer than 1000 ms, a report number other than 0, a
// handle cancelled, closed, emptied or asked about when it is not open, and a
// transfer on a handle of an earlier instance of a device than the last scan
// listed (a handle kept across a re-enumeration) are findings.
//
// Enumeration gives each listed interface its device's generation as the
// instance; whether a kept handle still reaches its device comes from the
// input (mostly the truth, sometimes a stale yes or a needless no).
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "core/report.h"
#include "platform/platform.h"
#include "support/byte_script.h"

namespace kelvane::fuzz {

// A request the library wrote (from when on the platform clock) and the
// answer it read next, if any.
struct LoggedExchange {
    Report request{};
    std::uint64_t writtenAtMs = 0;
    std::optional<Report> response;
};

class HostilePlatform final : public platform::Platform {
public:
    static constexpr std::uint32_t kTransferLimitMs = 1000;

    // Starts a new input: no device known, no handle open, clock kept.
    void Begin(ByteScript& script);
    // The hardware identifier that a chip presents, for the identifiers the
    // library looks for now; nullopt when they admit none.
    void SetChipIdentifiers(std::optional<std::string> hardwareId) { chipHardwareId_ = std::move(hardwareId); }

    std::vector<platform::HidInterface> EnumerateInterfaces() override;
    platform::DeviceHandle Open(std::string_view path, platform::OpenMode mode) override;
    bool StillReaches(platform::DeviceHandle handle) override;
    platform::TransferStatus Write(platform::DeviceHandle handle, const platform::WireReport& report,
                                   std::uint32_t timeoutMs) override;
    platform::TransferStatus Read(platform::DeviceHandle handle, platform::WireReport& report,
                                  std::uint32_t timeoutMs) override;
    void DiscardPendingReports(platform::DeviceHandle readHandle) override;
    platform::LockStatus LockDevice(platform::DeviceHandle handle, std::uint32_t waitMs) override;
    void UnlockDevice(platform::DeviceHandle handle) override;
    void Cancel(platform::DeviceHandle handle) override;
    void Close(platform::DeviceHandle handle) override;
    void SleepMs(std::uint32_t milliseconds) override;
    std::uint64_t NowMs() override { return nowMs_; }

    // Observations of the harness.
    int OpenHandleCount() const;
    std::uint64_t Enumerations() const { return enumerations_; }
    // Calls of Open, failed ones included.
    std::uint64_t Opens() const { return opens_; }
    // Responses handed to the library since the process started.
    static std::uint64_t TotalResponses() { return totalResponses_; }
    // The exchanges since the last ClearLog, in order.
    const std::vector<LoggedExchange>& Log() const { return log_; }
    // Also forgets the time waited for locks.
    void ClearLog() {
        log_.clear();
        lockWaitedMs_ = 0;
    }
    // Milliseconds spent waiting for the chip's lock since the last ClearLog.
    std::uint64_t LockWaitedMs() const { return lockWaitedMs_; }
    bool LockHeld() const { return locked_ != platform::kInvalidHandle; }

private:
    struct Device {
        std::string path;
        std::uint32_t generation = 0;
        bool present = false;
        // The generation that the last enumeration listed; none when it did
        // not list the device.
        std::optional<std::uint32_t> listed;
    };
    struct Handle {
        std::size_t device = 0;
        std::uint32_t generation = 0;
        platform::OpenMode mode = platform::OpenMode::kRead;
        bool open = false;
        // Reports that arrived on this handle and wait to be read: answers
        // that came after their time-out, answers sent twice, reports sent
        // unasked.
        std::deque<Report> pending;
    };

    static constexpr std::size_t kMaxPending = 8;

    // A chip stuck in one behaviour: the next reads all get this answer
    // (echoing each request) after this latency, without further input.
    struct Repeat {
        Report answer{};
        std::uint32_t latencyMs = 0;
        std::uint32_t left = 0;
    };

    Handle& Checked(platform::DeviceHandle handle, platform::OpenMode mode, std::uint32_t timeoutMs,
                    const char* what);
    void CheckLockHeld(const Handle& handle, const char* what);
    Handle* Find(platform::DeviceHandle handle);
    void CheckInstance(const Handle& handle, platform::DeviceHandle value, const char* what) const;
    bool Gone(const Handle& handle) const;
    void Vanish(const Handle& handle);
    std::size_t DeviceAt(const std::string& path);
    std::optional<platform::HidInterface> NextInterface(std::size_t position,
                                                        std::vector<std::string>& listed);
    Report BuildAnswer();
    void Queue(Handle& handle, const Report& report);
    void Deliver(platform::WireReport& wire, const Report& response, std::uint8_t reportNumber);

    ByteScript* script_ = nullptr;
    std::optional<std::string> chipHardwareId_;
    std::vector<Device> devices_;
    std::vector<Handle> handles_;
    std::uint64_t nowMs_ = 0;
    std::uint64_t enumerations_ = 0;
    std::uint64_t opens_ = 0;
    Report lastRequest_{};
    bool awaitingAnswer_ = false;
    Repeat repeat_;
    std::vector<LoggedExchange> log_;
    platform::DeviceHandle locked_ = platform::kInvalidHandle;
    std::uint64_t lockWaitedMs_ = 0;
    static inline std::uint64_t totalResponses_ = 0;
};

}  // namespace kelvane::fuzz
