#include "platform/hidraw/report_io.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <climits>
#include <ctime>

namespace kelvane::platform::hidraw {

// ---- The clock --------------------------------------------------------------

std::uint64_t MonotonicNowMs() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::uint64_t>(now.tv_sec) * 1000U +
           static_cast<std::uint64_t>(now.tv_nsec) / 1000000U;
}

namespace {

constexpr std::int64_t kNsPerSecond = 1'000'000'000;
// How long before the deadline the thread asks to be woken: more than the
// usual wake-up lateness of a loaded Linux machine (45 to 95 us measured).
constexpr std::int64_t kSpinMarginNs = 250'000;
// Calls interrupted by a signal are retried, this many times at most.
constexpr int kMaxInterruptions = 8;

std::int64_t MonotonicNowNs() {
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<std::int64_t>(now.tv_sec) * kNsPerSecond + now.tv_nsec;
}

}  // namespace

void SleepForMs(std::uint32_t milliseconds) {
    const std::int64_t deadline = MonotonicNowNs() + static_cast<std::int64_t>(milliseconds) * 1'000'000;
    const std::int64_t wake = deadline - kSpinMarginNs;
    if (wake > MonotonicNowNs()) {
        timespec at{};
        at.tv_sec = static_cast<time_t>(wake / kNsPerSecond);
        at.tv_nsec = static_cast<long>(wake % kNsPerSecond);
        while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &at, nullptr) == EINTR) {
        }
    }
    while (MonotonicNowNs() < deadline) {
    }
}

Deadline::Deadline(std::uint32_t limitMs) : endMs_(MonotonicNowMs() + limitMs) {}

int Deadline::RemainingMs() const {
    const std::uint64_t now = MonotonicNowMs();
    if (now >= endMs_) {
        return 0;
    }
    return static_cast<int>(std::min<std::uint64_t>(endMs_ - now, INT_MAX));
}

bool Deadline::Passed() const {
    return MonotonicNowMs() >= endMs_;
}

// ---- Framing ----------------------------------------------------------------

WireReport FrameInputReport(std::span<const std::uint8_t> received) {
    WireReport wire{};
    if (received.size() >= kWireReportSize) {
        std::copy_n(received.begin(), kWireReportSize, wire.begin());
        return wire;
    }
    const std::size_t count = std::min(received.size(), kReportPayloadSize);
    std::copy_n(received.begin(), count, wire.begin() + 1);
    return wire;
}

// ---- Report I/O -------------------------------------------------------------

namespace {

constexpr short kHangUpEvents = POLLHUP | POLLERR | POLLNVAL;

// Errors that mean the device behind the node has gone. ENODEV and EIO are
// what hidraw reports for an unplugged device; the others are the same fact
// seen through other kinds of file (a peer that closed its end).
bool IsDeviceGoneError(int error) {
    return error == ENODEV || error == EIO || error == EPIPE || error == ESHUTDOWN || error == ENXIO ||
           error == ECONNRESET;
}

bool IsRetryError(int error) {
    return error == EINTR || error == EAGAIN || error == EWOULDBLOCK;
}

TransferStatus StatusOfError(int error) {
    return IsDeviceGoneError(error) ? TransferStatus::kDeviceGone : TransferStatus::kFailed;
}

enum class Readiness { kReady, kTimedOut, kHungUp, kRetry, kFailed };

// Waits until the node reports `events`, or hang-up, or the deadline.
Readiness WaitFor(int fd, short events, const Deadline& deadline) {
    pollfd poller{fd, events, 0};
    const int ready = ::poll(&poller, 1, deadline.RemainingMs());
    if (ready < 0) {
        return errno == EINTR ? Readiness::kRetry : Readiness::kFailed;
    }
    if (ready == 0) {
        return Readiness::kTimedOut;
    }
    if ((poller.revents & events) != 0) {
        return Readiness::kReady;
    }
    return (poller.revents & kHangUpEvents) != 0 ? Readiness::kHungUp : Readiness::kRetry;
}

}  // namespace

