// The virtual chip's configuration: flash, runtime settings, GPIO and flash
// protection, and the commands that reach them (0x50, 0x51, 0x60, 0x61,
// 0xB0, 0xB1, 0xB2).
#pragma once

#include <cstdint>

#include "chip/flash_store.h"
#include "chip/runtime_settings.h"
#include "core/report.h"

namespace kelvane::sim {

class ChipConfiguration {
public:
    ChipConfiguration(std::uint16_t vendorId, std::uint16_t productId);

    // Answers one request; the response comes with byte 0 echoed and the
    // rest 0.
    void Handle(const Report& request, Report& response);

    // The runtime settings reload from flash.
    void PowerUp() { runtime.LoadFrom(flash); }

    FlashStore flash;
    RuntimeSettings runtime;
};

}  // namespace kelvane::sim
