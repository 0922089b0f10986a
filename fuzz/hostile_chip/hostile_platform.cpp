#include "hostile_chip/hostile_platform.h"

#include <algorithm>

#include "support/finding.h"

namespace kelvane::fuzz {
namespace {

using platform::DeviceHandle;
using platform::OpenMode;
using platform::TransferStatus;

// Handles are never reused within an input, and start far from 0 and -1.
constexpr DeviceHandle kFirstHandle = 100;

constexpr char kForeignHardwareId[] = "HID\\VID_046D&PID_C52B&REV_1200";

std::string ToLower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return text;
}

}  // namespace

void HostilePlatform::Begin(ByteScript& script) {
    script_ = &script;
    devices_.clear();
    handles_.clear();
    log_.clear();
    locked_ = platform::kInvalidHandle;
    lockWaitedMs_ = 0;
    awaitingAnswer_ = false;
    lastRequest_.fill(0);
    repeat_ = Repeat{};
}

HostilePlatform::Handle* HostilePlatform::Find(DeviceHandle handle) {
    if (handle < kFirstHandle || static_cast<std::size_t>(handle - kFirstHandle) >= handles_.size()) {
        return nullptr;
    }
    return &handles_[static_cast<std::size_t>(handle - kFirstHandle)];
}

HostilePlatform::Handle& HostilePlatform::Checked(DeviceHandle handle, OpenMode mode, std::uint32_t timeoutMs,
                                                  const char* what) {
    Handle* record = Find(handle);
    if (record == nullptr || !record->open) {
        Finding("%s on handle %lld, which is not open", what, static_cast<long long>(handle));
    }
    if (record->mode != mode) {
        Finding("%s on handle %lld, which was opened for the other direction", what,
                static_cast<long long>(handle));
    }
    if (timeoutMs > kTransferLimitMs) {
        Finding("%s waits up to %u ms, more than the %u ms limit", what, timeoutMs, kTransferLimitMs);
    }
    CheckInstance(*record, handle, what);
    return *record;
}

// Every handle in use was opened on the instance of its device that the last
// scan listed: a scan that lists a device anew must not keep the handles of
// the one before.
void HostilePlatform::CheckLockHeld(const Handle& handle, const char* what) {
    const Handle* lock = Find(locked_);
    if (lock == nullptr || !lock->open || lock->device != handle.device) {
        Finding("%s on a chip whose lock the library does not hold", what);
    }
}

void HostilePlatform::CheckInstance(const Handle& handle, DeviceHandle value, const char* what) const {
    const Device& device = devices_[handle.device];
    if (device.listed && *device.listed != handle.generation) {
        Finding("%s on handle %lld of instance %u of %s, after a scan listed instance %u", what,
                static_cast<long long>(value), handle.generation, device.path.c_str(), *device.listed);
    }
}

bool HostilePlatform::Gone(const Handle& handle) const {
    const Device& device = devices_[handle.device];
    return !device.present || device.generation != handle.generation;
}

void HostilePlatform::Vanish(const Handle& handle) {
    Device& device = devices_[handle.device];
    if (device.present && device.generation == handle.generation) {
        device.present = false;
        ++device.generation;
    }
}

std::size_t HostilePlatform::DeviceAt(const std::string& path) {
    for (std::size_t i = 0; i < devices_.size(); ++i) {
        if (devices_[i].path == path) {
            return i;
        }
    }
    devices_.push_back({path, 0, false, std::nullopt});
    return devices_.size() - 1;
}