TransferStatus WriteReport(int fd, const WireReport& report, std::uint32_t timeoutMs) {
    if (fd < 0) {
        return TransferStatus::kDeviceGone;
    }
    const Deadline deadline(timeoutMs);
    for (;;) {
        const ssize_t written = ::write(fd, report.data(), report.size());
        if (written == static_cast<ssize_t>(report.size())) {
            return TransferStatus::kCompleted;
        }
        if (written >= 0) {
            return TransferStatus::kFailed;
        }
        const int error = errno;
        if (!IsRetryError(error)) {
            return StatusOfError(error);
        }
        if (error != EINTR) {
            switch (WaitFor(fd, POLLOUT, deadline)) {
                case Readiness::kReady:
                case Readiness::kRetry:
                    break;
                case Readiness::kTimedOut:
                    return TransferStatus::kTimedOut;
                case Readiness::kHungUp:
                    return TransferStatus::kDeviceGone;
                case Readiness::kFailed:
                    return TransferStatus::kFailed;
            }
        }
        if (deadline.Passed()) {
            return TransferStatus::kTimedOut;
        }
    }
}

TransferStatus ReadReport(int fd, WireReport& report, std::uint32_t timeoutMs) {
    if (fd < 0) {
        return TransferStatus::kDeviceGone;
    }
    const Deadline deadline(timeoutMs);
    for (;;) {
        switch (WaitFor(fd, POLLIN, deadline)) {
            case Readiness::kReady:
                break;
            case Readiness::kRetry:
                if (deadline.Passed()) {
                    return TransferStatus::kTimedOut;
                }
                continue;
            case Readiness::kTimedOut:
                return TransferStatus::kTimedOut;
            case Readiness::kHungUp:
                return TransferStatus::kDeviceGone;
            case Readiness::kFailed:
                return TransferStatus::kFailed;
        }
        std::array<std::uint8_t, kWireReportSize> received{};
        const ssize_t count = ::read(fd, received.data(), received.size());
        if (count > 0) {
            report = FrameInputReport(
                std::span<const std::uint8_t>(received.data(), static_cast<std::size_t>(count)));
            return TransferStatus::kCompleted;
        }
        if (count == 0) {
            return TransferStatus::kDeviceGone;
        }
        const int error = errno;
        if (!IsRetryError(error)) {
            return StatusOfError(error);
        }
        if (deadline.Passed()) {
            return TransferStatus::kTimedOut;
        }
    }
}

bool NodeStillThere(int fd) {
    if (fd < 0) {
        return false;
    }
    for (int interruptions = 0; interruptions <= kMaxInterruptions; ++interruptions) {
        pollfd poller{fd, 0, 0};
        if (::poll(&poller, 1, 0) >= 0) {
            return (poller.revents & kHangUpEvents) == 0;
        }
        if (errno != EINTR) {
            return false;
        }
    }
    return false;
}

void DiscardQueuedReports(int fd) {
    if (fd < 0) {
        return;
    }
    // Interrupted calls are retried, but count against a bound of their own.
    int interruptions = 0;
    std::array<std::uint8_t, kWireReportSize> scrap{};
    for (int discarded = 0; discarded < kKernelInputQueueReports;) {
        pollfd poller{fd, POLLIN, 0};
        const int ready = ::poll(&poller, 1, 0);
        if (ready < 0 && errno == EINTR && ++interruptions <= kMaxInterruptions) {
            continue;
        }
        if (ready <= 0 || (poller.revents & POLLIN) == 0) {
            return;  // nothing queued, or hung up with nothing left
        }
        const ssize_t count = ::read(fd, scrap.data(), scrap.size());
        if (count > 0) {
            ++discarded;
        } else if (count < 0 && errno == EINTR && ++interruptions <= kMaxInterruptions) {
            continue;
        } else {
            return;  // empty after all (EAGAIN), gone, or failed
        }
    }
}

}  // namespace kelvane::platform::hidraw
