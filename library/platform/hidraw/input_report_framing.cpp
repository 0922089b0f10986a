#include "platform/hidraw/input_report_framing.h"

#include <algorithm>

namespace kelvane::platform::hidraw {

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

}  // namespace kelvane::platform::hidraw