// One listed interface. Its kind byte picks a chip, another HID device, an
// interface whose identifier or path cannot be read, raw bytes for both, or
// a chip with an odd identifier or path; its slot byte picks one of a few
// paths that come back from scan to scan, or one of its own.
std::optional<platform::HidInterface> HostilePlatform::NextInterface(std::size_t position,
                                                                     std::vector<std::string>& listed) {
    ByteScript& in = *script_;
    const std::uint8_t kind = in.U8();
    const std::uint8_t slot = in.U8();
    std::string path = (slot & 0x80) != 0 ? "/dev/hidraw-p" + std::to_string(position)
                                          : "/dev/hidraw-" + std::to_string(slot % 8);
    const std::string chipId = chipHardwareId_.value_or("HID\\VID_FFFF&PID_FFFF");
    platform::HidInterface interface;
    switch (kind % 8) {
        case 0:
        case 1:
        case 2:
            interface.hardwareId = chipId;
            break;
        case 3:
            interface.hardwareId = kForeignHardwareId;
            break;
        case 4:
            break;  // identifier unreadable
        case 5:
            interface.hardwareId = chipId;
            listed.push_back(path);
            return interface;  // path unreadable
        case 6: {
            const std::vector<std::uint8_t> id = in.Bytes(in.U8() % 48);
            interface.hardwareId = std::string(id.begin(), id.end());
            const std::vector<std::uint8_t> raw = in.Bytes(in.U8() + (slot & 0x40 ? 64 : 0));
            path.assign(raw.begin(), raw.end());
            break;
        }
        default:
            switch (slot % 4) {
                case 0:
                    interface.hardwareId = chipId;
                    path = listed.empty() ? path : listed.back();
                    break;
                case 1:
                    interface.hardwareId = chipId;
                    path.clear();
                    break;
                case 2:
                    interface.hardwareId = ToLower(chipId);
                    break;
                default:
                    interface.hardwareId = chipId.substr(0, 20);
                    break;
            }
            break;
    }
    interface.path = path;
    listed.push_back(path);
    return interface;
}

std::vector<platform::HidInterface> HostilePlatform::EnumerateInterfaces() {
    ++enumerations_;
    const std::uint8_t countByte = script_->U8();
    // Mostly a few interfaces; now and then around the 64 that the device
    // table holds.
    const std::size_t count = countByte < 0xF0 ? countByte % 6 : 58 + (countByte & 0x0F);
    std::vector<platform::HidInterface> interfaces;
    std::vector<std::string> listed;
    for (std::size_t i = 0; i < count; ++i) {
        if (std::optional<platform::HidInterface> interface = NextInterface(i, listed)) {
            interfaces.push_back(std::move(*interface));
        }
    }
    // What is listed is plugged in (a device that comes back is a new
    // device: handles opened before it went stay gone); the rest has gone.
    for (Device& device : devices_) {
        const bool now = std::find(listed.begin(), listed.end(), device.path) != listed.end();
        if (device.present != now) {
            device.present = now;
            ++device.generation;
        }
    }
    for (const std::string& path : listed) {
        Device& device = devices_[DeviceAt(path)];
        if (!device.present) {
            device.present = true;
            ++device.generation;
        }
    }
    for (Device& device : devices_) {
        device.listed = device.present ? std::optional<std::uint32_t>(device.generation) : std::nullopt;
    }
    for (platform::HidInterface& interface : interfaces) {
        if (interface.path) {
            interface.instance = std::to_string(devices_[DeviceAt(*interface.path)].generation);
        }
    }
    return interfaces;
}

DeviceHandle HostilePlatform::Open(std::string_view path, OpenMode mode) {
    ++opens_;
    const std::uint8_t outcome = script_->U8();
    auto device = std::find_if(devices_.begin(), devices_.end(),
                               [&](const Device& d) { return d.present && d.path == path; });
    if (device == devices_.end() || outcome % 16 == 15) {
        return platform::kInvalidHandle;
    }
    Handle handle;
    handle.device = static_cast<std::size_t>(device - devices_.begin());
    handle.generation = device->generation;
    handle.mode = mode;
    handle.open = true;
    handles_.push_back(std::move(handle));
    return kFirstHandle + static_cast<DeviceHandle>(handles_.size() - 1);
}

// Mostly the truth. Now and then a handle of a device that is there does not
// reach it (the backend knows better than enumeration that it went stale),
// and now and then a handle of a device that has gone still seems to (the
// backend has not noticed yet): the instance that enumeration listed must
// decide then.
bool HostilePlatform::StillReaches(DeviceHandle handle) {
    const Handle* record = Find(handle);
    if (record == nullptr || !record->open) {
        Finding("asked whether handle %lld still reaches its device, which is not open",
                static_cast<long long>(handle));
    }
    const std::uint8_t answer = script_->U8();
    if (answer >= 0xF8) {
        return true;
    }
    return answer < 0xF0 && !Gone(*record);
}

