// The virtual chip's runtime settings: what it works with now. Power-up
// loads them from flash (the chip-settings block and the GP block); the
// set-runtime-settings command (0x60) changes one group at a time, the get
// command (0x61) reports them, and the GPIO commands drive the pins.
#pragma once

#include <array>
#include <cstdint>

#include "chip/chip_settings.h"
#include "chip/flash_store.h"
#include "chip/gp_pin.h"
#include "core/report.h"

namespace kelvane::sim {

struct RuntimeSettings {
    // The protection state in here is the one the chip enforces: a flash
    // write that changes it takes effect at the next power-up.
    ChipSettings settings;
    GpPins pins{};
    // The level seen on each pin while it is a GPIO input.
    std::array<std::uint8_t, 4> inputLevels{};
    // The interrupt pin has seen its event and not been cleared since.
    bool interruptPending = false;
    // The access password was accepted since power-up.
    bool accessGranted = false;

    void LoadFrom(const FlashStore& flash);
};

// 0x61: the settings block from byte 4 and the GP pin bytes in 22 to 25.
void GetRuntimeSettings(const RuntimeSettings& runtime, Report& response);

// 0x60: bytes 2 to 7 each carry one group, applied when its bit 7 is set:
// 2 clock output, 3 DAC reference, 4 DAC value, 5 ADC reference,
// 6 interrupt (bit 4 takes bit 3 as the rising-edge bit of the mode, bit 2
// takes bit 1 as the falling-edge bit, bit 0 clears the pin state), 7 the
// GP pins from bytes 8 to 11.
void SetRuntimeSettings(RuntimeSettings& runtime, const Report& request);

}  // namespace kelvane::sim
