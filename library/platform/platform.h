// The platform layer: everything the library needs from the operating system.
// Core code reaches devices, sleeps and the clock only through this interface.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kelvane::platform {

// A device handle of the backend; kInvalidHandle when not open.
using DeviceHandle = std::intptr_t;
inline constexpr DeviceHandle kInvalidHandle = -1;

// A report as it travels on the HID interface: the report number (0) in
// byte 0, then the 64 bytes of the report. Backends whose HID layer hands
// reports over without the report-number byte adapt the framing themselves.
inline constexpr std::size_t kWireReportSize = 65;
using WireReport = std::array<std::uint8_t, kWireReportSize>;

// One present HID interface, as enumeration lists it.
struct HidInterface {
    // The first hardware identifier of the interface, in the form
    // "HID\VID_vvvv&PID_pppp..." (any case). Empty when it could not be read:
    // the scan stops walking at such an interface.
    std::optional<std::string> hardwareId;
    // The device path by which Open reaches the interface, UTF-8. It names
    // the interface by where it is attached, so that a chip that
    // re-enumerates in the same place keeps its path. Empty when it could not
    // be obtained: the scan stops walking there.
    std::optional<std::string> path;
    // Which instance of a device the interface is now, as an opaque text: it
    // changes whenever the device at the path is replaced (unplugged and
    // plugged in again, re-enumerated after a reset), while the path stays.
    // A scan keeps the handles it opened on a path across scans only while
    // the path lists the same instance and StillReaches says yes for them;
    // otherwise it closes them, and opens the path again when it is needed.
    // Empty when enumeration cannot tell instances apart: StillReaches then
    // decides alone.
    std::string instance;
};

enum class OpenMode { kWrite, kRead };

// Outcome of taking a device's lock.
enum class LockStatus {
    kAcquired,  // this process holds the device now
    kBusy,      // another process held it for the whole wait
    kFailed,    // the lock could not be asked for (the handle is not open, the system refused)
};

enum class TransferStatus {
    kCompleted,   // the whole report was written / read in time
    kTimedOut,    // not completed within the limit; the pending I/O is still open
    kDeviceGone,  // refused at once: the device behind the handle has gone
    kFailed,      // the wait failed for another reason; nothing is known lost
};

class Platform {
public:
    virtual ~Platform() = default;

    // Present HID interfaces in the platform's enumeration order. May throw
    // std::bad_alloc; the caller treats that as the end of the walk.
    virtual std::vector<HidInterface> EnumerateInterfaces() = 0;

    // Opens an interface by its path for writing or for reading, without
    // blocking. kInvalidHandle on failure. May throw std::bad_alloc, having
    // opened nothing then; the scan ends there without connecting. The
    // registry opens only the selected chip's path, right after the
    // enumeration that listed it, and keeps the handles across scans while
    // the device stays the same (see HidInterface::instance): opening a HID
    // device can cost tens of milliseconds, and a network round trip when
    // the device is remote.
    virtual DeviceHandle Open(std::string_view path, OpenMode mode) = 0;

    // Writes one report, waiting at most timeoutMs for it to complete.
    virtual TransferStatus Write(DeviceHandle handle, const WireReport& report,
                                 std::uint32_t timeoutMs) = 0;

    // Reads one report, waiting at most timeoutMs. On kCompleted, report
    // holds the report number in byte 0 and the 64 report bytes after it.
    virtual TransferStatus Read(DeviceHandle handle, WireReport& report,
                                std::uint32_t timeoutMs) = 0;

    // Discards the reports already waiting on a read handle, without waiting
    // for any: called before each request is written, so that a stray or
    // late report is never taken as the answer to the new request. Bounded
    // by the size of the platform's input queue.
    virtual void DiscardPendingReports(DeviceHandle readHandle) = 0;

    // Whether a handle opened by an earlier scan still reaches the device it
    // was opened on, asked by a scan before it keeps the handle (see
    // HidInterface::instance). Answered from the host's own knowledge of the
    // handle: no report is exchanged and nothing is waited for. A device
    // that goes after this answer is found out by the next transfer.
    virtual bool StillReaches(DeviceHandle handle) = 0;

    // The lock that every process using the library honours on a device:
    // taken on a write handle before the first request of a call, held until
    // the call ends, so that no other process writes a request, and so reads
    // an answer, in between. Waits at most waitMs while another process holds
    // it. Released by UnlockDevice, and by the system when the holder's
    // handle is closed or its process ends. Called by one thread at a time
    // (the library serializes its calls), and never twice on a handle without
    // an UnlockDevice in between.
    //
    // A backend whose devices no other process can reach (the virtual chips,
    // which each process simulates for itself) needs no lock: the default
    // grants it at once.
    virtual LockStatus LockDevice(DeviceHandle handle, std::uint32_t waitMs);
    virtual void UnlockDevice(DeviceHandle handle);

    // Cancels pending I/O on a handle (after a time-out).
    virtual void Cancel(DeviceHandle handle) = 0;
    virtual void Close(DeviceHandle handle) = 0;

    virtual void SleepMs(std::uint32_t milliseconds) = 0;
    // Monotonic clock in milliseconds.
    virtual std::uint64_t NowMs() = 0;
};

// The platform that the library uses: the one installed with
// SetActivePlatform, else the build's default.
Platform& ActivePlatform();

// Installs a platform for the whole process (nullptr restores the default).
// The caller keeps ownership; the platform must outlive its use.
void SetActivePlatform(Platform* platform);

// The default platform of this build of the library: hidraw on Linux, the
// virtual bench in the virtual-chip flavour. Defined once per flavour.
Platform& DefaultPlatform();

}  // namespace kelvane::platform