TransferStatus HostilePlatform::Write(DeviceHandle handle, const platform::WireReport& report,
                                      std::uint32_t timeoutMs) {
    Handle& record = Checked(handle, OpenMode::kWrite, timeoutMs, "a write");
    CheckLockHeld(record, "a write");
    if (report[0] != 0) {
        Finding("a report written with report number %u instead of 0", report[0]);
    }
    std::copy(report.begin() + 1, report.end(), lastRequest_.begin());
    log_.push_back({lastRequest_, nowMs_, std::nullopt});
    awaitingAnswer_ = true;
    if (Gone(record)) {
        return TransferStatus::kDeviceGone;
    }
    const std::uint8_t outcome = script_->U8();
    if (outcome < 0x78) {
        return TransferStatus::kCompleted;
    }
    if (outcome < 0x80) {
        // The chip sends a report of its own before it answers: it waits on
        // every read handle of the device, after what the library discarded.
        const Report unasked = BuildAnswer();
        for (Handle& other : handles_) {
            if (other.open && other.mode == OpenMode::kRead && other.device == record.device && !Gone(other)) {
                Queue(other, unasked);
            }
        }
        return TransferStatus::kCompleted;
    }
    if (outcome < 0xC0) {
        nowMs_ += std::min<std::uint32_t>((outcome - 0x80) * 20u, timeoutMs);
        return TransferStatus::kCompleted;
    }
    if (outcome < 0xD0) {
        nowMs_ += timeoutMs;
        return TransferStatus::kTimedOut;
    }
    if (outcome < 0xE0) {
        Vanish(record);
        return TransferStatus::kDeviceGone;
    }
    if (outcome < 0xF0) {
        return TransferStatus::kFailed;
    }
    Vanish(record);  // the request got through, then the device went
    return TransferStatus::kCompleted;
}

// An answer to the last request. Its mode byte picks: the echo with a few
// bytes patched; a data report with n data bytes (n above 60: not ready);
// the status, engine-state and flag bytes the transfers look at; or another
// echo with a few bytes patched.
Report HostilePlatform::BuildAnswer() {
    ByteScript& in = *script_;
    Report answer{};
    answer[kCommandByte] = lastRequest_[kCommandByte];
    const std::uint8_t mode = in.U8();
    auto patch = [&](int patches) {
        for (int i = 0; i < patches; ++i) {
            const std::size_t at = in.U8() % kReportSize;
            answer[at] = in.U8();
        }
    };
    if (mode < 0x40) {
        patch(mode % 8);
    } else if (mode < 0x80) {
        const std::uint8_t count = mode - 0x40;
        answer[3] = count;
        for (std::size_t i = 0; i < count && i < 60; ++i) {
            answer[4 + i] = in.U8();
        }
    } else if (mode < 0xC0) {
        answer[1] = in.U8();
        answer[2] = in.U8();
        answer[3] = in.U8();
        answer[8] = in.U8();
        answer[20] = in.U8();
    } else {
        answer[kCommandByte] = in.U8();
        patch(mode % 8);
    }
    return answer;
}

void HostilePlatform::Queue(Handle& handle, const Report& report) {
    if (handle.pending.size() < kMaxPending) {
        handle.pending.push_back(report);
    }
}

void HostilePlatform::Deliver(platform::WireReport& wire, const Report& response, std::uint8_t reportNumber) {
    wire[0] = reportNumber;
    std::copy(response.begin(), response.end(), wire.begin() + 1);
    ++totalResponses_;
    if (awaitingAnswer_) {
        log_.back().response = response;
        awaitingAnswer_ = false;
    }
}

