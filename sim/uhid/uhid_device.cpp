#include "uhid/uhid_device.h"

#include <fcntl.h>
#include <linux/uhid.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace kelvane::sim {
namespace {

// Vendor-defined usage page; one 64-byte input and one 64-byte output report
// of bytes, without report numbers.
constexpr std::uint8_t kReportDescriptor[] = {
    0x06, 0x00, 0xFF,  // Usage Page (vendor-defined 0xFF00)
    0x09, 0x01,        // Usage (1)
    0xA1, 0x01,        // Collection (Application)
    0x15, 0x00,        //   Logical Minimum (0)
    0x26, 0xFF, 0x00,  //   Logical Maximum (255)
    0x75, 0x08,        //   Report Size (8)
    0x95, 0x40,        //   Report Count (64)
    0x09, 0x02,        //   Usage (2)
    0x81, 0x02,        //   Input (Data, Variable, Absolute)
    0x09, 0x03,        //   Usage (3)
    0x91, 0x02,        //   Output (Data, Variable, Absolute)
    0xC0,              // End Collection
};

constexpr std::uint16_t kBusUsb = 0x03;

template <std::size_t N>
void CopyText(std::uint8_t (&field)[N], const std::string& text) {
    const std::size_t length = std::min(text.size(), N - 1);
    std::memcpy(field, text.data(), length);
    field[length] = 0;
}

bool WriteEvent(int fd, const uhid_event& event) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const ssize_t written = ::write(fd, &event, sizeof event);
        if (written == static_cast<ssize_t>(sizeof event)) {
            return true;
        }
        if (written >= 0 || errno != EINTR) {
            return false;
        }
    }
    return false;
}

}  // namespace

UhidDevice::UhidDevice(const char* node) : fd_(::open(node, O_RDWR | O_CLOEXEC | O_NONBLOCK)) {}

UhidDevice::~UhidDevice() {
    if (fd_ >= 0) {
        Destroy();
        ::close(fd_);
    }
}

bool UhidDevice::Create(const DeviceIdentity& identity) {
    if (fd_ < 0 || created_) {
        return false;
    }
    uhid_event event{};
    event.type = UHID_CREATE2;
    uhid_create2_req& create = event.u.create2;
    CopyText(create.name, identity.name);
    CopyText(create.phys, identity.phys);
    CopyText(create.uniq, identity.uniq);
    create.rd_size = sizeof kReportDescriptor;
    std::memcpy(create.rd_data, kReportDescriptor, sizeof kReportDescriptor);
    create.bus = kBusUsb;
    create.vendor = identity.vendorId;
    create.product = identity.productId;
    create.version = 0x0100;
    created_ = WriteEvent(fd_, event);
    return created_;
}

void UhidDevice::Destroy() {
    if (fd_ < 0 || !created_) {
        return;
    }
    uhid_event event{};
    event.type = UHID_DESTROY;
    WriteEvent(fd_, event);
    created_ = false;
}

bool UhidDevice::SendInput(const Report& report) {
    if (fd_ < 0 || !created_) {
        return false;
    }
    uhid_event event{};
    event.type = UHID_INPUT2;
    event.u.input2.size = static_cast<std::uint16_t>(report.size());
    std::memcpy(event.u.input2.data, report.data(), report.size());
    return WriteEvent(fd_, event);
}

std::optional<std::vector<std::uint8_t>> UhidDevice::ReadOutputReport() {
    if (fd_ < 0) {
        return std::nullopt;
    }
    uhid_event event{};
    const ssize_t got = ::read(fd_, &event, sizeof event);
    if (got < static_cast<ssize_t>(sizeof event.type)) {
        return std::nullopt;
    }
    switch (event.type) {
        case UHID_OUTPUT: {
            const std::size_t size = std::min<std::size_t>(event.u.output.size, UHID_DATA_MAX);
            if (event.u.output.rtype != UHID_OUTPUT_REPORT) {
                return std::nullopt;
            }
            return std::vector<std::uint8_t>(event.u.output.data, event.u.output.data + size);
        }
        case UHID_GET_REPORT: {
            uhid_event reply{};
            reply.type = UHID_GET_REPORT_REPLY;
            reply.u.get_report_reply.id = event.u.get_report.id;
            reply.u.get_report_reply.err = EIO;
            WriteEvent(fd_, reply);
            return std::nullopt;
        }
        case UHID_SET_REPORT: {
            uhid_event reply{};
            reply.type = UHID_SET_REPORT_REPLY;
            reply.u.set_report_reply.id = event.u.set_report.id;
            reply.u.set_report_reply.err = EIO;
            WriteEvent(fd_, reply);
            return std::nullopt;
        }
        default:
            // Start, stop, open, close: nothing to do.
            return std::nullopt;
    }
}

}  // namespace kelvane::sim