TransferStatus HostilePlatform::Read(DeviceHandle handle, platform::WireReport& report, std::uint32_t timeoutMs) {
    Handle& record = Checked(handle, OpenMode::kRead, timeoutMs, "a read");
    CheckLockHeld(record, "a read");
    if (Gone(record)) {
        return TransferStatus::kDeviceGone;
    }
    if (!record.pending.empty()) {
        const Report waiting = record.pending.front();
        record.pending.pop_front();
        Deliver(report, waiting, 0);
        return TransferStatus::kCompleted;
    }
    if (repeat_.left > 0) {
        --repeat_.left;
        nowMs_ += std::min(repeat_.latencyMs, timeoutMs);
        Report answer = repeat_.answer;
        answer[kCommandByte] = lastRequest_[kCommandByte];
        Deliver(report, answer, 0);
        return TransferStatus::kCompleted;
    }
    const std::uint8_t outcome = script_->U8();
    if (outcome < 0x80) {
        Deliver(report, BuildAnswer(), outcome);
        return TransferStatus::kCompleted;
    }
    if (outcome < 0xA0) {
        nowMs_ += std::min<std::uint32_t>((outcome - 0x80) * 40u, timeoutMs);
        Deliver(report, BuildAnswer(), outcome);
        return TransferStatus::kCompleted;
    }
    if (outcome < 0xB0) {
        nowMs_ += timeoutMs;
        return TransferStatus::kTimedOut;
    }
    if (outcome < 0xC0) {
        nowMs_ += timeoutMs;
        Queue(record, BuildAnswer());  // the answer comes after the time-out
        return TransferStatus::kTimedOut;
    }
    if (outcome < 0xC8) {
        Vanish(record);
        return TransferStatus::kDeviceGone;
    }
    if (outcome < 0xD0) {
        return TransferStatus::kFailed;
    }
    if (outcome < 0xE0) {
        Deliver(report, BuildAnswer(), outcome);
        for (int extra = 0; extra <= (outcome & 3); ++extra) {
            Queue(record, BuildAnswer());  // the chip answers more than once
        }
        return TransferStatus::kCompleted;
    }
    if (outcome < 0xF0) {
        const std::vector<std::uint8_t> raw = script_->Bytes(kReportSize);
        Report response{};
        std::copy(raw.begin(), raw.end(), response.begin());
        Deliver(report, response, outcome);
        return TransferStatus::kCompleted;
    }
    // This answer, after this latency, for up to 4,081 reads from now on.
    repeat_.latencyMs = (outcome & 0x0F) * 67u;
    repeat_.left = 16u * script_->U8();
    repeat_.answer = BuildAnswer();
    nowMs_ += std::min(repeat_.latencyMs, timeoutMs);
    Deliver(report, repeat_.answer, outcome);
    return TransferStatus::kCompleted;
}

void HostilePlatform::DiscardPendingReports(DeviceHandle handle) {
    Handle* record = Find(handle);
    if (record == nullptr || !record->open || record->mode != OpenMode::kRead) {
        Finding("reports discarded on handle %lld, which is not an open read handle", static_cast<long long>(handle));
    }
    CheckInstance(*record, handle, "a discard");
    record->pending.clear();
}

// Mostly granted at once; now and then after a wait within the bound, held
// by another program for the whole wait, or refused.
platform::LockStatus HostilePlatform::LockDevice(DeviceHandle handle, std::uint32_t waitMs) {
    const Handle& record = Checked(handle, OpenMode::kWrite, 0, "a lock");
    if (locked_ != platform::kInvalidHandle) {
        Finding("a lock taken on handle %lld while handle %lld holds one", static_cast<long long>(handle),
                static_cast<long long>(locked_));
    }
    const std::uint8_t outcome = script_->U8();
    if (outcome < 0xE8 || Gone(record)) {
        locked_ = handle;
        return platform::LockStatus::kAcquired;
    }
    if (outcome < 0xF0) {
        const std::uint64_t waited = std::min<std::uint64_t>((outcome - 0xE7) * 1000u, waitMs);
        nowMs_ += waited;
        lockWaitedMs_ += waited;
        locked_ = handle;
        return platform::LockStatus::kAcquired;
    }
    if (outcome < 0xF8) {
        nowMs_ += waitMs;
        lockWaitedMs_ += waitMs;
        return platform::LockStatus::kBusy;
    }
    return platform::LockStatus::kFailed;
}

void HostilePlatform::UnlockDevice(DeviceHandle handle) {
    if (handle != locked_) {
        Finding("handle %lld unlocked, which holds no lock", static_cast<long long>(handle));
    }
    locked_ = platform::kInvalidHandle;
}

void HostilePlatform::Cancel(DeviceHandle handle) {
    const Handle* record = Find(handle);
    if (record == nullptr || !record->open) {
        Finding("cancel on handle %lld, which is not open", static_cast<long long>(handle));
    }
}

void HostilePlatform::Close(DeviceHandle handle) {
    Handle* record = Find(handle);
    if (record == nullptr || !record->open) {
        Finding("close of handle %lld, which is not open", static_cast<long long>(handle));
    }
    if (handle == locked_) {
        Finding("handle %lld closed while it held the chip's lock", static_cast<long long>(handle));
    }
    record->open = false;
    record->pending.clear();
}

void HostilePlatform::SleepMs(std::uint32_t milliseconds) {
    nowMs_ += milliseconds;
}

int HostilePlatform::OpenHandleCount() const {
    return static_cast<int>(std::count_if(handles_.begin(), handles_.end(), [](const Handle& h) { return h.open; }));
}

}  // namespace kelvane::fuzz
